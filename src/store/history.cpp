#include "store/history.h"

#include "store/clock.h"
#include "store/recovery_folder.h"

#include <future>

namespace {

// What the worker is handed is its own: a string shared with the window's thread would have its
// last reference dropped on either side, inside Qt, where ThreadSanitizer cannot see the atomic
// count that orders the two.
QString own(const QString& text)
{
    return QString(text.constData(), text.size());
}

QByteArray own(const QByteArray& bytes)
{
    return QByteArray(bytes.constData(), bytes.size());
}

} // namespace

History::History(const Clock& clock, QObject* parent)
    : QObject(parent), m_clock(clock), m_worker([this] { run(); })
{
    m_look.setSingleShot(true);
    connect(&m_look, &QTimer::timeout, this, &History::deliver);
}

History::~History()
{
    flush();
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void History::post(Task task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
    if (!m_look.isActive())
        m_look.start(0);
}

void History::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_tasks.empty()) {
            m_store.reset();
            return;
        }
        Task task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_busy = true;
        lock.unlock();
        task(m_store.get());
        lock.lock();
        m_busy = false;
        if (m_tasks.empty())
            m_idle.notify_all();
    }
}

bool History::flush()
{
    std::unique_lock lock(m_mutex);
    return m_idle.wait_for(lock, std::chrono::milliseconds(waitMs),
                           [this] { return m_tasks.empty() && !m_busy; });
}

template <typename T> std::optional<T> History::ask(std::function<T(HistoryStore*)> question)
{
    auto answer = std::make_shared<std::promise<T>>();
    std::future<T> future = answer->get_future();
    post([answer, question = std::move(question)](HistoryStore* store) {
        answer->set_value(question(store));
    });
    if (future.wait_for(std::chrono::milliseconds(waitMs)) != std::future_status::ready)
        return std::nullopt;
    return future.get();
}

// On the worker: a problem is said once, and again only after versions were kept meanwhile.
void History::report(HistoryStore* store, bool kept)
{
    if (kept) {
        if (m_reported) {
            m_reported.reset();
            std::lock_guard lock(m_mutex);
            m_toldAgain = true;
            m_toTell.reset();
        }
        return;
    }
    if (m_reported == Problem::NotKept)
        return;
    m_reported = Problem::NotKept;
    tell(Problem::NotKept, store ? store->error() : QString());
}

// On the worker: the window's thread hears of it at its next look (see deliver()).
void History::tell(Problem which, const QString& detail)
{
    std::lock_guard lock(m_mutex);
    m_toTell = Told{which, own(detail)};
}

// On the window's thread, a moment after work was handed over, and again while the worker is
// at it: problems found meanwhile are said there. A poll rather than a call across threads, so
// that everything the two threads share goes through one mutex.
void History::deliver()
{
    std::optional<Told> told;
    bool cleared = false;
    bool working = false;
    {
        std::lock_guard lock(m_mutex);
        told = std::exchange(m_toTell, std::nullopt);
        cleared = std::exchange(m_toldAgain, false);
        working = m_busy || !m_tasks.empty();
    }
    if (cleared)
        m_told.reset();
    if (told) {
        m_told = told;
        emit problem(told->problem, told->detail);
    }
    if (working)
        m_look.start(50);
}

void History::setFolder(const QString& folder)
{
    const QString path = folder.isEmpty() ? QString() : HistoryStore::pathFor(folder);
    std::optional<HistoryStore::Limits> limits;
    {
        std::lock_guard lock(m_mutex);
        limits = m_limits;
    }
    // Times reach the worker in UTC: turning local time into an instant there would race with
    // the window's thread over the C library's time zone state.
    const QDateTime now = m_clock.now().toUTC();
    QList<RecoveryFolder::Recovered> recovered;
    if (!path.isEmpty())
        recovered = RecoveryFolder::recoveredFrom(folder);
    for (RecoveryFolder::Recovered& text : recovered)
        text.modified = text.modified.toUTC();
    for (RecoveryFolder::Recovered& text : recovered) {
        text.file = own(text.file);
        text.note = own(text.note);
        text.text = own(text.text);
    }
    post([this, path = own(path), limits, now, recovered](HistoryStore*) {
        m_store.reset();
        m_reported.reset();
        if (path.isEmpty())
            return;
        m_store = std::make_unique<HistoryStore>(path);
        if (!m_store->isOpen()) {
            report(m_store.get(), false);
            return;
        }
        if (!m_store->movedAside().isEmpty())
            tell(Problem::Damaged, m_store->movedAside());
        // Texts the application could not save when it last ended come home to their notes'
        // histories, once each however often the folder is opened.
        for (const RecoveryFolder::Recovered& text : recovered) {
            const QString key =
                text.file + QLatin1Char('@') + QString::number(text.modified.toMSecsSinceEpoch());
            m_store->keepOnce(key, text.note, text.text, HistoryStore::Kind::Recovered,
                              text.modified);
        }
        if (limits)
            m_store->pruneDaily(now, *limits);
    });
}

void History::setLimits(const HistoryStore::Limits& limits)
{
    bool changed = false;
    {
        std::lock_guard lock(m_mutex);
        changed = m_limits.has_value();
        m_limits = limits;
    }
    const QDateTime now = m_clock.now().toUTC();
    // New limits apply at once; the ones the application starts with, once a day.
    post([limits, now, changed](HistoryStore* store) {
        if (store && changed)
            store->prune(now, limits);
        else if (store)
            store->pruneDaily(now, limits);
    });
}

HistoryStore::Limits History::limits() const
{
    std::lock_guard lock(m_mutex);
    return m_limits.value_or(HistoryStore::Limits());
}

void History::keep(const QString& note, const QString& text, HistoryStore::Kind kind)
{
    post([this, note = own(note), text = own(text), kind,
          at = m_clock.now().toUTC()](HistoryStore* store) {
        if (store)
            report(store, store->keep(note, text, kind, at));
    });
}

void History::keep(const QString& note, const QByteArray& utf8, HistoryStore::Kind kind)
{
    post([this, note = own(note), utf8 = own(utf8), kind,
          at = m_clock.now().toUTC()](HistoryStore* store) {
        if (store)
            report(store, store->keep(note, QString::fromUtf8(utf8), kind, at));
    });
}

void History::follow(const QString& from, const QString& to)
{
    post([this, from = own(from), to = own(to)](HistoryStore* store) {
        if (store)
            report(store, store->follow(from, to));
    });
}

QList<HistoryStore::Version> History::versions(const QString& note)
{
    return ask<QList<HistoryStore::Version>>([note = own(note)](HistoryStore* store) {
               return store ? store->versions(note) : QList<HistoryStore::Version>();
           })
        .value_or(QList<HistoryStore::Version>());
}

std::optional<QString> History::text(qint64 version)
{
    return ask<std::optional<QString>>([version](HistoryStore* store) {
               return store ? store->text(version) : std::nullopt;
           })
        .value_or(std::nullopt);
}

QList<HistoryStore::NoteHistory> History::notes()
{
    return ask<QList<HistoryStore::NoteHistory>>([](HistoryStore* store) {
               return store ? store->notes() : QList<HistoryStore::NoteHistory>();
           })
        .value_or(QList<HistoryStore::NoteHistory>());
}

bool History::clear()
{
    return ask<bool>([](HistoryStore* store) { return store && store->clear(); }).value_or(false);
}

qint64 History::storedBytes()
{
    return ask<qint64>([](HistoryStore* store) { return store ? store->storedBytes() : 0; })
        .value_or(0);
}
