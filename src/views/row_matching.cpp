#include "views/row_matching.h"

#include <QHash>

#include <optional>

namespace {

// Pairs the rows still unmatched by key: the side with fewer of them is hashed, the other probes.
template <typename Key, typename KeyOf>
void matchBy(const QList<Note>& before, const QList<Note>& next, RowMatching& m, KeyOf keyOf)
{
    std::vector<qsizetype> oldRows;
    std::vector<qsizetype> newRows;
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (m.newOf[size_t(i)] < 0)
            oldRows.push_back(i);
    }
    for (qsizetype j = 0; j < next.size(); ++j) {
        if (m.oldOf[size_t(j)] < 0)
            newRows.push_back(j);
    }
    if (oldRows.empty() || newRows.empty())
        return;
    const bool hashOld = oldRows.size() <= newRows.size();
    const QList<Note>& hashed = hashOld ? before : next;
    const QList<Note>& probing = hashOld ? next : before;
    QHash<Key, qsizetype> byKey;
    byKey.reserve(qsizetype(hashOld ? oldRows.size() : newRows.size()));
    for (const qsizetype row : hashOld ? oldRows : newRows) {
        if (const std::optional<Key> key = keyOf(hashed.at(row)))
            byKey.insert(*key, row);
    }
    for (const qsizetype row : hashOld ? newRows : oldRows) {
        const std::optional<Key> key = keyOf(probing.at(row));
        const auto found = key ? byKey.constFind(*key) : byKey.cend();
        if (found == byKey.cend())
            continue;
        const qsizetype oldRow = hashOld ? *found : row;
        const qsizetype newRow = hashOld ? row : *found;
        if (!RowMatching::same(before.at(oldRow).url, next.at(newRow).url) &&
            before.at(oldRow).id != next.at(newRow).id)
            continue;
        m.newOf[size_t(oldRow)] = newRow;
        m.oldOf[size_t(newRow)] = oldRow;
        byKey.erase(found);
    }
}

} // namespace

RowMatching RowMatching::match(const QList<Note>& before, const QList<Note>& next)
{
    const qsizetype oldCount = before.size();
    const qsizetype newCount = next.size();
    RowMatching m{std::vector<qsizetype>(size_t(oldCount), -1),
                  std::vector<qsizetype>(size_t(newCount), -1)};
    const auto pair = [&m](qsizetype i, qsizetype j) {
        m.newOf[size_t(i)] = j;
        m.oldOf[size_t(j)] = i;
    };
    // Most changes leave long runs in place at both ends.
    qsizetype head = 0;
    while (head < oldCount && head < newCount && same(before.at(head).url, next.at(head).url)) {
        pair(head, head);
        ++head;
    }
    qsizetype tail = 0;
    while (tail < oldCount - head && tail < newCount - head &&
           same(before.at(oldCount - 1 - tail).url, next.at(newCount - 1 - tail).url)) {
        pair(oldCount - 1 - tail, newCount - 1 - tail);
        ++tail;
    }
    if (head + tail == oldCount || head + tail == newCount)
        return m;
    // Between them, one row out of step (a save moved it to the top, a new note came) is
    // stepped over without hashing every row.
    const auto sameAt = [&](qsizetype i, qsizetype j) {
        return i < oldCount - tail && j < newCount - tail && same(before.at(i).url, next.at(j).url);
    };
    for (qsizetype i = head, j = head; i < oldCount - tail && j < newCount - tail;) {
        if (sameAt(i, j)) {
            pair(i++, j++);
        } else if (sameAt(i, j + 1)) {
            ++j;
        } else if (sameAt(i + 1, j)) {
            ++i;
        } else {
            ++i;
            ++j;
        }
    }
    // A search shows the same records as before, so their strings are shared and a pointer is
    // a cheap key; a reload makes new strings, compared by text; a note renamed by its save
    // keeps its record.
    matchBy<const QChar*>(before, next, m, [](const Note& note) {
        return note.url.isEmpty() ? std::nullopt : std::optional(note.url.constData());
    });
    matchBy<QStringView>(before, next, m,
                         [](const Note& note) { return std::optional<QStringView>(note.url); });
    matchBy<QUuid>(before, next, m, [](const Note& note) {
        return note.id.isNull() ? std::nullopt : std::optional(note.id);
    });
    return m;
}
