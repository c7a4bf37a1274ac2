#include "store/folder_listing.h"

#include "store/note_file.h"

#include <QTimeZone>

#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// A save killed between writing its temporary file and renaming it leaves the file behind;
// sync tools would copy it around for ever. One younger than this may belong to a save that
// another window is making right now.
constexpr int staleTemporarySeconds = 60;

void removeStaleTemporary(int dirFd, const char* name)
{
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
        return;
    if (::time(nullptr) - st.st_mtim.tv_sec > staleTemporarySeconds)
        ::unlinkat(dirFd, name, 0);
}

} // namespace

std::vector<QByteArray> FolderListing::candidateNames(DIR* dir)
{
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') {
            if (std::strncmp(entry->d_name, NoteFile::temporaryPrefix,
                             std::strlen(NoteFile::temporaryPrefix)) == 0)
                removeStaleTemporary(::dirfd(dir), entry->d_name);
            continue;
        }
        if (entry->d_type == DT_REG || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            names.emplace_back(entry->d_name);
    }
    return names;
}

QDateTime FolderListing::modified(const struct stat& st)
{
    const qint64 ms = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return QDateTime::fromMSecsSinceEpoch(ms, QTimeZone::utc());
}
