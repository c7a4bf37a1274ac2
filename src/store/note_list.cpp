#include "store/note_list.h"

#include "store/list_diff.h"
#include "store/search_key.h"

#include <QThread>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <numeric>

// Sorts by plain numbers and places each record once: with tens of thousands of notes,
// comparing dates and shuffling records inside the sort cost tens of milliseconds. Records
// are moved when the list is ours alone, copied when it is shared.
QList<Note> NoteList::newestFirst(QList<Note> notes)
{
    std::vector<std::pair<qint64, qsizetype>> order;
    order.reserve(size_t(notes.size()));
    for (qsizetype i = 0; i < notes.size(); ++i)
        order.emplace_back(notes.at(i).lastModified.toMSecsSinceEpoch(), i);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const bool own = notes.isDetached();
    QList<Note> sorted;
    sorted.reserve(notes.size());
    for (const auto& entry : order) {
        if (own)
            sorted.append(std::move(notes[entry.second]));
        else
            sorted.append(notes.at(entry.second));
    }
    return sorted;
}

bool NoteList::isNewestFirst(const QList<Note>& notes)
{
    return std::is_sorted(notes.cbegin(), notes.cend(), [](const Note& a, const Note& b) {
        return a.lastModified.toMSecsSinceEpoch() > b.lastModified.toMSecsSinceEpoch();
    });
}

qsizetype NoteList::indexOf(const QString& url) const
{
    if (!m_positionsValid) {
        m_positions.clear();
        m_positions.reserve(m_notes.size());
        for (qsizetype i = 0; i < m_notes.size(); ++i)
            m_positions.insert(m_notes.at(i).url, i);
        m_positionsValid = true;
    }
    return m_positions.value(url, -1);
}

// The records from..to (either order) moved: their positions are told again.
void NoteList::placed(qsizetype from, qsizetype to) const
{
    if (!m_positionsValid)
        return;
    for (qsizetype i = qMin(from, to); i <= qMax(from, to); ++i)
        m_positions.insert(m_notes.at(i).url, i);
}

const Note* NoteList::find(const QString& url) const
{
    const qsizetype index = indexOf(url);
    return index >= 0 ? &m_notes.at(index) : nullptr;
}

std::optional<Note> NoteList::newest() const
{
    if (m_notes.isEmpty())
        return std::nullopt;
    return m_notes.first();
}

const std::vector<qsizetype>* NoteList::remembered(const QByteArray& query) const
{
    for (const Search& earlier : m_searches) {
        if (earlier.query == query)
            return &earlier.found.rows;
    }
    return nullptr;
}

// A note that contains a query contains every part of it: typing on narrows the last
// result instead of scanning every note again. And where a part first occurs bounds where
// the whole can: typing "garden" reads each note's text about once, not once per letter.
NoteList::Rows NoteList::candidates(const QByteArray& query) const
{
    const Search* narrowest = nullptr;
    for (const Search& earlier : m_searches) {
        if (query.contains(earlier.query) &&
            (!narrowest || earlier.found.rows.size() < narrowest->found.rows.size()))
            narrowest = &earlier;
    }
    if (!narrowest) {
        Rows all{std::vector<qsizetype>(size_t(m_notes.size())),
                 std::vector<qsizetype>(size_t(m_notes.size()), 0)};
        std::iota(all.rows.begin(), all.rows.end(), qsizetype(0));
        return all;
    }
    Rows rows = narrowest->found;
    const qsizetype shift = query.indexOf(narrowest->query);
    for (qsizetype& from : rows.from)
        from = qMax<qsizetype>(0, from - shift);
    return rows;
}

NoteList::Rows NoteList::scan(const QList<Note>& notes, const Rows& candidates,
                              const QByteArray& query)
{
    // With thousands of candidates the scan is shared with a second core; each thread
    // touches only its own half. The helper thread is private: a scan may itself run on the
    // global pool, and waiting there for work queued behind it would never end.
    std::vector<qsizetype> at(candidates.rows.size(), Note::noMatch);
    constexpr size_t ahead = 16;
    const bool readsText = !SearchKey::isOwnKind(query);
    const auto part = [&](size_t from, size_t to) {
        for (size_t k = from; k < to; ++k) {
            if (readsText && k + ahead < to)
                notes.at(candidates.rows[k + ahead]).prefetchSearch(candidates.from[k + ahead]);
            at[k] = notes.at(candidates.rows[k]).firstMatch(query, candidates.from[k]);
        }
    };
    const size_t count = candidates.rows.size();
    if (qsizetype(count) >= parallelSearchThreshold && QThread::idealThreadCount() > 1) {
        QThreadPool helper;
        helper.setMaxThreadCount(1);
        QFuture<void> other = QtConcurrent::run(&helper, part, count / 2, count);
        part(0, count / 2);
        other.waitForFinished();
    } else {
        part(0, count);
    }
    Rows found;
    for (size_t k = 0; k < count; ++k) {
        if (at[k] != Note::noMatch) {
            found.rows.push_back(candidates.rows[k]);
            found.from.push_back(at[k]);
        }
    }
    return found;
}

const std::vector<qsizetype>& NoteList::remember(const QByteArray& query, Rows found,
                                                 qsizetype fillsSeen) const
{
    if (m_searches.size() >= maxRememberedSearches)
        m_searches.removeFirst();
    m_searches.append(Search{query, std::move(found)});
    // The scan read records as they were when it began: texts that arrived since are not in it.
    searchFilled(m_searches.last(), fillsSeen);
    return m_searches.constLast().found.rows;
}

void NoteList::searchFilled(Search& search, qsizetype from) const
{
    Rows added;
    for (size_t k = size_t(qMax<qsizetype>(from, 0)); k < m_filled.size(); ++k) {
        const qsizetype row = m_filled[k];
        if (!std::binary_search(search.found.rows.cbegin(), search.found.rows.cend(), row) &&
            m_notes.at(row).firstMatch(search.query) != Note::noMatch) {
            added.rows.push_back(row);
            added.from.push_back(0);
        }
    }
    if (added.rows.empty())
        return;
    std::vector<size_t> order(added.rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return added.rows[a] < added.rows[b]; });
    Rows merged;
    merged.rows.reserve(search.found.rows.size() + added.rows.size());
    merged.from.reserve(merged.rows.capacity());
    size_t i = 0;
    for (const size_t k : order) {
        for (; i < search.found.rows.size() && search.found.rows[i] < added.rows[k]; ++i) {
            merged.rows.push_back(search.found.rows[i]);
            merged.from.push_back(search.found.from[i]);
        }
        merged.rows.push_back(added.rows[k]);
        merged.from.push_back(added.from[k]);
    }
    for (; i < search.found.rows.size(); ++i) {
        merged.rows.push_back(search.found.rows[i]);
        merged.from.push_back(search.found.from[i]);
    }
    search.found = std::move(merged);
}

const std::vector<qsizetype>& NoteList::matching(const QByteArray& query) const
{
    if (const std::vector<qsizetype>* rows = remembered(query))
        return *rows;
    return remember(query, scan(m_notes, candidates(query), query), fillMark());
}

QList<Note> NoteList::replace(QList<Note> notes)
{
    // A load hands its records over sorted and prepared, made on its own thread; a draft's
    // record put back in may not be either.
    if (!isNewestFirst(notes))
        notes = newestFirst(std::move(notes));
    for (const Note& note : std::as_const(notes))
        note.prepareSearch();
    changed();
    m_positionsValid = false;
    const ListDiff diff = ListDiff::between(m_notes, notes);
    if (diff.reset) {
        emit aboutToBeReset();
        QList<Note> old = std::exchange(m_notes, std::move(notes));
        emit reset();
        return old;
    }
    QList<Note> old = m_notes;
    for (const ListDiff::Step& step : diff.steps) {
        switch (step.kind) {
        case ListDiff::Step::Kind::Remove:
            emit rowsAboutToBeRemoved(step.first, step.last);
            m_notes.remove(step.first, step.last - step.first + 1);
            emit rowsRemoved(step.first, step.last);
            break;
        case ListDiff::Step::Kind::Move:
            emit rowAboutToBeMoved(step.first, step.last);
            m_notes.move(step.first, step.last);
            emit rowMoved(step.first, step.last);
            break;
        case ListDiff::Step::Kind::Insert:
            emit rowsAboutToBeInserted(step.first, step.last);
            m_notes.insert(step.first, step.last - step.first + 1, Note());
            for (qsizetype j = step.first; j <= step.last; ++j)
                m_notes[j] = notes.at(j);
            emit rowsInserted(step.first, step.last);
            break;
        }
    }
    // The same files in the same places: their records are the fresh ones from here on.
    m_notes = std::move(notes);
    for (const qsizetype row : diff.changed)
        emit rowsChanged(row, row);
    return old;
}

// A new record goes after every later date and before the records of its own date.
void NoteList::insertByDate(const Note& note)
{
    const qint64 date = note.lastModified.toMSecsSinceEpoch();
    const qsizetype at = std::find_if(m_notes.cbegin(), m_notes.cend(),
                                      [&](const Note& other) {
                                          return other.lastModified.toMSecsSinceEpoch() <= date;
                                      }) -
                         m_notes.cbegin();
    emit rowsAboutToBeInserted(at, at);
    m_notes.insert(at, note);
    emit rowsInserted(at, at);
    m_positionsValid = false;
}

// Puts the record at `at`, whose date alone changed, where a stable sort would put it: after
// every record with a later date, and among records with the same date in its old relative
// position. Binary searches over the list as if the record were already taken out of it.
qsizetype NoteList::moveToDateOrder(qsizetype at)
{
    const qint64 date = m_notes.at(at).lastModified.toMSecsSinceEpoch();
    const auto dateAt = [&](qsizetype k) {
        return m_notes.at(k < at ? k : k + 1).lastModified.toMSecsSinceEpoch();
    };
    const auto firstWhere = [&](auto&& test) {
        qsizetype low = 0;
        qsizetype high = m_notes.size() - 1;
        while (low < high) {
            const qsizetype mid = low + (high - low) / 2;
            if (test(dateAt(mid)))
                high = mid;
            else
                low = mid + 1;
        }
        return low;
    };
    const qsizetype sameFrom = firstWhere([&](qint64 d) { return d <= date; });
    const qsizetype sameTo = firstWhere([&](qint64 d) { return d < date; });
    const qsizetype to = sameFrom + qMax<qsizetype>(0, qMin(sameTo, at) - sameFrom);
    if (to != at) {
        emit rowAboutToBeMoved(at, to);
        // Moves only the records between the old and the new place.
        m_notes.move(at, to);
        emit rowMoved(at, to);
        placed(at, to);
    }
    return to;
}

void NoteList::add(const Note& note)
{
    note.prepareSearch();
    changed();
    insertByDate(note);
}

qsizetype NoteList::fill(QList<Note> read)
{
    const qsizetype firstFilled = fillMark();
    bool moved = false;
    qsizetype filled = 0;
    for (Note& note : read) {
        const qsizetype index = indexOf(note.url);
        if (index < 0 || !m_notes.at(index).textPending)
            continue;
        note.id = m_notes.at(index).id;
        note.textPending = false;
        note.prepareSearch();
        const bool redated = note.lastModified != m_notes.at(index).lastModified;
        m_notes[index] = std::move(note);
        ++filled;
        if (redated) {
            moved = true;
            const qsizetype to = moveToDateOrder(index);
            emit rowsChanged(to, to);
        } else {
            m_filled.push_back(index);
        }
    }
    if (moved)
        changed();
    if (moved || filled == 0)
        return filled;
    while (m_searches.size() > searchesKeptWhileFilling)
        m_searches.removeFirst();
    for (Search& search : m_searches)
        searchFilled(search, firstFilled);
    return filled;
}

void NoteList::remove(const QString& url)
{
    const qsizetype index = indexOf(url);
    if (index < 0)
        return;
    changed();
    emit rowsAboutToBeRemoved(index, index);
    m_notes.remove(index);
    emit rowsRemoved(index, index);
    m_positionsValid = false;
}

void NoteList::rename(const QString& from, const QString& to, const QString& title)
{
    const qsizetype index = indexOf(from);
    if (index < 0)
        return;
    changed();
    Note& note = m_notes[index];
    note.url = to;
    if (!title.isEmpty())
        note.title = title;
    note.prepareSearch();
    m_positions.remove(from);
    placed(index, index);
    emit rowsChanged(index, index);
}

Note NoteList::putSaved(const QString& oldUrl, Note saved)
{
    qsizetype index = indexOf(saved.url);
    if (index < 0)
        index = indexOf(oldUrl);
    saved.prepareSearch();
    changed();
    if (index < 0) {
        insertByDate(saved);
        return saved;
    }
    saved.id = m_notes.at(index).id;
    m_positions.remove(m_notes.at(index).url);
    m_notes[index] = saved;
    placed(index, index);
    const qsizetype to = moveToDateOrder(index);
    emit rowsChanged(to, to);
    return saved;
}
