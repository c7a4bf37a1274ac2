#include "store/note_files.h"

#include "store/clock.h"
#include "store/naming.h"
#include "store/note_file.h"
#include "store/note_loader.h"
#include "store/trash_service.h"

#include <cerrno>

namespace {

const QString generatedNamePrefix = QStringLiteral("Daily Notes - ");

// A new file named base, or base with a number: a name can be taken between looking and
// writing (a sync tool), so it looks again then.
std::pair<QString, NoteFile::Written> createUnique(const QString& folder, const QString& base,
                                                   const QByteArray& bytes)
{
    QString path;
    NoteFile::Written written{EEXIST, {}};
    for (int attempt = 0; attempt < Naming::maxNameAttempts && written.error == EEXIST; ++attempt) {
        path = Naming::uniqueFileURL(folder, base);
        if (path.isEmpty())
            break;
        written = NoteFile::createExclusively(path, bytes);
    }
    return {path, written};
}

NoteFiles::Saved failed(FileError error)
{
    NoteFiles::Saved result;
    result.kind = NoteFiles::Saved::Kind::Failed;
    result.error = std::move(error);
    return result;
}

} // namespace

Note NoteFiles::recordFor(const Note& base, const QString& url, const QString& title,
                          const QByteArray& utf8, const FileIdentity& identity) const
{
    Note note = base;
    note.url = url;
    note.title = title;
    note.setContentUtf8(utf8);
    note.identity = identity;
    note.lastModified = m_clock.now();
    return note;
}

NoteFiles::Saved NoteFiles::save(const QString& url, const Draft& draft) const
{
    const Note& base = draft.base;
    // The note's own folder, even when the store has moved on to another one since.
    const QString folder = Naming::folderOf(url);
    const QString title = Naming::derivedTitle(draft.text, base.fallbackTitle);
    const QString target = Naming::uniqueFileURL(folder, Naming::sanitizedFileName(title), url);
    if (target.isEmpty())
        return failed(FileError::fileNotSaved(url, EEXIST));
    const QByteArray utf8 = draft.text.toUtf8();
    const QByteArray bytes = NoteText::withBom(utf8, base.hasBom);

    const NoteFile::Checked checked = NoteFile::check(url, base.identity, base.fileBytes());
    NoteFile::Written written;
    Saved result;
    switch (checked.state) {
    case NoteFile::State::Failed:
        return failed(FileError::fileNotSaved(url, checked.error));
    case NoteFile::State::Changed:
        return keepAsConflictCopy(url, draft);
    case NoteFile::State::Missing:
        // Another program deleted the file while the user had text in it: the text makes the
        // file again, never over whatever took the name meanwhile.
        written = NoteFile::createExclusively(target, bytes);
        if (written.error)
            return failed(FileError::fileNotSaved(target, written.error));
        break;
    case NoteFile::State::Unchanged:
        if (target != url) {
            if (const int err = NoteFile::moveNoReplace(url, target))
                return failed(FileError::fileNotRenamed(url, target, err));
            // From here on the file lives at target, whatever the write does.
            result.movedTo = target;
            result.movedTitle = title;
        }
        written = NoteFile::writeAtomically(target, bytes,
                                            NoteFile::Expected{base.identity, base.fileBytes()});
        if (written.changedElsewhere) {
            Draft moved = draft;
            moved.base.url = target;
            Saved copy = keepAsConflictCopy(target, moved);
            copy.movedTo = result.movedTo;
            copy.movedTitle = result.movedTitle;
            return copy;
        }
        if (written.error) {
            result.error = FileError::fileNotSaved(target, written.error);
            return result;
        }
        break;
    }
    result.kind = Saved::Kind::InPlace;
    result.note = recordFor(base, target, title, utf8, written.identity);
    return result;
}

NoteFiles::Saved NoteFiles::keepAsConflictCopy(const QString& url, const Draft& draft) const
{
    const QString folder = Naming::folderOf(url);
    const QString suffix = QStringLiteral(" (conflict %1)")
                               .arg(m_clock.now().toString(QStringLiteral("yyyy-MM-dd HHmmss")));
    const QString title = Naming::derivedTitle(draft.text, draft.base.fallbackTitle);
    const QString base =
        Naming::fittedBase(Naming::sanitizedFileName(title),
                           Naming::maxFileNameBytes - Naming::numberSuffixReserveBytes - 1 -
                               Naming::extension.size() - suffix.toUtf8().size()) +
        suffix;
    const QByteArray utf8 = draft.text.toUtf8();
    const auto [path, written] =
        createUnique(folder, base, NoteText::withBom(utf8, draft.base.hasBom));
    if (written.error)
        return failed(FileError::fileNotCreated(path.isEmpty() ? url : path, written.error));

    Saved result;
    result.kind = Saved::Kind::AsConflictCopy;
    result.note = recordFor(draft.base, path, Naming::baseName(path), utf8, written.identity);
    result.note.id = NoteLoader::newId();
    result.note.fallbackTitle = result.note.title;
    result.note.unreadable = false;
    return result;
}

NoteFiles::Created NoteFiles::createDated(const QString& folder) const
{
    const QDateTime now = m_clock.now();
    const QString name = generatedNamePrefix + now.toString(QStringLiteral("yyyy-MM-dd")) +
                         QLatin1Char(' ') + now.toString(QStringLiteral("HHmmss"));
    const QByteArray utf8 = name.toUtf8();
    const auto [path, written] = createUnique(folder, name, utf8);
    if (written.error) {
        return {{},
                FileError::fileNotCreated(path.isEmpty() ? folder + QLatin1Char('/') + name : path,
                                          written.error)};
    }
    Note note = recordFor(Note{}, path, Naming::baseName(path), utf8, written.identity);
    note.id = NoteLoader::newId();
    note.fallbackTitle = note.title;
    return {note, std::nullopt};
}

int NoteFiles::moveToTrash(const QString& url) const
{
    return m_trash.moveToTrash(url);
}
