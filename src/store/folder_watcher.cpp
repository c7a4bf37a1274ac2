#include "store/folder_watcher.h"

#include "store/naming.h"

#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr uint32_t entryEvents =
    IN_CREATE | IN_CLOSE_WRITE | IN_MODIFY | IN_ATTRIB | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
constexpr uint32_t lossEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

// The loader's rule, applied before anything is remembered: hidden files are the temporary
// files of sync tools, and only ".md" files are notes.
bool isNoteName(const char* name)
{
    return name[0] != '\0' && name[0] != '.' && Naming::isNoteFileName(QFile::decodeName(name));
}

// File systems whose files other machines change too: their changes raise no inotify event here.
bool isLocal(const QString& folder)
{
    struct statfs fs;
    if (::statfs(QFile::encodeName(folder).constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969:     // NFS
    case 0x517B:     // SMB
    case 0xFE534D42: // SMB2
    case 0xFF534D42: // CIFS
    case 0x65735546: // FUSE (sshfs, rclone, and the like)
    case 0x01021997: // 9P
    case 0x00C36400: // Ceph
    case 0x5346414F: // AFS
    case 0x73757245: // Coda
    case 0x564C:     // NCP
    case 0x01161970: // GFS2
    case 0x7461636F: // OCFS2
        return false;
    default:
        return true;
    }
}

} // namespace

FolderWatcher::FolderWatcher(QObject* parent) : QObject(parent)
{
    m_quiet.setSingleShot(true);
    connect(&m_quiet, &QTimer::timeout, this, &FolderWatcher::flush);
    m_writingQuiet.setSingleShot(true);
    connect(&m_writingQuiet, &QTimer::timeout, this, &FolderWatcher::forgetFinishedWriters);
}

FolderWatcher::~FolderWatcher()
{
    release();
}

bool FolderWatcher::watch(const QString& folder)
{
    stop();
    m_error = 0;
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        m_error = errno;
        return false;
    }
    m_wd = ::inotify_add_watch(m_fd, QFile::encodeName(folder).constData(),
                               entryEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR);
    if (m_wd < 0) {
        m_error = errno;
        release();
        return false;
    }
    m_local = isLocal(folder);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatcher::readEvents);
    return true;
}

void FolderWatcher::stop()
{
    release();
    m_quiet.stop();
    m_changed.clear();
    m_overflowed = false;
    m_writing.clear();
    m_writingQuiet.stop();
}

void FolderWatcher::release()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_fd >= 0)
        ::close(m_fd); // also removes the watch
    m_fd = -1;
    m_wd = -1;
}

void FolderWatcher::readEvents()
{
    alignas(inotify_event) char buffer[64 * 1024];
    bool lost = false;
    while (m_fd >= 0 && !lost) {
        const ssize_t size = ::read(m_fd, buffer, sizeof buffer);
        if (size <= 0)
            break; // EAGAIN: drained
        for (ssize_t at = 0; at < size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                m_overflowed = true;
                schedule();
            } else if (event->wd != m_wd) {
                continue; // a watch already given up
            } else if (event->mask & lossEvents) {
                lost = true;
                break;
            } else if (event->len > 0 && !(event->mask & IN_ISDIR) && isNoteName(event->name)) {
                const QByteArray name(event->name);
                // A close, or a name that now belongs to another file, ends a write; an
                // in-place write goes on until one of them comes.
                if (event->mask & (IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) {
                    m_writing.remove(name);
                } else if (event->mask & IN_MODIFY) {
                    m_writing[name].start();
                    if (!m_writingQuiet.isActive())
                        m_writingQuiet.start(m_writingQuietMs);
                }
                m_changed.insert(name);
                schedule();
            }
        }
    }
    if (lost) {
        // What was pending belongs to a folder that is no longer there; the caller rescans or
        // asks for another folder.
        stop();
        emit folderLost();
    }
}

void FolderWatcher::schedule()
{
    if (!m_quiet.isActive())
        m_pendingSince.start();
    // Restarting waits for quiet, but never past a second interval: a folder changed every
    // few milliseconds would otherwise never be reported.
    if (!m_quiet.isActive() || m_pendingSince.elapsed() < m_quietMs)
        m_quiet.start(m_quietMs);
}

void FolderWatcher::flush()
{
    if (std::exchange(m_overflowed, false)) {
        m_changed.clear();
        emit rescanNeeded();
        return;
    }
    QByteArrayList names;
    for (auto it = m_changed.begin(); it != m_changed.end();) {
        if (writing(*it)) {
            ++it; // reported when its writer is done
        } else {
            names.append(*it);
            it = m_changed.erase(it);
        }
    }
    if (names.isEmpty())
        return;
    std::sort(names.begin(), names.end());
    emit notesChanged(names);
}

bool FolderWatcher::isBeingWritten(const QByteArray& fileName)
{
    readEvents();
    return writing(fileName);
}

bool FolderWatcher::writing(const QByteArray& fileName) const
{
    const auto writer = m_writing.constFind(fileName);
    return writer != m_writing.cend() && writer->elapsed() < m_writingQuietMs;
}

// A writer that went quiet without closing the file (or whose close we never saw) is done.
void FolderWatcher::forgetFinishedWriters()
{
    qint64 nextDue = -1;
    for (auto it = m_writing.begin(); it != m_writing.end();) {
        const qint64 left = m_writingQuietMs - it->elapsed();
        if (left <= 0) {
            it = m_writing.erase(it);
        } else {
            nextDue = nextDue < 0 ? left : qMin(nextDue, left);
            ++it;
        }
    }
    if (nextDue >= 0)
        m_writingQuiet.start(int(nextDue) + 1);
    if (!m_changed.isEmpty())
        schedule();
}
