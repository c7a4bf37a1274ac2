#include "views/history_window.h"

#include "store/history.h"
#include "store/text_diff.h"
#include "views/editor_font.h"
#include "views/version_diff_view.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QString when(const QDateTime& at)
{
    return QLocale().toString(at.toLocalTime(), QLocale::ShortFormat);
}

// Buttons of a dialog press on Enter wherever the focus is; here only a click or Space
// restores, never an Enter meant for the list.
QPushButton* button(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setEnabled(false);
    return button;
}

QListWidget* list(const QString& name, QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setAccessibleName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setUniformItemSizes(true);
    list->setMinimumWidth(200);
    return list;
}

// A list beside what its chosen row shows, the button that acts on it beneath.
QWidget* tab(QListWidget* list, QWidget* shown, QPushButton* button)
{
    auto* page = new QWidget;
    auto* splitter = new QSplitter(Qt::Horizontal, page);
    splitter->addWidget(list);
    splitter->addWidget(shown);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({320, 580}); // a row's date and words at full length
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(splitter, 1);
    layout->addLayout(buttons);
    return page;
}

} // namespace

HistoryWindow::HistoryWindow(History& history, QWidget* parent)
    : QDialog(parent), m_history(history), m_tabs(new QTabWidget(this))
{
    setModal(false);
    setWindowTitle(tr("History"));
    resize(900, 560);
    m_tabs->addTab(buildVersionsTab(), tr("Versions"));
    m_tabs->addTab(buildDeletedTab(), tr("Deleted Notes"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    m_versions->setFocus();
}

QWidget* HistoryWindow::buildVersionsTab()
{
    m_versions = list(tr("Versions"), this);
    m_diff = new VersionDiffView(this);
    m_restore = button(tr("Restore This Version"), this);
    connect(m_versions, &QListWidget::currentRowChanged, this, &HistoryWindow::chooseVersion);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        if (m_chosen)
            emit restoreRequested(m_url, *m_chosen);
    });
    return tab(m_versions, m_diff, m_restore);
}

QWidget* HistoryWindow::buildDeletedTab()
{
    m_deleted = list(tr("Deleted Notes"), this);
    m_deletedText = new QPlainTextEdit(this);
    m_deletedText->setReadOnly(true);
    m_deletedText->setFont(EditorFont::fixed(font().pointSizeF()));
    m_deletedText->setAccessibleName(tr("Last Text"));
    m_restoreNote = button(tr("Restore Note"), this);
    connect(m_deleted, &QListWidget::currentRowChanged, this, &HistoryWindow::chooseDeleted);
    connect(m_restoreNote, &QPushButton::clicked, this, [this] {
        const int row = m_deleted->currentRow();
        if (m_deletedChosen && row >= 0)
            emit restoreDeletedRequested(m_deletedNotes[row].note, *m_deletedChosen);
    });
    return tab(m_deleted, m_deletedText, m_restoreNote);
}

QString HistoryWindow::describe(HistoryStore::Kind kind)
{
    using Kind = HistoryStore::Kind;
    switch (kind) {
    case Kind::Saved:
    case Kind::BeforeRename:
    case Kind::BeforeRestore:
    case Kind::BeforeSave:
    case Kind::ConflictCopy:
        return tr("Saved");
    case Kind::Merged:
        return tr("Merged");
    case Kind::BeforeMerge:
    case Kind::BeforeConflictCopy:
    case Kind::Theirs:
        return tr("Another program's version");
    case Kind::Replaced:
        return tr("Before another program's change");
    case Kind::BeforeDelete:
        return tr("Before delete");
    case Kind::Restored:
        return tr("Restored");
    case Kind::Recovered:
        return tr("Recovered");
    }
    return tr("Saved");
}

void HistoryWindow::showNote(const QString& url, const QString& title, const QString& currentText)
{
    const bool sameNote = url == m_url;
    const int row = m_versions->currentRow();
    const qint64 chosenId =
        sameNote && row >= 0 && row < m_versionList.size() ? m_versionList[row].id : 0;
    setWindowTitle(tr("History \u2014 %1").arg(title));
    m_url = url;
    m_current = currentText;
    // Only the rows: a note with a thousand versions opens at once, each text read when chosen.
    m_versionList = m_history.versions(url);
    {
        const QSignalBlocker blocker(m_versions);
        m_versions->clear();
        QStringList rows;
        rows.reserve(m_versionList.size());
        const QLocale locale;
        const QString format = locale.dateTimeFormat(QLocale::ShortFormat);
        for (const HistoryStore::Version& version : m_versionList)
            rows.append(tr("%1, %2").arg(locale.toString(version.at.toLocalTime(), format),
                                         describe(version.kind)));
        // One insertion: a note with a thousand versions is one layout, not a thousand.
        m_versions->addItems(rows);
        int chosen = 0;
        for (int i = 0; chosenId != 0 && i < m_versionList.size(); ++i) {
            if (m_versionList[i].id == chosenId)
                chosen = i;
        }
        m_versions->setCurrentRow(m_versionList.isEmpty() ? -1 : chosen);
    }
    chooseVersion(m_versions->currentRow());
    m_tabs->setCurrentIndex(0);
    m_versions->setFocus();
}

void HistoryWindow::chooseVersion(int row)
{
    m_chosen.reset();
    if (row >= 0 && row < m_versionList.size())
        m_chosen = m_history.text(m_versionList[row].id);
    m_diff->setLines(m_chosen ? TextDiff::lines(*m_chosen, m_current) : QList<TextDiff::Line>());
    m_restore->setEnabled(m_chosen && *m_chosen != m_current);
}

void HistoryWindow::showDeleted(const std::function<bool(const QString& path)>& isNote)
{
    m_deletedNotes.clear();
    for (const HistoryStore::NoteHistory& note : m_history.notes()) {
        if (!isNote(note.note))
            m_deletedNotes.append(note);
    }
    {
        const QSignalBlocker blocker(m_deleted);
        m_deleted->clear();
        for (const HistoryStore::NoteHistory& note : m_deletedNotes)
            m_deleted->addItem(
                tr("%1, %2").arg(QFileInfo(note.note).completeBaseName(), when(note.newest.at)));
        m_deleted->setCurrentRow(m_deletedNotes.isEmpty() ? -1 : 0);
    }
    chooseDeleted(m_deleted->currentRow());
    m_tabs->setCurrentIndex(1);
    m_deleted->setFocus();
}

void HistoryWindow::chooseDeleted(int row)
{
    m_deletedChosen.reset();
    if (row >= 0 && row < m_deletedNotes.size())
        m_deletedChosen = m_history.text(m_deletedNotes[row].newest.id);
    m_deletedText->setPlainText(m_deletedChosen.value_or(QString()));
    m_restoreNote->setEnabled(m_deletedChosen.has_value());
}
