#include "app/save_failure_notices.h"

#include "store/naming.h"
#include "store/notes_store.h"
#include "views/file_error_text.h"

SaveFailureNotices::SaveFailureNotices(NotesStore& store,
                                       std::function<void(const FileError&)> alert, QObject* parent)
    : QObject(parent), m_store(store), m_alert(std::move(alert))
{
    connect(&m_store, &NotesStore::saveFailed, this, &SaveFailureNotices::report);
    connect(&m_store, &NotesStore::notesChanged, this, &SaveFailureNotices::forgetSaved);
}

void SaveFailureNotices::report(const FileError& error)
{
    if (m_quiet)
        return;
    const auto told = m_told.constFind(error.path);
    if (told == m_told.cend() || *told != error.code) {
        m_told.insert(error.path, error.code);
        m_alert(error);
        return;
    }
    const std::optional<Note> note = m_store.note(error.path);
    const QString title = note ? note->title : Naming::readableName(Naming::baseName(error.path));
    emit stillFailing(error.path, tr("“%1” still can't be saved: %2. Your text is kept.")
                                      .arg(title, FileErrorText::reason(error)));
}

// A note whose text reached its file is told again the next time its save fails.
void SaveFailureNotices::forgetSaved()
{
    m_told.removeIf(
        [this](QHash<QString, int>::iterator told) { return !m_store.hasDraft(told.key()); });
}
