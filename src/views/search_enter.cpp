#include "views/search_enter.h"

#include "store/naming.h"
#include "store/notes_store.h"

#include <QAction>
#include <QLineEdit>

SearchEnter::SearchEnter(QLineEdit& field, NotesStore& store, std::function<void()> openEditor)
    : QObject(&field), m_field(field), m_store(store), m_openEditor(std::move(openEditor))
{
    const auto keys = [this](const QList<QKeySequence>& sequences, bool create) {
        auto* action = new QAction(&m_field);
        action->setShortcuts(sequences);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, [this, create] { entered(create); });
        m_field.addAction(action);
    };
    keys({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, false);
    keys({QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}, true);
    connect(&m_store, &NotesStore::searchFinished, this, &SearchEnter::searchFinished);
}

void SearchEnter::entered(bool create)
{
    const QString query = Naming::trimmed(m_field.text());
    if (query.isEmpty())
        return;
    // Scanning a hundred thousand notes here would hold the window; the scan under way ends
    // soon, and Enter takes effect then, on the text it was pressed on.
    if (!create && !m_store.searchAnswered()) {
        m_waiting = m_field.text();
        return;
    }
    m_waiting.clear();
    const std::optional<Note> first = create ? std::nullopt : m_store.firstListed();
    if (!first) {
        emit noteRequested(query + QLatin1Char('\n'));
        return;
    }
    const std::optional<Note>& leaving = m_store.selectedNote();
    if (!leaving || leaving->url != first->url) {
        m_store.saveDraftNow(leaving ? leaving->url : QString());
        if (const std::optional<Note> note = m_store.note(first->url))
            m_store.setSelectedNote(note);
    }
    m_openEditor();
}

void SearchEnter::searchFinished()
{
    if (m_waiting.isEmpty())
        return;
    if (m_field.text() != m_waiting)
        m_waiting.clear(); // typed on: that Enter was for another search
    else if (m_store.searchAnswered())
        entered(false);
}
