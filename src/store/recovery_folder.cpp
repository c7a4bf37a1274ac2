#include "store/recovery_folder.h"

#include "store/naming.h"
#include "store/note_file.h"
#include "store/note_text.h"

#include <QDir>

#include <cerrno>

QString RecoveryFolder::path()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/quillbox/recovered");
}

bool RecoveryFolder::hasFiles()
{
    return !QDir(path()).entryList(QDir::Files | QDir::NoDotAndDotDot).isEmpty();
}

int RecoveryFolder::keep(const QString& notePath, const QString& text, bool hasBom)
{
    const QString folder = path();
    if (!QDir().mkpath(folder))
        return EACCES;
    const QByteArray bytes = NoteText::encode(text, hasBom);
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
        const QByteArray origin = Naming::pathBytes(Naming::folderOf(notePath)) + '\n' +
                                  Naming::pathBytes(Naming::fileName(notePath)) + '\n';
        // The text is safe already; a missing companion only loses where it came from.
        NoteFile::replaceFile(target + QStringLiteral(".origin"), origin);
        return 0;
    }
    return EEXIST;
}
