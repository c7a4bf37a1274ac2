#pragma once

#include "store/history_store.h"

#include <QObject>
#include <QTimer>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class Clock;

// The window thread's way to the history of the notes folder. Versions are written on a
// thread of their own: keeping one costs a save a queued task, and a database that cannot be
// written never fails or delays the save. Reading waits (boundedly) for what was kept before.
class History : public QObject
{
    Q_OBJECT

public:
    enum class Problem
    {
        NotKept, // the database cannot be opened or written: versions are not being kept
        Damaged, // the database could not be read: it was moved aside and a new one begun
    };
    Q_ENUM(Problem)
    static constexpr int waitMs = 3000;

    explicit History(const Clock& clock, QObject* parent = nullptr);
    ~History() override;

    // The history of another notes folder (none for an empty path). Versions past the limits
    // are dropped after it opens, off the window's thread, once limits were set.
    void setFolder(const QString& folder);
    // Drops what is past them: at once when they change, else once a day, and after every
    // change of folder.
    void setLimits(const HistoryStore::Limits& limits);
    HistoryStore::Limits limits() const;

    void keep(const QString& note, const QString& text, HistoryStore::Kind kind);
    void keep(const QString& note, const QByteArray& utf8, HistoryStore::Kind kind);
    void follow(const QString& from, const QString& to);
    // Waits until everything kept so far is written; false when that took longer than waitMs.
    bool flush();

    QList<HistoryStore::Version> versions(const QString& note);
    std::optional<QString> text(qint64 version);
    QList<HistoryStore::NoteHistory> notes();
    bool clear();
    qint64 storedBytes();

    // The problem said last, until versions are kept again: for a view made after it was said.
    struct Told
    {
        Problem problem;
        QString detail;
    };
    const std::optional<Told>& problemNow() const { return m_told; }

signals:
    // Said once for each problem until versions are kept again.
    void problem(History::Problem problem, const QString& detail);

private:
    using Task = std::function<void(HistoryStore*)>;
    void post(Task task);
    void run();
    void report(HistoryStore* store, bool kept);
    void tell(Problem which, const QString& detail);
    void deliver();
    template <typename T> std::optional<T> ask(std::function<T(HistoryStore*)> question);

    const Clock& m_clock;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Task> m_tasks;
    bool m_busy = false;
    bool m_stopping = false;
    std::optional<HistoryStore::Limits> m_limits;
    // Touched on the worker only.
    std::unique_ptr<HistoryStore> m_store;
    std::optional<Problem> m_reported;
    // From the worker to the window's thread, under the mutex.
    std::optional<Told> m_toTell;
    bool m_toldAgain = false;
    // The window's thread's own.
    std::optional<Told> m_told;
    QTimer m_look;
    std::thread m_worker;
};
