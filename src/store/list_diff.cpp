#include "store/list_diff.h"

#include <QHash>

#include <algorithm>

namespace {

template <typename Text> bool same(const Text& a, const Text& b)
{
    return a.isSharedWith(b) || a == b;
}

bool showsTheSame(const Note& a, const Note& b)
{
    return a.lastModified == b.lastModified && a.unreadable == b.unreadable &&
           same(a.title, b.title) && same(a.contentUtf8(), b.contentUtf8());
}

// Each old row's place in the new list, -1 when it went. Most reloads leave long runs in
// place at both ends; only the rows between them are hashed.
std::vector<qsizetype> newPlaces(const QList<Note>& before, const QList<Note>& next)
{
    const qsizetype oldCount = before.size();
    const qsizetype newCount = next.size();
    std::vector<qsizetype> newOf(size_t(oldCount), -1);
    qsizetype head = 0;
    while (head < oldCount && head < newCount && same(before.at(head).url, next.at(head).url)) {
        newOf[size_t(head)] = head;
        ++head;
    }
    qsizetype tail = 0;
    while (tail < oldCount - head && tail < newCount - head &&
           same(before.at(oldCount - 1 - tail).url, next.at(newCount - 1 - tail).url)) {
        newOf[size_t(oldCount - 1 - tail)] = newCount - 1 - tail;
        ++tail;
    }
    QHash<QStringView, qsizetype> placeOf;
    placeOf.reserve(newCount - head - tail);
    for (qsizetype j = head; j < newCount - tail; ++j)
        placeOf.insert(next.at(j).url, j);
    for (qsizetype i = head; i < oldCount - tail; ++i)
        newOf[size_t(i)] = placeOf.value(before.at(i).url, -1);
    return newOf;
}

// Positions (into values) of one longest strictly increasing subsequence: the rows that keep
// their order, so every other kept row is moved once.
std::vector<char> longestIncreasing(const std::vector<qsizetype>& values)
{
    std::vector<qsizetype> tails; // index of the smallest tail of each length
    std::vector<qsizetype> previous(values.size(), -1);
    for (qsizetype i = 0; i < qsizetype(values.size()); ++i) {
        const auto at = std::lower_bound(
            tails.begin(), tails.end(), values[size_t(i)],
            [&](qsizetype index, qsizetype value) { return values[size_t(index)] < value; });
        if (at != tails.begin())
            previous[size_t(i)] = *(at - 1);
        if (at == tails.end())
            tails.push_back(i);
        else
            *at = i;
    }
    std::vector<char> kept(values.size(), 0);
    for (qsizetype i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[size_t(i)])
        kept[size_t(i)] = 1;
    return kept;
}

// Each range of consecutive positions where wanted(position) holds, as one step of kind, from
// the end (removals, so that every range keeps its position) or from the start.
template <typename Wanted>
void addRanges(ListDiff& diff, ListDiff::Step::Kind kind, qsizetype count, bool fromEnd,
               Wanted wanted)
{
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype at = fromEnd ? count - 1 - k : k;
        if (!wanted(at))
            continue;
        qsizetype first = at;
        qsizetype last = at;
        while (k + 1 < count && wanted(fromEnd ? first - 1 : last + 1)) {
            fromEnd ? --first : ++last;
            ++k;
        }
        diff.steps.push_back({kind, first, last});
    }
}

// Beyond this many steps a view is better off starting over.
bool resetIfTooMany(ListDiff& diff)
{
    if (qsizetype(diff.steps.size()) <= ListDiff::maxSteps)
        return false;
    diff.steps.clear();
    diff.reset = true;
    return true;
}

// The steps from the old rows to the new ones, given each old row's place in the new list (-1
// when it went).
ListDiff stepsFor(const std::vector<qsizetype>& newOf, qsizetype nextCount)
{
    using Kind = ListDiff::Step::Kind;
    const qsizetype oldCount = qsizetype(newOf.size());
    ListDiff diff;
    std::vector<qsizetype> oldOf(size_t(nextCount), -1);
    std::vector<qsizetype> keptOrder; // new place of each kept row, in old order
    for (qsizetype i = 0; i < oldCount; ++i) {
        if (newOf[size_t(i)] >= 0) {
            oldOf[size_t(newOf[size_t(i)])] = i;
            keptOrder.push_back(newOf[size_t(i)]);
        }
    }
    if (keptOrder.empty() && oldCount > 0 && nextCount > 0) {
        diff.reset = true;
        return diff;
    }

    // Removed from the end, so every range keeps its position.
    addRanges(diff, Kind::Remove, oldCount, true,
              [&](qsizetype i) { return newOf[size_t(i)] < 0; });
    // Kept rows into their new order: each one out of order goes right after the row that
    // precedes it there; the others keep their place.
    // Of two neighbours out of order one moves, and such pairs that share no row are at least
    // half of them: a new order of the whole list (another sort) is told as a reset at once,
    // before the longest run in order is looked for.
    qsizetype descents = 0;
    for (size_t k = 1; k < keptOrder.size(); ++k)
        descents += keptOrder[k] < keptOrder[k - 1];
    if ((descents + 1) / 2 > ListDiff::maxSteps) {
        diff.steps.clear();
        diff.reset = true;
        return diff;
    }
    if (descents > 0) {
        const std::vector<char> inOrder = longestIncreasing(keptOrder);
        // Every row out of order is a step: too many are told as a reset before a single row
        // is looked for.
        const auto moves = std::count(inOrder.begin(), inOrder.end(), 0);
        if (qsizetype(diff.steps.size()) + moves > ListDiff::maxSteps) {
            diff.steps.clear();
            diff.reset = true;
            return diff;
        }
        std::vector<char> stays(size_t(oldCount), 0);
        std::vector<qsizetype> rows; // the old row at each place, as the steps leave them
        for (qsizetype i = 0, k = 0; i < oldCount; ++i) {
            if (newOf[size_t(i)] >= 0) {
                stays[size_t(i)] = inOrder[size_t(k++)];
                rows.push_back(i);
            }
        }
        const auto placeOf = [&](qsizetype old, qsizetype from) {
            return qsizetype(std::find(rows.begin() + from, rows.end(), old) - rows.begin());
        };
        qsizetype previous = -1; // place of the last row put in order
        for (const qsizetype old : oldOf) {
            if (old < 0)
                continue;
            if (stays[size_t(old)]) {
                previous = placeOf(old, previous + 1);
                continue;
            }
            const qsizetype from = placeOf(old, 0);
            const qsizetype to = from <= previous ? previous : previous + 1;
            if (from != to) {
                diff.steps.push_back({Kind::Move, from, to});
                const auto at = rows.begin();
                from < to ? std::rotate(at + from, at + from + 1, at + to + 1)
                          : std::rotate(at + to, at + from, at + from + 1);
            }
            previous = to;
        }
    }
    // Inserted in ascending order: every row before a new one is in place by then.
    addRanges(diff, Kind::Insert, nextCount, false,
              [&](qsizetype j) { return oldOf[size_t(j)] < 0; });
    resetIfTooMany(diff);
    return diff;
}

} // namespace

ListDiff ListDiff::between(const QList<Note>& before, const QList<Note>& next)
{
    const std::vector<qsizetype> newOf = newPlaces(before, next);
    ListDiff diff = stepsFor(newOf, next.size());
    if (diff.reset)
        return diff;
    std::vector<qsizetype> oldOf(size_t(next.size()), -1);
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (newOf[size_t(i)] >= 0)
            oldOf[size_t(newOf[size_t(i)])] = i;
    }
    for (qsizetype j = 0; j < next.size(); ++j) {
        const qsizetype old = oldOf[size_t(j)];
        if (old >= 0 && !showsTheSame(before.at(old), next.at(j)))
            diff.changed.push_back(j);
    }
    return diff;
}

ListDiff ListDiff::ofOrder(const std::vector<qsizetype>& shown, const std::vector<qsizetype>& next)
{
    const qsizetype span =
        std::max(shown.empty() ? 0 : *std::max_element(shown.begin(), shown.end()),
                 next.empty() ? 0 : *std::max_element(next.begin(), next.end())) +
        1;
    std::vector<qsizetype> placeOf(size_t(span), -1);
    for (size_t j = 0; j < next.size(); ++j)
        placeOf[size_t(next[j])] = qsizetype(j);
    std::vector<qsizetype> newOf(shown.size());
    for (size_t i = 0; i < shown.size(); ++i)
        newOf[i] = placeOf[size_t(shown[i])];
    return stepsFor(newOf, qsizetype(next.size()));
}

ListDiff ListDiff::ofPositions(const std::vector<qsizetype>& shown,
                               const std::vector<qsizetype>& next)
{
    using Kind = Step::Kind;
    std::vector<char> keep(shown.size(), 0);
    std::vector<char> isNew(next.size(), 0);
    for (size_t i = 0, j = 0; i < shown.size() || j < next.size();) {
        if (j == next.size() || (i < shown.size() && shown[i] < next[j])) {
            ++i;
        } else if (i == shown.size() || next[j] < shown[i]) {
            isNew[j++] = 1;
        } else {
            keep[i++] = 1;
            ++j;
        }
    }
    ListDiff diff;
    addRanges(diff, Kind::Remove, qsizetype(shown.size()), true,
              [&](qsizetype i) { return !keep[size_t(i)]; });
    addRanges(diff, Kind::Insert, qsizetype(next.size()), false,
              [&](qsizetype j) { return bool(isNew[size_t(j)]); });
    resetIfTooMany(diff);
    return diff;
}
