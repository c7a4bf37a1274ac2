#include "store/note_list.h"

#include "store/search_key.h"

#include <QThread>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <numeric>

namespace {

// In a list sorted newest first, puts the record at `at`, whose date alone changed, where a
// stable sort would put it: after every record with a later date, and among records with the
// same date in its old relative position.
qsizetype moveToDateOrder(QList<Note>& notes, qsizetype at)
{
    // Binary searches over the list as if the record were already taken out of it.
    const qint64 date = notes.at(at).lastModified.toMSecsSinceEpoch();
    const auto dateAt = [&](qsizetype k) {
        return notes.at(k < at ? k : k + 1).lastModified.toMSecsSinceEpoch();
    };
    const auto firstWhere = [&](auto&& test) {
        qsizetype low = 0;
        qsizetype high = notes.size() - 1;
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
    // Rotating moves only the records between the old and the new place, usually none.
    const auto begin = notes.begin();
    if (to <= at)
        std::rotate(begin + to, begin + at, begin + at + 1);
    else
        std::rotate(begin + at, begin + at + 1, begin + to + 1);
    return to;
}

} // namespace

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
    return *std::min_element(m_notes.cbegin(), m_notes.cend(), [](const Note& a, const Note& b) {
        return a.lastModified > b.lastModified;
    });
}

const QList<Note>& NoteList::sorted() const
{
    if (!m_sortedValid) {
        m_sorted = m_notesSorted ? m_notes : newestFirst(m_notes);
        m_sortedValid = true;
        m_searches.clear();
    }
    return m_sorted;
}

const std::vector<qsizetype>* NoteList::remembered(const QByteArray& query) const
{
    sorted();
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
    sorted();
    const Search* narrowest = nullptr;
    for (const Search& earlier : m_searches) {
        if (query.contains(earlier.query) &&
            (!narrowest || earlier.found.rows.size() < narrowest->found.rows.size()))
            narrowest = &earlier;
    }
    if (!narrowest) {
        Rows all{std::vector<qsizetype>(size_t(m_sorted.size())),
                 std::vector<qsizetype>(size_t(m_sorted.size()), 0)};
        std::iota(all.rows.begin(), all.rows.end(), qsizetype(0));
        return all;
    }
    Rows rows = narrowest->found;
    const qsizetype shift = query.indexOf(narrowest->query);
    for (qsizetype& from : rows.from)
        from = qMax<qsizetype>(0, from - shift);
    return rows;
}

NoteList::Rows NoteList::scan(const QList<Note>& sorted, const Rows& candidates,
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
                sorted.at(candidates.rows[k + ahead]).prefetchSearch(candidates.from[k + ahead]);
            at[k] = sorted.at(candidates.rows[k]).firstMatch(query, candidates.from[k]);
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

const std::vector<qsizetype>& NoteList::remember(const QByteArray& query, Rows found) const
{
    if (m_searches.size() >= maxRememberedSearches)
        m_searches.removeFirst();
    m_searches.append(Search{query, std::move(found)});
    return m_searches.constLast().found.rows;
}

const std::vector<qsizetype>& NoteList::matching(const QByteArray& query) const
{
    if (const std::vector<qsizetype>* rows = remembered(query))
        return *rows;
    return remember(query, scan(m_sorted, candidates(query), query));
}

template <typename Change> void NoteList::change(Change&& apply, bool sortedAfter)
{
    // Dropping the sorted view first releases its share of the list, so the change happens in
    // place instead of copying every record.
    m_sorted.clear();
    m_sortedValid = false;
    m_searches.clear();
    apply(m_notes);
    m_notesSorted = sortedAfter;
    if (sortedAfter) {
        m_sorted = m_notes;
        m_sortedValid = true;
    }
}

QList<Note> NoteList::replace(QList<Note> notes)
{
    QList<Note> old;
    // A load hands its records over sorted, made on its own thread: checking is all that is
    // left for the window's.
    const bool sorted = isNewestFirst(notes);
    // A load's records come prepared; a draft's record put back in may not.
    for (const Note& note : std::as_const(notes))
        note.prepareSearch();
    change([&](QList<Note>& all) { old = std::exchange(all, std::move(notes)); }, sorted);
    m_positionsValid = false;
    return old;
}

void NoteList::add(const Note& note)
{
    note.prepareSearch();
    change([&](QList<Note>& all) { all.append(note); }, false);
    placed(m_notes.size() - 1, m_notes.size() - 1);
}

void NoteList::remove(const QString& url)
{
    change([&](QList<Note>& all) { all.removeIf([&](const Note& n) { return n.url == url; }); },
           m_notesSorted);
    m_positionsValid = false;
}

void NoteList::rename(const QString& from, const QString& to, const QString& title)
{
    const qsizetype index = indexOf(from);
    if (index < 0)
        return;
    change(
        [&](QList<Note>& all) {
            all[index].url = to;
            if (!title.isEmpty())
                all[index].title = title;
            all[index].prepareSearch();
        },
        m_notesSorted);
    m_positions.remove(from);
    placed(index, index);
}

Note NoteList::putSaved(const QString& oldUrl, Note saved)
{
    qsizetype index = indexOf(saved.url);
    if (index < 0)
        index = indexOf(oldUrl);
    if (index >= 0)
        saved.id = m_notes.at(index).id;
    saved.prepareSearch();
    const QString before = index >= 0 ? m_notes.at(index).url : QString();
    qsizetype movedTo = -1;
    change(
        [&](QList<Note>& all) {
            if (index < 0)
                all.prepend(saved);
            else
                all[index] = saved;
            if (m_notesSorted)
                movedTo = moveToDateOrder(all, qMax<qsizetype>(index, 0));
            else
                all = newestFirst(std::move(all));
        },
        true);
    if (index < 0 || movedTo < 0) {
        m_positionsValid = false;
    } else {
        m_positions.remove(before);
        placed(index, movedTo);
    }
    return saved;
}
