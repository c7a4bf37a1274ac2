#include "store/file_identity.h"

#include <sys/stat.h>

FileIdentity FileIdentity::of(const struct stat& st)
{
    return {quint64(st.st_dev),        quint64(st.st_ino),         qint64(st.st_size),
            qint64(st.st_mtim.tv_sec), qint64(st.st_mtim.tv_nsec), qint64(st.st_ctim.tv_sec),
            qint64(st.st_ctim.tv_nsec)};
}

FileIdentity FileIdentity::ofPath(const QByteArray& path)
{
    struct stat st;
    if (::stat(path.constData(), &st) != 0)
        return {};
    return of(st);
}
