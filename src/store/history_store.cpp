#include "store/history_store.h"

#include "store/history_schema.h"
#include "store/sqlite_statement.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The texts of dropped versions that no version shows any more.
constexpr const char* dropUnusedTexts =
    "DELETE FROM texts WHERE hash IN (SELECT hash FROM dropped) and NOT EXISTS (SELECT 1 FROM "
    "versions v WHERE v.hash = texts.hash); DELETE FROM dropped";

// The folders we make are private: the texts in them are the user's notes. Folders that were
// there already are not ours to change.
bool makePrivateFolders(const QString& path)
{
    const QString parent = QFileInfo(path).absolutePath();
    if (QFileInfo::exists(path) || path == parent) {
        errno = ENOTDIR;
        return QFileInfo(path).isDir();
    }
    if (!makePrivateFolders(parent))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || errno == EEXIST;
}

bool isDamaged(int code)
{
    return (code & 0xff) == SQLITE_NOTADB || (code & 0xff) == SQLITE_CORRUPT;
}

} // namespace

QString HistoryStore::pathFor(const QString& folder)
{
    const QString state = qEnvironmentVariableIsEmpty("XDG_STATE_HOME")
                              ? QDir::homePath() + QStringLiteral("/.local/state")
                              : qEnvironmentVariable("XDG_STATE_HOME");
    const QByteArray key = QCryptographicHash::hash(QFile::encodeName(QDir::cleanPath(folder)),
                                                    QCryptographicHash::Sha256)
                               .toHex()
                               .left(32);
    return state + QStringLiteral("/quillbox/history/") + QString::fromLatin1(key) +
           QStringLiteral(".sqlite");
}

HistoryStore::HistoryStore(const QString& databasePath)
{
    const QString folder = QFileInfo(databasePath).absolutePath();
    if (!makePrivateFolders(folder)) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    if (!isDamaged(open(databasePath)))
        return;
    // What cannot be read cannot be mended here: it is kept aside, whole, for whoever can, and
    // versions are kept again from now on.
    close();
    const QString aside = databasePath + QDateTime::currentDateTime().toString(
                                             QStringLiteral(".'damaged'-yyyyMMdd-HHmmss"));
    for (const char* suffix : {"-wal", "-shm", ""}) {
        const QString from = databasePath + QLatin1String(suffix);
        if (QFileInfo::exists(from) &&
            ::rename(QFile::encodeName(from).constData(),
                     QFile::encodeName(aside + QLatin1String(suffix)).constData()) != 0) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return;
        }
    }
    m_movedAside = aside;
    open(databasePath);
}

int HistoryStore::open(const QString& databasePath)
{
    // Made private before SQLite opens it; its journal files take the same permissions.
    const QByteArray path = QFile::encodeName(databasePath);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return SQLITE_CANTOPEN;
    }
    ::fchmod(fd, 0600);
    ::close(fd);
    // Some other file (not SQLite's header, "SQLite format 3" and a zero): SQLite would delete a
    // journal beside it that it cannot use, so it is not asked.
    QFile file(databasePath);
    if (file.open(QIODevice::ReadOnly) && file.size() > 0 &&
        file.read(16) != QByteArray::fromHex("53514c69746520666f726d6174203300")) {
        m_error = QString::fromUtf8(sqlite3_errstr(SQLITE_NOTADB));
        return SQLITE_NOTADB;
    }
    file.close();
    int code = sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                               nullptr);
    if (code == SQLITE_OK) {
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, 2000);
        // Before anything is written, so that a damaged file is moved aside as it was found.
        // It reads every page, so it is kept to databases that read in moments; a larger one
        // is found damaged by the step that meets the damage.
        const qint64 bytes = QFileInfo(databasePath).size() +
                             QFileInfo(databasePath + QStringLiteral("-wal")).size();
        if (bytes <= quickCheckBytes) {
            SqliteStatement check(m_db, "PRAGMA quick_check(1)");
            code = check.step() == SQLITE_ROW ? SQLITE_OK : sqlite3_errcode(m_db);
            if (code == SQLITE_OK && check.blob(0) != "ok") {
                m_error = QString::fromUtf8(check.blob(0));
                code = SQLITE_CORRUPT;
            }
        }
    }
    if (code == SQLITE_OK) {
        // Both chosen before the first table exists (they cannot be changed after): texts of
        // a few kilobytes fill large pages better (a file a fifth smaller than with 4 KB), and
        // space that pruning frees can be given back without rewriting the whole file.
        // Write-ahead: a process killed at any moment leaves the database as of its last
        // commit; the log shrinks back after a large prune.
        if (!run("PRAGMA page_size=16384") || !run("PRAGMA auto_vacuum=INCREMENTAL") ||
            !run("PRAGMA journal_mode=WAL") || !run("PRAGMA journal_size_limit=8388608") ||
            !run("PRAGMA synchronous=NORMAL") || !run(historySchema))
            code = sqlite3_errcode(m_db);
    }
    if (code != SQLITE_OK) {
        if (m_error.isEmpty())
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        close();
    }
    return code;
}

void HistoryStore::close()
{
    sqlite3_close(m_db);
    m_db = nullptr;
}

HistoryStore::~HistoryStore()
{
    close();
}

bool HistoryStore::run(const char* sql)
{
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    return failed();
}

bool HistoryStore::failed() const
{
    m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    return false;
}

bool HistoryStore::transaction(const std::function<bool()>& work)
{
    if (!m_db || !run("BEGIN IMMEDIATE"))
        return false;
    if (work() && run("COMMIT"))
        return true;
    // A failed commit (a full disk, say) can leave the transaction open, and every later
    // write would fail on it.
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
}

qint64 HistoryStore::noteId(const QString& path, bool create)
{
    SqliteStatement find(m_db, "SELECT id FROM notes WHERE path = ?");
    find.bind(1, path);
    if (find.step() == SQLITE_ROW)
        return find.integer(0);
    if (!create)
        return 0;
    SqliteStatement add(m_db, "INSERT INTO notes (path) VALUES (?)");
    add.bind(1, path);
    return add.step() == SQLITE_DONE ? sqlite3_last_insert_rowid(m_db) : 0;
}

bool HistoryStore::keep(const QString& note, const QString& text, Kind kind, const QDateTime& at)
{
    return transaction([&] { return keepVersion(note, text, kind, at); });
}

bool HistoryStore::keepOnce(const QString& key, const QString& note, const QString& text, Kind kind,
                            const QDateTime& at)
{
    bool keptBefore = false;
    const bool done = transaction([&] {
        SqliteStatement mark(m_db, "INSERT OR IGNORE INTO imported (key) VALUES (?)");
        if (mark.bind(1, key).step() != SQLITE_DONE)
            return failed();
        keptBefore = sqlite3_changes(m_db) == 0;
        return keptBefore || keepVersion(note, text, kind, at);
    });
    if (done && keptBefore)
        m_error.clear();
    return done && !keptBefore;
}

bool HistoryStore::keepVersion(const QString& note, const QString& text, Kind kind,
                               const QDateTime& at)
{
    const qint64 id = noteId(note, true);
    if (!id)
        return failed();
    const QByteArray utf8 = text.toUtf8();
    const QByteArray hash = QCryptographicHash::hash(utf8, QCryptographicHash::Sha256);
    const qint64 now = at.toMSecsSinceEpoch();

    SqliteStatement newest(m_db, "SELECT id, kind, since, hash FROM versions WHERE note = ? "
                                 "ORDER BY id DESC LIMIT 1");
    newest.bind(1, id);
    const bool hasNewest = newest.step() == SQLITE_ROW;
    if (hasNewest && newest.blob(3) == hash)
        return true;
    // The file as we found it matters only when no version holds that text yet.
    if (kind == Kind::BeforeSave) {
        SqliteStatement known(m_db, "SELECT 1 FROM versions WHERE note = ? AND hash = ?");
        if (known.bind(1, id).bind(2, hash).step() == SQLITE_ROW)
            return true;
    }
    SqliteStatement text1(m_db,
                          "INSERT OR IGNORE INTO texts (hash, size, compressed) VALUES (?, ?, ?)");
    text1.bind(1, hash).bind(2, utf8.size()).bind(3, qCompress(utf8));
    if (text1.step() != SQLITE_DONE)
        return failed();
    // Typing on: the version this save would follow was our own save of moments ago.
    const bool coalesce = kind == Kind::Saved && hasNewest &&
                          Kind(newest.integer(1)) == Kind::Saved &&
                          now - newest.integer(2) < coalesceMs;
    if (coalesce) {
        SqliteStatement update(m_db, "UPDATE versions SET at = ?, hash = ? WHERE id = ?");
        update.bind(1, now).bind(2, hash).bind(3, newest.integer(0));
        SqliteStatement orphan(m_db, "DELETE FROM texts WHERE hash = ?1 AND NOT EXISTS "
                                     "(SELECT 1 FROM versions WHERE hash = ?1)");
        if (update.step() != SQLITE_DONE || orphan.bind(1, newest.blob(3)).step() != SQLITE_DONE)
            return failed();
    } else {
        SqliteStatement add(m_db, "INSERT INTO versions (note, kind, since, at, hash) "
                                  "VALUES (?, ?, ?, ?, ?)");
        add.bind(1, id).bind(2, qint64(kind)).bind(3, now).bind(4, now).bind(5, hash);
        if (add.step() != SQLITE_DONE)
            return failed();
    }
    return true;
}

QList<HistoryStore::Version> HistoryStore::versions(const QString& note) const
{
    QList<Version> found;
    if (!m_db)
        return found;
    SqliteStatement list(m_db, "SELECT v.id, v.at, v.kind, t.size FROM versions v "
                               "JOIN notes n ON n.id = v.note JOIN texts t ON t.hash = v.hash "
                               "WHERE n.path = ? ORDER BY v.id DESC");
    list.bind(1, note);
    while (list.step() == SQLITE_ROW) {
        found.append(Version{list.integer(0),
                             QDateTime::fromMSecsSinceEpoch(list.integer(1), Qt::UTC),
                             Kind(list.integer(2)), list.integer(3)});
    }
    return found;
}

std::optional<QString> HistoryStore::text(qint64 version) const
{
    if (!m_db)
        return std::nullopt;
    SqliteStatement read(m_db,
                         "SELECT t.compressed FROM versions v JOIN texts t ON t.hash = v.hash "
                         "WHERE v.id = ?");
    read.bind(1, version);
    if (read.step() != SQLITE_ROW)
        return std::nullopt;
    return QString::fromUtf8(qUncompress(read.blob(0)));
}

bool HistoryStore::follow(const QString& from, const QString& to)
{
    if (!m_db)
        return false;
    // A history already kept under the new name (a note that was there before) stays its own:
    // the moved note takes the name, and the older history keeps a key no file can have.
    SqliteStatement free(m_db, "UPDATE notes SET path = '' || id || char(0) WHERE path = ?");
    free.bind(1, to);
    SqliteStatement move(m_db, "UPDATE notes SET path = ? WHERE path = ?");
    move.bind(1, to).bind(2, from);
    if (free.step() != SQLITE_DONE || move.step() != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

QList<HistoryStore::NoteHistory> HistoryStore::notes() const
{
    QList<NoteHistory> found;
    if (!m_db)
        return found;
    SqliteStatement list(
        m_db, "SELECT n.path, v.id, v.at, v.kind, t.size FROM notes n "
              "JOIN versions v ON v.id = (SELECT max(id) FROM versions WHERE note = n.id) "
              "JOIN texts t ON t.hash = v.hash ORDER BY v.id DESC");
    while (list.step() == SQLITE_ROW) {
        found.append(NoteHistory{QString::fromUtf8(list.blob(0)),
                                 Version{list.integer(1),
                                         QDateTime::fromMSecsSinceEpoch(list.integer(2), Qt::UTC),
                                         Kind(list.integer(3)), list.integer(4)}});
    }
    return found;
}

bool HistoryStore::pruneDaily(const QDateTime& now, const Limits& limits)
{
    if (!m_db)
        return false;
    // Marked among the keys of things done once: a day's first opening of the folder pays for
    // the pass over every version, later ones read at once.
    SqliteStatement mark(m_db, "INSERT OR IGNORE INTO imported (key) VALUES (?)");
    mark.bind(1, QStringLiteral("pruned ") + now.date().toString(Qt::ISODate));
    if (mark.step() != SQLITE_DONE)
        return failed();
    return sqlite3_changes(m_db) == 0 || prune(now, limits);
}

bool HistoryStore::prune(const QDateTime& now, const Limits& limits)
{
    const qint64 day = qint64(24) * 60 * 60 * 1000;
    const qint64 everyVersionSince = now.toMSecsSinceEpoch() - limits.everyVersionDays * day;
    const qint64 keptSince = now.toMSecsSinceEpoch() - limits.days * day;
    const bool pruned = transaction([&] {
        SqliteStatement tooOld(m_db, "DELETE FROM versions WHERE at < ?");
        // Between the two limits, the last version of each calendar day (the user's own).
        SqliteStatement daily(
            m_db, "DELETE FROM versions WHERE at < ?1 AND id NOT IN (SELECT id FROM "
                  "(SELECT id, row_number() OVER (PARTITION BY note, "
                  "date(at / 1000, 'unixepoch', 'localtime') ORDER BY at DESC, id DESC) AS "
                  "newest FROM versions WHERE at < ?1) WHERE newest = 1)");
        if (tooOld.bind(1, keptSince).step() != SQLITE_DONE ||
            daily.bind(1, everyVersionSince).step() != SQLITE_DONE || !run(dropUnusedTexts))
            return failed();
        // Then the oldest first, across notes, until the texts fit. A text that newer versions
        // share frees nothing, so the count is guessed again from what is left.
        qint64 versionCount = 0;
        {
            SqliteStatement count(m_db, "SELECT count(*) FROM versions");
            versionCount = count.step() == SQLITE_ROW ? count.integer(0) : 0;
        }
        qint64 stored = storedBytes();
        while (stored > limits.maxBytes && versionCount > 0) {
            const qint64 perVersion = std::max<qint64>(1, stored / versionCount);
            const qint64 count = std::max<qint64>(1, (stored - limits.maxBytes) / perVersion);
            SqliteStatement oldest(m_db, "DELETE FROM versions WHERE id IN "
                                         "(SELECT id FROM versions ORDER BY at, id LIMIT ?)");
            if (oldest.bind(1, count).step() != SQLITE_DONE)
                return failed();
            versionCount -= sqlite3_changes64(m_db);
            if (!run(dropUnusedTexts))
                return false;
            stored = storedBytes();
        }
        SqliteStatement unused(m_db, "DELETE FROM notes WHERE NOT EXISTS "
                                     "(SELECT 1 FROM versions v WHERE v.note = notes.id)");
        return unused.step() == SQLITE_DONE || failed();
    });
    return pruned && giveBackSpace();
}

// Free pages are reused by the next versions, so a little is left for them; when much was
// dropped, the file gives it back. Only the pages past the last used one move: the cost is
// what was dropped, never the size of the whole file, as a full VACUUM's would be.
bool HistoryStore::giveBackSpace()
{
    qint64 free = 0, pages = 0;
    {
        SqliteStatement freeList(m_db, "PRAGMA freelist_count");
        SqliteStatement pageCount(m_db, "PRAGMA page_count");
        if (freeList.step() != SQLITE_ROW || pageCount.step() != SQLITE_ROW)
            return failed();
        free = freeList.integer(0);
        pages = pageCount.integer(0);
    }
    if (free == 0 || free < pages / 8)
        return true;
    // The write-ahead log holds the moved pages until they are written back.
    return run("PRAGMA incremental_vacuum") && run("PRAGMA wal_checkpoint(TRUNCATE)");
}

bool HistoryStore::clear()
{
    return transaction([this] {
               return run("DELETE FROM versions; DELETE FROM texts; DELETE FROM notes; "
                          "DELETE FROM dropped");
           }) &&
           giveBackSpace();
}

qint64 HistoryStore::storedBytes() const
{
    if (!m_db)
        return 0;
    SqliteStatement sum(m_db, "SELECT bytes FROM stored");
    return sum.step() == SQLITE_ROW ? sum.integer(0) : 0;
}
