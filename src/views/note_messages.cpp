#include "views/note_messages.h"

#include "store/notes_store.h"
#include "views/message_bar.h"

#include <algorithm>

NoteMessages::NoteMessages(NotesStore& store, MessageBar& bar, QObject* parent)
    : QObject(parent), m_store(store), m_bar(bar)
{
    connect(&m_store, &NotesStore::noteRenamed, this, &NoteMessages::followRename);
    connect(&m_store, &NotesStore::selectedNoteChanged, this, &NoteMessages::followSelection);
    connect(&m_store, &NotesStore::notesChanged, this, &NoteMessages::followList);
}

void NoteMessages::show(const QStringList& urls, Text text, const QString& actionText,
                        Action action)
{
    m_urls = urls;
    m_text = std::move(text);
    m_actionText = actionText;
    m_action = std::move(action);
    present();
}

QStringList NoteMessages::notes() const
{
    // Another message may have taken the bar since, or the user dismissed it.
    if (m_urls.isEmpty() || m_bar.isHidden() || m_bar.text() != m_shown)
        return {};
    return m_urls;
}

void NoteMessages::present()
{
    m_shown = m_text(m_urls);
    std::function<void()> run;
    if (m_action)
        run = [this, action = m_action] { action(m_urls); };
    m_bar.showMessage(m_shown, m_actionText, std::move(run));
}

void NoteMessages::leave()
{
    if (!notes().isEmpty())
        m_bar.hide();
    m_urls.clear();
    m_text = nullptr;
    m_action = nullptr;
}

void NoteMessages::followRename(const QString& from, const QString& to)
{
    if (!notes().contains(from))
        return;
    m_urls.replace(m_urls.indexOf(from), to);
    present();
}

void NoteMessages::followSelection()
{
    const std::optional<Note>& shown = m_store.selectedNote();
    if (!notes().isEmpty() && (!shown || !m_urls.contains(shown->url)))
        leave();
}

void NoteMessages::followList()
{
    const QStringList urls = notes();
    if (std::any_of(urls.cbegin(), urls.cend(),
                    [this](const QString& url) { return !m_store.contains(url); }))
        leave();
}
