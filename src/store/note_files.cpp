#include "store/note_files.h"

#include "store/clock.h"
#include "store/conflict_copies.h"
#include "store/naming.h"
#include "store/note_file.h"
#include "store/note_loader.h"
#include "store/text_merge.h"
#include "store/trash_service.h"

#include <cerrno>
#include <functional>

namespace {

const QString generatedNamePrefix = QStringLiteral("Daily Notes - ");

// Puts a file at base's name in folder, or base with a number: a name can be taken between
// looking and placing (a sync tool), so it looks again then. The path tried last, and the
// errno of place there.
std::pair<QString, int> placeUnique(const QString& folder, const QString& base,
                                    const std::function<int(const QString& path)>& place)
{
    QString path;
    int error = EEXIST;
    for (int attempt = 0; attempt < Naming::maxNameAttempts && error == EEXIST; ++attempt) {
        path = Naming::uniqueFileURL(folder, base);
        if (path.isEmpty())
            break;
        error = place(path);
    }
    return {path, error};
}

// A new file named base, or base with a number.
std::pair<QString, NoteFile::Written> createUnique(const QString& folder, const QString& base,
                                                   const QByteArray& bytes)
{
    NoteFile::Written written{EEXIST, {}};
    const QString path = placeUnique(folder, base, [&](const QString& candidate) {
                             written = NoteFile::createExclusively(candidate, bytes);
                             return written.error;
                         }).first;
    return {path, written};
}

NoteFiles::Saved failed(FileError error)
{
    NoteFiles::Saved result;
    result.kind = NoteFiles::Saved::Kind::Failed;
    result.error = std::move(error);
    return result;
}

// A file another program rewrites again and again is not chased for ever.
constexpr int maxSaveRounds = 3;

// Where a save writes the note: the file named after its title. A conflict copy keeps the
// name that says what it is while its title is still the one of the note it copies; only a
// new first line names it anew.
QString targetFor(const QString& url, const QString& title)
{
    const QString base = Naming::sanitizedFileName(title);
    const QString original = ConflictCopies::originalOf(Naming::baseName(url));
    if (!original.isEmpty() && original == base)
        return url;
    return Naming::uniqueFileURL(Naming::folderOf(url), base, url);
}

// Renaming the file changed its change time and nothing else: what the write must find there.
FileIdentity movedIdentity(const QString& path, const FileIdentity& before)
{
    const FileIdentity now = FileIdentity::ofPath(Naming::pathBytes(path));
    return now.sameDataAs(before) ? now : before;
}

// The user's text with another program's version of the file joined in: lines that only one
// side changed since base come from that side. Nothing when both changed the same lines, or
// the file is no text we can join.
std::optional<Draft> joinedWithFile(const QString& url, const Draft& draft)
{
    const std::optional<Note> theirs = NoteLoader::readFile(url);
    if (!theirs)
        return std::nullopt;
    const std::optional<QString> merged =
        TextMerge::merge(draft.base.content(), draft.text, theirs->content());
    if (!merged)
        return std::nullopt;
    Draft joined = draft;
    joined.text = *merged;
    joined.base.setContentUtf8(theirs->contentUtf8());
    joined.base.identity = theirs->identity;
    joined.base.hasBom = theirs->hasBom;
    joined.base.lineEnding = theirs->lineEnding;
    return joined;
}

// A result that keeps the renames an earlier round made.
NoteFiles::Saved withMoves(NoteFiles::Saved saved, const NoteFiles::Saved& earlier)
{
    saved.movedTo = earlier.movedTo;
    saved.movedTitle = earlier.movedTitle;
    saved.merged = earlier.merged;
    saved.theirs = earlier.theirs;
    return saved;
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
    Saved result;
    const auto failedAfterMoves = [&result](FileError error) {
        result.kind = Saved::Kind::Failed;
        result.error = std::move(error);
        return result;
    };
    // Each round writes the text, or finds another program's version of the file and joins
    // the user's lines into it for the next round. A file that keeps changing under us ends
    // the rounds with the user's text beside it.
    Draft current = draft;
    QString at = url;
    for (int round = 0;; ++round) {
        const Note& base = current.base;
        const QString title = Naming::derivedTitle(current.text, base.fallbackTitle);
        const QString target = targetFor(at, title);
        if (target.isEmpty())
            return failedAfterMoves(FileError::fileNotSaved(at, EEXIST));
        const QByteArray utf8 = current.text.toUtf8();
        const QByteArray bytes = NoteText::withBom(utf8, base.hasBom);
        const bool lastRound = round + 1 >= maxSaveRounds;

        const NoteFile::Checked checked = NoteFile::check(at, base.identity, base.fileBytes());
        NoteFile::Written written;
        switch (checked.state) {
        case NoteFile::State::Failed:
            return failedAfterMoves(FileError::fileNotSaved(at, checked.error));
        case NoteFile::State::Changed:
            if (!lastRound) {
                if (std::optional<Draft> joined = joinedWithFile(at, current)) {
                    current = std::move(*joined);
                    result.merged = true;
                    result.theirs = current.base.contentUtf8();
                    if (!current.isUnsaved()) {
                        // The other program's version already says everything the user typed.
                        result.kind = Saved::Kind::InPlace;
                        result.note = current.base;
                        result.note.title = title;
                        return result;
                    }
                    continue;
                }
            }
            return withMoves(keepAsConflictCopy(at, current), result);
        case NoteFile::State::Missing:
            // Another program deleted the file while the user had text in it: the text makes
            // the file again, never over whatever took the name meanwhile.
            written = NoteFile::createExclusively(target, bytes);
            if (written.error)
                return failedAfterMoves(FileError::fileNotSaved(target, written.error));
            break;
        case NoteFile::State::Unchanged: {
            FileIdentity expected = checked.identity;
            if (target != at) {
                if (const int err = NoteFile::moveNoReplace(at, target))
                    return failedAfterMoves(FileError::fileNotRenamed(at, target, err));
                // From here on the file lives at target, whatever the write does.
                result.movedTo = target;
                result.movedTitle = title;
                at = target;
                current.base.url = target;
                expected = movedIdentity(target, expected);
            }
            written = NoteFile::writeAtomically(target, bytes,
                                                NoteFile::Expected{expected, base.fileBytes()});
            if (written.changedElsewhere) {
                // Another program's version landed during the write and went straight back:
                // the next round joins it.
                if (lastRound)
                    return withMoves(keepAsConflictCopy(at, current), result);
                current.base.identity = {};
                continue;
            }
            if (written.error)
                return failedAfterMoves(FileError::fileNotSaved(target, written.error));
            break;
        }
        }
        result.kind = Saved::Kind::InPlace;
        result.note = recordFor(base, target, title, utf8, written.identity);
        return result;
    }
}

NoteFiles::Saved NoteFiles::keepAsConflictCopy(const QString& url, const Draft& draft) const
{
    const QString folder = Naming::folderOf(url);
    const QString title = Naming::derivedTitle(draft.text, draft.base.fallbackTitle);
    const QString base = ConflictCopies::ourCopyName(
        Naming::sanitizedFileName(title), m_clock.now(),
        Naming::maxFileNameBytes - Naming::numberSuffixReserveBytes - 1 - Naming::extension.size());
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
    return create(folder, name, name, {});
}

NoteFiles::Created NoteFiles::createWithText(const QString& folder, const QString& formerUrl,
                                             const QString& text) const
{
    const QString fallback = Naming::baseName(formerUrl);
    return create(folder, Naming::sanitizedFileName(Naming::derivedTitle(text, fallback)), text,
                  fallback);
}

// A new note named base (numbered when taken); fallbackTitle empty: the name it got.
NoteFiles::Created NoteFiles::create(const QString& folder, const QString& base,
                                     const QString& text, const QString& fallbackTitle) const
{
    const QByteArray utf8 = text.toUtf8();
    const auto [path, written] = createUnique(folder, base, utf8);
    if (written.error) {
        return {{},
                FileError::fileNotCreated(path.isEmpty() ? folder + QLatin1Char('/') + base : path,
                                          written.error)};
    }
    Note note = recordFor(Note{}, path, Naming::baseName(path), utf8, written.identity);
    note.id = NoteLoader::newId();
    note.fallbackTitle = fallbackTitle.isEmpty() ? note.title : fallbackTitle;
    return {note, std::nullopt};
}

TrashService::Moved NoteFiles::moveToTrash(const QString& url) const
{
    return m_trash.moveToTrash(url);
}

NoteFiles::Restored NoteFiles::restoreFromTrash(const QString& url,
                                                const TrashService::Entry& entry) const
{
    const TrashService::Origin origin = m_trash.originOf(entry);
    if (origin.error == ENOENT)
        return {{}, FileError::notInTrash(url)};
    if (origin.error)
        return {{}, FileError::fileNotRestored(url, origin.error)};
    // Whatever took the name meanwhile stays: the note comes back beside it. Into the folder
    // it was deleted from, whatever the record says now: the record is a file anyone of ours
    // could have changed, and a note belongs in its notes folder.
    const auto [path, error] =
        placeUnique(Naming::folderOf(url), Naming::baseName(origin.path),
                    [&](const QString& candidate) { return m_trash.restore(entry, candidate); });
    if (error)
        return {{}, FileError::fileNotRestored(path.isEmpty() ? origin.path : path, error)};
    return {path, std::nullopt};
}
