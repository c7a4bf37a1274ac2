#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

struct sqlite3;

// Every version of the notes of one folder that mattered, kept outside the folder (which stays
// the whole state of the notes) in an SQLite database: texts compressed and stored once
// however many versions share them. A note's versions follow it across renames and outlive
// its file. While the user keeps typing, a save within two minutes of the version it would
// follow replaces that version, so an hour of typing keeps about thirty; every other kind of
// version is kept as it is.
class HistoryStore
{
public:
    enum class Kind
    {
        Saved,              // our save
        BeforeMerge,        // the file as it was before another program's lines were joined in
        BeforeConflictCopy, // the file our text did not go into
        Replaced,           // our version, before another program's replaced it in the editor
        Theirs,             // another program's version that replaced ours
        BeforeRename,
        BeforeDelete,
        BeforeRestore,
        Merged,       // our save that joined another program's lines in
        Restored,     // an older version made the note's text again
        Recovered,    // text that could not reach its note when the application ended
        BeforeSave,   // the file as we found it, before our first save over it
        ConflictCopy, // our text, which went into a conflict copy beside the note instead
    };
    struct Version
    {
        qint64 id = 0;
        QDateTime at;
        Kind kind = Kind::Saved;
        qint64 size = 0; // bytes of UTF-8
    };
    // A note that has versions, by the path it had last, with its newest version.
    struct NoteHistory
    {
        QString note;
        Version newest;
    };
    // How long versions stay, and how much room they may take.
    struct Limits
    {
        int everyVersionDays = 30; // after this, one version per note per day
        int days = 365;            // after this, none
        qint64 maxBytes = qint64(1024) * 1024 * 1024;
    };
    static constexpr qint64 coalesceMs = 2 * 60 * 1000;

    // Where the history of a notes folder lives: one database per folder under the state home.
    static QString pathFor(const QString& folder);

    // Opens the database, making it (and its folder, private to the user) when there is none.
    explicit HistoryStore(const QString& databasePath);
    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    // Why the last step failed: the database's own words ("database or disk is full").
    const QString& error() const { return m_error; }
    // A database that could not be read (not a database, or damaged) was moved here, with its
    // journal files beside it under the same name, and a new one begun; empty otherwise.
    const QString& movedAside() const { return m_movedAside; }

    // Keeps text as the note's newest version; the same text as that version is not kept
    // again. False when the database refused (the error says why).
    bool keep(const QString& note, const QString& text, Kind kind, const QDateTime& at);
    // Newest first.
    QList<Version> versions(const QString& note) const;
    std::optional<QString> text(qint64 version) const;
    // The note's file has a new name; its history goes with it.
    bool follow(const QString& from, const QString& to);
    // Every note with versions, the most recently changed first.
    QList<NoteHistory> notes() const;
    // Keeps text once for key (a recovered file, say): a second call with the same key keeps
    // nothing. True when it was kept now; false with an empty error() when the key was kept
    // before, false with the reason when the database refused.
    bool keepOnce(const QString& key, const QString& note, const QString& text, Kind kind,
                  const QDateTime& at);
    // Drops the versions past the limits: past everyVersionDays, all but the newest of each
    // note's calendar day; past days, all; then the oldest, across notes, until the texts
    // take no more than maxBytes. Space that much dropping frees goes back to the system.
    bool prune(const QDateTime& now, const Limits& limits);
    // The same, at most once a calendar day.
    bool pruneDaily(const QDateTime& now, const Limits& limits);
    // Forgets every version of every note.
    bool clear();
    // The bytes the kept texts take, compressed.
    qint64 storedBytes() const;

    // Larger databases are not read whole at open to find damage: that takes seconds.
    static constexpr qint64 quickCheckBytes = qint64(64) * 1024 * 1024;

private:
    int open(const QString& databasePath); // SQLite's result code
    void close();
    bool run(const char* sql);
    bool failed() const; // records the error; false
    // One write transaction: committed when work returns true, rolled back otherwise.
    bool transaction(const std::function<bool()>& work);
    bool keepVersion(const QString& note, const QString& text, Kind kind, const QDateTime& at);
    bool giveBackSpace();
    qint64 noteId(const QString& path, bool create);

    sqlite3* m_db = nullptr;
    mutable QString m_error;
    QString m_movedAside;
};
