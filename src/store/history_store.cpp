#include "store/history_store.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One prepared statement, finalized however the function that made it returns.
class Statement
{
public:
    Statement(sqlite3* db, const char* sql)
    {
        sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_statement != nullptr; }
    Statement& bind(int at, qint64 value)
    {
        sqlite3_bind_int64(m_statement, at, value);
        return *this;
    }
    Statement& bind(int at, const QByteArray& bytes)
    {
        sqlite3_bind_blob64(m_statement, at, bytes.constData(), sqlite3_uint64(bytes.size()),
                            SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int at, const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text64(m_statement, at, utf8.constData(), sqlite3_uint64(utf8.size()),
                            SQLITE_TRANSIENT, SQLITE_UTF8);
        return *this;
    }
    // SQLITE_ROW while rows come, SQLITE_DONE at the end, else the error.
    int step() { return sqlite3_step(m_statement); }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QByteArray blob(int column) const
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

constexpr const char* schema = R"(
CREATE TABLE IF NOT EXISTS notes (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS texts (hash BLOB PRIMARY KEY, compressed BLOB NOT NULL,
                                  size INTEGER NOT NULL) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS versions (id INTEGER PRIMARY KEY, note INTEGER NOT NULL,
                                     kind INTEGER NOT NULL, since INTEGER NOT NULL,
                                     at INTEGER NOT NULL, hash BLOB NOT NULL);
CREATE INDEX IF NOT EXISTS versions_of_note ON versions (note, id);
)";

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
    // Made private before SQLite opens it; its journal files take the same permissions.
    const QByteArray path = QFile::encodeName(databasePath);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    ::fchmod(fd, 0600);
    ::close(fd);
    if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_close(m_db);
        m_db = nullptr;
        return;
    }
    sqlite3_busy_timeout(m_db, 2000);
    // Write-ahead: a process killed at any moment leaves the database as of its last commit.
    if (!run("PRAGMA journal_mode=WAL") || !run("PRAGMA synchronous=NORMAL") || !run(schema)) {
        sqlite3_close(m_db);
        m_db = nullptr;
    }
}

HistoryStore::~HistoryStore()
{
    sqlite3_close(m_db);
}

bool HistoryStore::run(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = QString::fromUtf8(message ? message : sqlite3_errmsg(m_db));
    sqlite3_free(message);
    return false;
}

qint64 HistoryStore::noteId(const QString& path, bool create)
{
    Statement find(m_db, "SELECT id FROM notes WHERE path = ?");
    find.bind(1, path);
    if (find.step() == SQLITE_ROW)
        return find.integer(0);
    if (!create)
        return 0;
    Statement add(m_db, "INSERT INTO notes (path) VALUES (?)");
    add.bind(1, path);
    return add.step() == SQLITE_DONE ? sqlite3_last_insert_rowid(m_db) : 0;
}

bool HistoryStore::keep(const QString& note, const QString& text, Kind kind, const QDateTime& at)
{
    if (!m_db || !run("BEGIN IMMEDIATE"))
        return false;
    const auto fail = [this] {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        run("ROLLBACK");
        return false;
    };
    const qint64 id = noteId(note, true);
    if (!id)
        return fail();
    const QByteArray utf8 = text.toUtf8();
    const QByteArray hash = QCryptographicHash::hash(utf8, QCryptographicHash::Sha256);
    const qint64 now = at.toMSecsSinceEpoch();

    Statement newest(m_db, "SELECT id, kind, since, hash FROM versions WHERE note = ? "
                           "ORDER BY id DESC LIMIT 1");
    newest.bind(1, id);
    const bool hasNewest = newest.step() == SQLITE_ROW;
    if (hasNewest && newest.blob(3) == hash)
        return run("COMMIT");
    // The file as we found it matters only when no version holds that text yet.
    if (kind == Kind::BeforeSave) {
        Statement known(m_db, "SELECT 1 FROM versions WHERE note = ? AND hash = ?");
        if (known.bind(1, id).bind(2, hash).step() == SQLITE_ROW)
            return run("COMMIT");
    }
    Statement text1(m_db, "INSERT OR IGNORE INTO texts (hash, compressed, size) VALUES (?, ?, ?)");
    text1.bind(1, hash).bind(2, qCompress(utf8)).bind(3, utf8.size());
    if (text1.step() != SQLITE_DONE)
        return fail();
    // Typing on: the version this save would follow was our own save of moments ago.
    const bool coalesce = kind == Kind::Saved && hasNewest &&
                          Kind(newest.integer(1)) == Kind::Saved &&
                          now - newest.integer(2) < coalesceMs;
    if (coalesce) {
        const QByteArray replaced = newest.blob(3);
        Statement update(m_db, "UPDATE versions SET at = ?, hash = ? WHERE id = ?");
        update.bind(1, now).bind(2, hash).bind(3, newest.integer(0));
        Statement orphan(m_db, "DELETE FROM texts WHERE hash = ?1 AND NOT EXISTS "
                               "(SELECT 1 FROM versions WHERE hash = ?1)");
        if (update.step() != SQLITE_DONE || orphan.bind(1, replaced).step() != SQLITE_DONE)
            return fail();
    } else {
        Statement add(m_db, "INSERT INTO versions (note, kind, since, at, hash) "
                            "VALUES (?, ?, ?, ?, ?)");
        add.bind(1, id).bind(2, qint64(kind)).bind(3, now).bind(4, now).bind(5, hash);
        if (add.step() != SQLITE_DONE)
            return fail();
    }
    return run("COMMIT");
}

QList<HistoryStore::Version> HistoryStore::versions(const QString& note) const
{
    QList<Version> found;
    if (!m_db)
        return found;
    Statement list(m_db, "SELECT v.id, v.at, v.kind, t.size FROM versions v "
                         "JOIN notes n ON n.id = v.note JOIN texts t ON t.hash = v.hash "
                         "WHERE n.path = ? ORDER BY v.id DESC");
    list.bind(1, note);
    while (list.step() == SQLITE_ROW) {
        found.append(Version{list.integer(0), QDateTime::fromMSecsSinceEpoch(list.integer(1)),
                             Kind(list.integer(2)), list.integer(3)});
    }
    return found;
}

std::optional<QString> HistoryStore::text(qint64 version) const
{
    if (!m_db)
        return std::nullopt;
    Statement read(m_db, "SELECT t.compressed FROM versions v JOIN texts t ON t.hash = v.hash "
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
    Statement free(m_db, "UPDATE notes SET path = '' || id || char(0) WHERE path = ?");
    free.bind(1, to);
    Statement move(m_db, "UPDATE notes SET path = ? WHERE path = ?");
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
    Statement list(m_db,
                   "SELECT n.path, v.id, v.at, v.kind, t.size FROM notes n "
                   "JOIN versions v ON v.id = (SELECT max(id) FROM versions WHERE note = n.id) "
                   "JOIN texts t ON t.hash = v.hash ORDER BY v.id DESC");
    while (list.step() == SQLITE_ROW) {
        found.append(
            NoteHistory{QString::fromUtf8(list.blob(0)),
                        Version{list.integer(1), QDateTime::fromMSecsSinceEpoch(list.integer(2)),
                                Kind(list.integer(3)), list.integer(4)}});
    }
    return found;
}

bool HistoryStore::keepOnce(const QString&, const QString&, const QString&, Kind, const QDateTime&)
{
    m_error = QStringLiteral("not available yet");
    return false;
}

bool HistoryStore::prune(const QDateTime&, const Limits&)
{
    m_error = QStringLiteral("not available yet");
    return false;
}

bool HistoryStore::clear()
{
    return m_db && run("BEGIN IMMEDIATE; DELETE FROM versions; DELETE FROM texts; "
                       "DELETE FROM notes; COMMIT");
}

qint64 HistoryStore::storedBytes() const
{
    if (!m_db)
        return 0;
    Statement sum(m_db, "SELECT total(length(compressed)) FROM texts");
    return sum.step() == SQLITE_ROW ? sum.integer(0) : 0;
}
