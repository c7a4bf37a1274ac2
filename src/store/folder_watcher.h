#pragma once

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// Tells which note files of one folder other programs touched. One inotify watch on the folder
// itself, never one per file: the per-user watch limit is shared with the sync tools that
// change the folder. Events are gathered until the folder has been quiet for a moment, so a
// sync that lands a thousand files costs one refresh.
class FolderWatcher : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultQuietMs = 200;
    // A file another program writes in place (rsync --inplace, a slow script) is finished when
    // it is closed, or when it has not been written to for this long.
    static constexpr int defaultWritingQuietMs = 2000;

    explicit FolderWatcher(QObject* parent = nullptr);
    ~FolderWatcher() override;

    // Replaces any earlier watch. False when inotify is unavailable (error() says why,
    // typically a per-user limit); the caller then refreshes on activation only.
    bool watch(const QString& folder);
    void stop();
    bool isWatching() const { return m_wd >= 0; }
    // The watch reports every change of the folder: it runs, and the folder is on a local
    // file system. On a network or FUSE file system inotify sees only this machine's changes.
    bool seesEveryChange() const { return isWatching() && m_local; }
    // The errno of the refusal: EMFILE or ENOSPC when a per-user inotify limit is reached.
    int error() const { return m_error; }

    void setQuietInterval(int milliseconds) { m_quietMs = milliseconds; }
    void setWritingQuietInterval(int milliseconds) { m_writingQuietMs = milliseconds; }

    // Another program is still writing the note file (bytes as on disk): what it holds now is
    // not its last word. Such files are reported only once they are finished. Takes in the
    // events the kernel holds first, so a write that began a moment ago counts.
    bool isBeingWritten(const QByteArray& fileName);

signals:
    // File names (bytes as on disk, sorted) created, written, deleted or renamed from or to,
    // each once no program is writing it any more.
    void notesChanged(const QByteArrayList& fileNames);
    // The kernel dropped events: only a full listing can tell what changed.
    void rescanNeeded();
    // The folder was deleted, renamed or unmounted; reported once, and the watch ends.
    void folderLost();

private:
    void readEvents();
    void flush();
    void schedule();
    void release();
    void forgetFinishedWriters();
    bool writing(const QByteArray& fileName) const;

    int m_fd = -1;
    int m_wd = -1;
    bool m_local = false;
    QSocketNotifier* m_notifier = nullptr;
    int m_error = 0;
    int m_quietMs = defaultQuietMs;
    QTimer m_quiet;
    // Started by the first pending event: a folder that never goes quiet is still reported.
    QElapsedTimer m_pendingSince;
    QSet<QByteArray> m_changed;
    bool m_overflowed = false;
    // Files written to and not yet closed, with the time since their last write.
    QHash<QByteArray, QElapsedTimer> m_writing;
    int m_writingQuietMs = defaultWritingQuietMs;
    QTimer m_writingQuiet;
};
