#include "views/notes_list_model.h"

#include "store/conflict_copies.h"
#include "store/naming.h"
#include "store/notes_store.h"
#include "views/row_matching.h"

#include <QLocale>
#include <QRegularExpression>
#include <QScopedValueRollback>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace {

bool showsTheSame(const Note& a, const Note& b)
{
    const auto same = [](const auto& x, const auto& y) { return RowMatching::same(x, y); };
    return a.lastModified == b.lastModified && a.unreadable == b.unreadable && same(a.url, b.url) &&
           same(a.title, b.title) && same(a.contentUtf8(), b.contentUtf8());
}

// The locale's long date without the weekday and with the month abbreviated, then its short
// time: "Mar 14, 2026 9:26 AM" in English, "14. März 2026 09:26" in German.
QString rowDateFormat()
{
    const QLocale locale = QLocale::system();
    QString date = locale.dateFormat(QLocale::LongFormat);
    date.remove(QRegularExpression(QStringLiteral("d{4}[,.]?\\s*|\\s*[,.]?\\s*d{4}")));
    date.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    // Some locales' short time (C's among them) carries seconds, which a list never needs.
    QString time = locale.timeFormat(QLocale::ShortFormat);
    time.remove(QRegularExpression(QStringLiteral("[:.]s{1,2}")));
    return date.trimmed() + QLatin1Char(' ') + time;
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

} // namespace

NotesListModel::NotesListModel(NotesStore& store, QObject* parent)
    : QAbstractListModel(parent), m_store(store), m_notes(store.filteredNotes())
{
    connect(&m_store, &NotesStore::notesChanged, this, &NotesListModel::refresh);
    connect(&m_store, &NotesStore::searchFinished, this, &NotesListModel::refresh);
}

const Note& NotesListModel::noteAt(qsizetype row) const
{
    if (m_applying)
        return *m_steps.at(row);
    return m_indexed ? m_sorted.at(m_rows[size_t(row)]) : m_notes.at(row);
}

int NotesListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    if (m_applying)
        return int(m_steps.size());
    return int(m_indexed ? qsizetype(m_rows.size()) : m_notes.size());
}

QVariant NotesListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Note& note = noteAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return note.title;
    case Qt::AccessibleTextRole: {
        // What a screen reader says for the row: all that the row shows.
        const QString original = ConflictCopies::originalOf(Naming::baseName(note.url));
        QString text = note.title + QStringLiteral(", ");
        if (!original.isEmpty())
            text += conflictText(original) + QStringLiteral(", ");
        return text + dateText(note.lastModified);
    }
    case IdRole:
        return note.id;
    case DateTextRole:
        return dateText(note.lastModified);
    case LastModifiedRole:
        return note.lastModified;
    case ConflictOfRole:
        return ConflictCopies::originalOf(Naming::baseName(note.url));
    case Qt::ToolTipRole: {
        const QString original = ConflictCopies::originalOf(Naming::baseName(note.url));
        return original.isEmpty() ? QVariant() : QVariant(conflictText(original));
    }
    default:
        return {};
    }
}

int NotesListModel::rowOf(const QUuid& id) const
{
    for (int row = 0; row < rowCount(); ++row) {
        if (noteAt(row).id == id)
            return row;
    }
    return -1;
}

QUuid NotesListModel::idAt(int row) const
{
    return row >= 0 && row < rowCount() ? noteAt(row).id : QUuid();
}

QString NotesListModel::dateText(const QDateTime& when)
{
    static const QString format = rowDateFormat();
    return QLocale::system().toString(when.toLocalTime(), format);
}

QString NotesListModel::conflictText(const QString& original)
{
    return QStringLiteral("Conflict copy of “%1”").arg(original);
}

void NotesListModel::refresh()
{
    const QList<Note>& sorted = m_store.sortedNotes();
    if (m_indexed && sorted.isSharedWith(m_sorted))
        applySearch(m_store.filteredRows());
    else
        apply(m_store.filteredNotes());
    // From here on the rows point into the store's sorted list instead of holding copies: a
    // search keystroke then costs positions, not records.
    if (!m_indexed) {
        m_sorted = sorted;
        m_rows = allRowsOr(m_store.filteredRows());
        m_notes = {};
        m_indexed = true;
    }
    emit refreshed();
}

std::vector<qsizetype> NotesListModel::allRowsOr(std::optional<std::vector<qsizetype>> rows) const
{
    if (rows)
        return std::move(*rows);
    std::vector<qsizetype> all(size_t(m_sorted.size()));
    std::iota(all.begin(), all.end(), qsizetype(0));
    return all;
}

// Only the search changed: old and new rows are both ascending positions in the same sorted
// list, so the difference is a walk through both, with no records compared.
void NotesListModel::applySearch(std::optional<std::vector<qsizetype>> found)
{
    std::vector<qsizetype> next = allRowsOr(std::move(found));
    if (next == m_rows)
        return;
    const QScopedValueRollback refreshing(m_refreshing, true);
    std::vector<char> keep(m_rows.size(), 0);
    std::vector<char> isNew(next.size(), 0);
    qsizetype ranges = 0;
    for (size_t i = 0, j = 0; i < m_rows.size() || j < next.size();) {
        if (j == next.size() || (i < m_rows.size() && m_rows[i] < next[j])) {
            ranges += i == 0 || keep[i - 1] ? 1 : 0;
            ++i;
        } else if (i == m_rows.size() || next[j] < m_rows[i]) {
            ranges += j == 0 || !isNew[j - 1] ? 1 : 0;
            isNew[j++] = 1;
        } else {
            keep[i++] = 1;
            ++j;
        }
    }
    if (ranges > maxRowSteps) {
        beginResetModel();
        m_rows = std::move(next);
        endResetModel();
        return;
    }
    for (qsizetype last = qsizetype(m_rows.size()) - 1; last >= 0; --last) {
        if (keep[size_t(last)])
            continue;
        qsizetype first = last;
        while (first > 0 && !keep[size_t(first - 1)])
            --first;
        beginRemoveRows({}, int(first), int(last));
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
        last = first;
    }
    for (qsizetype first = 0; first < qsizetype(next.size()); ++first) {
        if (!isNew[size_t(first)])
            continue;
        qsizetype last = first;
        while (last + 1 < qsizetype(next.size()) && isNew[size_t(last + 1)])
            ++last;
        beginInsertRows({}, int(first), int(last));
        m_rows.insert(m_rows.begin() + first, next.begin() + first, next.begin() + last + 1);
        endInsertRows();
        first = last;
    }
}

// Back to copies for a change of the notes themselves, which is matched record by record.
void NotesListModel::materialize()
{
    if (!m_indexed)
        return;
    // Without a search the rows are the sorted list itself, which is shared, not copied: a
    // hundred thousand copies made and freed on this thread stalled every change.
    if (qsizetype(m_rows.size()) == m_sorted.size()) {
        m_notes = m_sorted;
    } else {
        QList<Note> notes;
        notes.reserve(qsizetype(m_rows.size()));
        for (const qsizetype i : m_rows)
            notes.append(m_sorted.at(i));
        m_notes = std::move(notes);
    }
    m_sorted = {};
    m_rows = {};
    m_indexed = false;
}

void NotesListModel::apply(QList<Note> next)
{
    materialize();
    if (next.isSharedWith(m_notes))
        return; // the very list shown: records never change in place
    const QScopedValueRollback refreshing(m_refreshing, true);
    const QList<Note> before = m_notes;
    const qsizetype oldCount = before.size();
    const qsizetype newCount = next.size();
    const RowMatching matching = RowMatching::match(before, next);
    const std::vector<qsizetype>& newOf = matching.newOf;
    const std::vector<qsizetype>& oldOf = matching.oldOf;

    // The steps the view would be told: ranges removed and inserted, rows moved.
    std::vector<qsizetype> keptOrder; // new index of each kept row, in old order
    keptOrder.reserve(size_t(qMin(oldCount, newCount)));
    qsizetype removedRanges = 0;
    for (qsizetype i = 0; i < oldCount; ++i) {
        if (newOf[size_t(i)] >= 0)
            keptOrder.push_back(newOf[size_t(i)]);
        else if (i == 0 || newOf[size_t(i - 1)] >= 0)
            ++removedRanges;
    }
    qsizetype insertedRanges = 0;
    for (qsizetype j = 0; j < newCount; ++j) {
        if (oldOf[size_t(j)] < 0 && (j == 0 || oldOf[size_t(j - 1)] >= 0))
            ++insertedRanges;
    }
    const bool ordered = std::is_sorted(keptOrder.begin(), keptOrder.end());
    const std::vector<char> inOrder = ordered ? std::vector<char>() : longestIncreasing(keptOrder);
    const qsizetype moves = ordered ? 0 : std::count(inOrder.begin(), inOrder.end(), 0);
    const bool whollyNew = keptOrder.empty() && oldCount > 0 && newCount > 0;
    if (whollyNew || removedRanges + insertedRanges + moves > maxRowSteps) {
        beginResetModel();
        m_notes = std::move(next);
        endResetModel();
        return;
    }
    if (removedRanges + insertedRanges + moves > 0) {
        m_applying = true;
        m_steps.resize(oldCount);
        for (qsizetype i = 0; i < oldCount; ++i)
            m_steps[i] = &before.at(i);
        removeGoneRows(newOf);
        if (moves > 0) {
            std::vector<char> stays(size_t(oldCount), 0);
            for (qsizetype i = 0, k = 0; i < oldCount; ++i) {
                if (newOf[size_t(i)] >= 0)
                    stays[size_t(i)] = inOrder[size_t(k++)];
            }
            moveKeptRows(before, oldOf, stays);
        }
        insertNewRows(next, oldOf);
        m_applying = false;
        m_steps.clear();
    }
    m_notes = std::move(next);
    reportChanged(before, newOf);
}

// Removed from the end, so every range keeps its position.
void NotesListModel::removeGoneRows(const std::vector<qsizetype>& newOf)
{
    for (qsizetype last = qsizetype(newOf.size()) - 1; last >= 0; --last) {
        if (newOf[size_t(last)] >= 0)
            continue;
        qsizetype first = last;
        while (first > 0 && newOf[size_t(first - 1)] < 0)
            --first;
        beginRemoveRows({}, int(first), int(last));
        m_steps.remove(first, last - first + 1);
        endRemoveRows();
        last = first;
    }
}

// Kept rows into their new order: each one out of order goes right after the row that precedes
// it there; the rows in stays keep their place.
void NotesListModel::moveKeptRows(const QList<Note>& before, const std::vector<qsizetype>& oldOf,
                                  const std::vector<char>& stays)
{
    const Note* base = before.constData();
    qsizetype previous = -1; // position of the last row placed
    for (const qsizetype old : oldOf) {
        if (old < 0)
            continue;
        if (stays[size_t(old)]) {
            qsizetype at = previous + 1;
            while (m_steps.at(at) - base != old)
                ++at;
            previous = at;
            continue;
        }
        qsizetype from = 0;
        while (m_steps.at(from) - base != old)
            ++from;
        const qsizetype destination = previous + 1;
        const qsizetype to = from < destination ? destination - 1 : destination;
        if (from != to) {
            beginMoveRows({}, int(from), int(from), {}, int(destination));
            m_steps.move(from, to);
            endMoveRows();
        }
        previous = to;
    }
}

// Inserted in ascending order: every row before a new one is in place by then.
void NotesListModel::insertNewRows(const QList<Note>& next, const std::vector<qsizetype>& oldOf)
{
    const qsizetype count = next.size();
    for (qsizetype first = 0; first < count; ++first) {
        if (oldOf[size_t(first)] >= 0)
            continue;
        qsizetype last = first;
        while (last + 1 < count && oldOf[size_t(last + 1)] < 0)
            ++last;
        beginInsertRows({}, int(first), int(last));
        m_steps.insert(first, last - first + 1, nullptr);
        for (qsizetype j = first; j <= last; ++j)
            m_steps[j] = &next.at(j);
        endInsertRows();
        first = last;
    }
}

// Rows of the same file whose title, date or text differ; a reload's new ids alone change
// nothing a user sees.
void NotesListModel::reportChanged(const QList<Note>& before, const std::vector<qsizetype>& newOf)
{
    std::vector<char> changed(size_t(m_notes.size()), 0);
    for (qsizetype i = 0; i < before.size(); ++i) {
        const qsizetype j = newOf[size_t(i)];
        if (j >= 0 && !showsTheSame(before.at(i), m_notes.at(j)))
            changed[size_t(j)] = 1;
    }
    for (qsizetype first = 0; first < m_notes.size(); ++first) {
        if (!changed[size_t(first)])
            continue;
        qsizetype last = first;
        while (last + 1 < m_notes.size() && changed[size_t(last + 1)])
            ++last;
        emit dataChanged(index(int(first)), index(int(last)));
        first = last;
    }
}
