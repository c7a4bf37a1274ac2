#include "views/search_progress.h"

#include "store/notes_store.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QListView>
#include <QScrollBar>
#include <QVBoxLayout>

SearchProgress::SearchProgress(NotesStore& store, QLineEdit& field, QListView& list)
    : QLabel(list.viewport()), m_store(store), m_field(field), m_list(list)
{
    setObjectName(QStringLiteral("searchProgress"));
    setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    setForegroundRole(QPalette::PlaceholderText);
    setMargin(6);
    if (!list.viewport()->layout())
        new QVBoxLayout(list.viewport());
    list.viewport()->layout()->addWidget(this);
    connect(&m_store, &NotesStore::textsArrived, this, &SearchProgress::follow);
    connect(&m_store, &NotesStore::textsRead, this, &SearchProgress::follow);
    connect(&m_store, &NotesStore::searchTextChanged, this, &SearchProgress::follow);

    QAbstractItemModel* model = list.model();
    connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        const QModelIndex current = m_list.currentIndex();
        m_currentTop =
            m_store.readingTexts() && current.isValid() ? m_list.visualRect(current).top() : -1;
    });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this] {
        const QModelIndex current = m_list.currentIndex();
        if (m_currentTop < 0 || !current.isValid())
            return;
        const int moved = m_list.visualRect(current).top() - std::exchange(m_currentTop, -1);
        if (moved != 0)
            m_list.verticalScrollBar()->setValue(m_list.verticalScrollBar()->value() + moved);
    });
    follow();
}

void SearchProgress::follow()
{
    const bool searching = m_store.readingTexts() && !m_store.searchText().trimmed().isEmpty();
    const QString said = searching ? tr("Searching… %1 %").arg(m_store.percentRead()) : QString();
    setText(said);
    setAccessibleName(said);
    setVisible(searching);
    m_field.setAccessibleDescription(said);
}
