#include "store/recovery_folder.h"

#include "store/naming.h"
#include "store/note_file.h"
#include "store/note_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t privateFolderMode = 0700;
constexpr mode_t privateFileMode = 0600;

QByteArray encoded(const QString& path)
{
    return Naming::pathBytes(path);
}

// Like mkdir -p; a folder it makes is private whatever the umask, one that exists is left as
// it is (a home or a ~/.local may well be a link).
int makeParents(const QByteArray& folder)
{
    struct stat st;
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0) {
        if (const int err = makeParents(folder.left(slash)))
            return err;
    }
    if (::mkdir(folder.constData(), privateFolderMode) != 0)
        return errno == EEXIST ? 0 : errno;
    return ::chmod(folder.constData(), privateFolderMode) == 0 ? 0 : errno;
}

// The folder as a real directory of our own, made private. A link or another user's folder
// is refused: in a folder others may write to (/tmp) it can be planted to catch the text.
int claimFolder(const QByteArray& folder)
{
    if (::mkdir(folder.constData(), privateFolderMode) != 0 && errno != EEXIST)
        return errno;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st;
    int err = ::fstat(fd, &st) == 0 ? 0 : errno;
    if (!err && st.st_uid != ::geteuid())
        err = EACCES;
    if (!err && (st.st_mode & 07777) != privateFolderMode && ::fchmod(fd, privateFolderMode) != 0)
        err = errno;
    ::close(fd);
    return err;
}

// 0 and the file in file, or the errno of the step that failed.
int keepIn(const QString& folder, bool makeMissingParents, const QString& notePath,
           const QByteArray& bytes, QString& file)
{
    const QByteArray folderBytes = encoded(folder);
    if (makeMissingParents) {
        if (const int err = makeParents(encoded(Naming::folderOf(folder))))
            return err;
    }
    if (const int err = claimFolder(folderBytes))
        return err;
    const QString base = Naming::readableName(Naming::baseName(notePath));
    for (int attempt = 0; attempt < Naming::maxNameAttempts; ++attempt) {
        const QString target = Naming::uniqueFileURL(folder, base);
        if (target.isEmpty())
            return EEXIST;
        const NoteFile::Written written = NoteFile::createExclusively(target, bytes);
        if (written.error == EEXIST)
            continue;
        if (written.error)
            return written.error;
        // No one else can enter the folder, so the file is private from the start.
        ::chmod(encoded(target).constData(), privateFileMode);
        const QByteArray origin = Naming::pathBytes(Naming::folderOf(notePath)) + '\n' +
                                  Naming::pathBytes(Naming::fileName(notePath)) + '\n';
        // The text is safe already; a missing companion only loses where it came from.
        const QString originPath = target + QStringLiteral(".origin");
        if (NoteFile::replaceFile(originPath, origin) == 0)
            ::chmod(encoded(originPath).constData(), privateFileMode);
        file = target;
        return 0;
    }
    return EEXIST;
}

// The text on one line that gives back the original: backslash escapes for the backslash
// and for control characters (a terminal would act on them).
QByteArray escaped(const QByteArray& text)
{
    QByteArray line;
    line.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else if (c == '\r')
            line += "\\r";
        else if ((byte < 0x20 && c != '\t') || byte == 0x7F)
            line += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            line += c;
    }
    return line;
}

QByteArray quoted(const QString& path)
{
    return "\"" + escaped(encoded(path)) + "\"";
}

} // namespace

QString RecoveryFolder::path()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/quillbox/recovered");
}

QStringList RecoveryFolder::fallbackPaths()
{
    QStringList paths;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        paths.append(runtime + QStringLiteral("/quillbox-recovered"));
    // Shared by every user: the name says whose it is, so that no one else's blocks ours.
    paths.append(QDir::tempPath() + QStringLiteral("/quillbox-recovered-%1").arg(::geteuid()));
    return paths;
}

QString RecoveryFolder::placeWithFiles()
{
    for (const QString& place : QStringList{path()} + fallbackPaths()) {
        if (!QDir(place).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty())
            return place;
    }
    return {};
}

RecoveryFolder::Kept RecoveryFolder::keep(const QString& notePath, const QString& text, bool hasBom,
                                          Reach reach)
{
    const QByteArray bytes = NoteText::encode(text, hasBom);
    Kept kept;
    kept.error = keepIn(path(), true, notePath, bytes, kept.file);
    if (kept.error && reach == Reach::AnyPrivateFolder) {
        for (const QString& folder : fallbackPaths()) {
            if (keepIn(folder, false, notePath, bytes, kept.file) == 0)
                break;
        }
    }
    return kept;
}

QList<RecoveryFolder::Recovered> RecoveryFolder::recoveredFrom(const QString& folder)
{
    QList<Recovered> found;
    const QString place = path();
    const QString wanted = QDir::cleanPath(folder);
    const QString originSuffix = QStringLiteral(".origin");
    for (const QString& name : QDir(place).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (name.endsWith(originSuffix))
            continue;
        const QString file = place + QLatin1Char('/') + name;
        QFile origin(file + originSuffix);
        if (!origin.open(QIODevice::ReadOnly))
            continue;
        // The folder, then the note's own name: the file's may carry a number this folder
        // gave it beside another recovered text of the same name.
        const QList<QByteArray> lines = origin.readAll().split('\n');
        if (lines.size() < 2 || lines[1].isEmpty() ||
            QDir::cleanPath(Naming::pathFromBytes(lines[0])) != wanted)
            continue;
        QFile recovered(file);
        if (!recovered.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = recovered.readAll();
        const std::optional<NoteText::Decoded> decoded = NoteText::decode(bytes);
        found.append({file, wanted + QLatin1Char('/') + Naming::pathFromBytes(lines[1]),
                      QString::fromUtf8(decoded ? decoded->utf8 : bytes),
                      QFileInfo(file).lastModified()});
    }
    return found;
}

void RecoveryFolder::tellStandardError(const QString& notePath, const Kept& kept,
                                       const QString& text)
{
    QByteArray line = "quillbox: the unsaved text of " + quoted(notePath);
    line +=
        kept.file.isEmpty() ? QByteArray(" could not be kept") : " is kept in " + quoted(kept.file);
    if (kept.error)
        line += " (" + quoted(path()) + ": " + std::strerror(kept.error) + ")";
    if (kept.file.isEmpty())
        line += "; it reads: " + escaped(text.toUtf8());
    line += '\n';
    qsizetype done = 0;
    while (done < line.size()) {
        const ssize_t written =
            ::write(STDERR_FILENO, line.constData() + done, size_t(line.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += written;
    }
}
