#include "notes_list_model.h"

#include "conflict_copies.h"
#include "naming.h"
#include "notes_store.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QScopedValueRollback>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Records are values shared between the store and its views: a row showing the same record
// shares its strings, and the comparison stops at the pointer.
bool same(const QString& a, const QString& b)
{
    return a.isSharedWith(b) || a == b;
}

bool showsTheSame(const Note& a, const Note& b)
{
    return a.lastModified == b.lastModified && a.unreadable == b.unreadable && same(a.url, b.url) &&
           same(a.title, b.title) && same(a.content, b.content);
}

// The locale's long date without the weekday and with the month abbreviated, then its short
// time: "Mar 14, 2026 9:26 AM" in English, "14. März 2026 09:26" in German.
QString rowDateFormat()
{
    const QLocale locale = QLocale::system();
    QString date = locale.dateFormat(QLocale::LongFormat);
    date.remove(QRegularExpression(QStringLiteral("d{4}[,.]?\\s*|\\s*[,.]?\\s*d{4}")));
    date.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return date.trimmed() + QLatin1Char(' ') + locale.timeFormat(QLocale::ShortFormat);
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
    connect(&m_store, &NotesStore::searchTextChanged, this, &NotesListModel::refresh);
}

const Note& NotesListModel::noteAt(qsizetype row) const
{
    return m_applying ? *m_steps.at(row) : m_notes.at(row);
}

int NotesListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_applying ? m_steps.size() : m_notes.size());
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
    for (qsizetype i = 0; i < m_notes.size(); ++i) {
        if (m_notes.at(i).id == id)
            return int(i);
    }
    return -1;
}

QUuid NotesListModel::idAt(int row) const
{
    return row >= 0 && row < m_notes.size() ? m_notes.at(row).id : QUuid();
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
    apply(m_store.filteredNotes());
    emit refreshed();
}

void NotesListModel::apply(QList<Note> next)
{
    const QScopedValueRollback refreshing(m_refreshing, true);
    const QList<Note> before = m_notes;
    const qsizetype oldCount = before.size();
    const qsizetype newCount = next.size();

    // Where each old row is in the new list (-1: gone), and which new rows are old ones.
    QList<qsizetype> newIndexOf(oldCount, -1);
    std::vector<char> known(size_t(newCount), 0);
    qsizetype head = 0;
    while (head < oldCount && head < newCount && same(before.at(head).url, next.at(head).url)) {
        newIndexOf[head] = head;
        known[size_t(head)] = 1;
        ++head;
    }
    qsizetype tail = 0;
    while (tail < oldCount - head && tail < newCount - head &&
           same(before.at(oldCount - 1 - tail).url, next.at(newCount - 1 - tail).url)) {
        newIndexOf[oldCount - 1 - tail] = newCount - 1 - tail;
        known[size_t(newCount - 1 - tail)] = 1;
        ++tail;
    }
    if (head + tail < oldCount && head + tail < newCount) {
        QHash<QStringView, qsizetype> byUrl;
        byUrl.reserve(newCount - head - tail);
        for (qsizetype j = head; j < newCount - tail; ++j)
            byUrl.insert(next.at(j).url, j);
        for (qsizetype i = head; i < oldCount - tail; ++i) {
            const auto found = byUrl.constFind(before.at(i).url);
            if (found != byUrl.cend()) {
                newIndexOf[i] = *found;
                known[size_t(*found)] = 1;
            }
        }
        // A note renamed by its save keeps its record: the row follows it to its new name.
        QHash<QUuid, qsizetype> renamed;
        for (qsizetype j = head; j < newCount - tail; ++j) {
            if (!known[size_t(j)] && !next.at(j).id.isNull())
                renamed.insert(next.at(j).id, j);
        }
        for (qsizetype i = head; i < oldCount - tail && !renamed.isEmpty(); ++i) {
            const auto found =
                newIndexOf[i] < 0 ? renamed.constFind(before.at(i).id) : renamed.cend();
            if (found != renamed.cend()) {
                newIndexOf[i] = *found;
                known[size_t(*found)] = 1;
                renamed.erase(found);
            }
        }
    }

    // The steps the view would be told: ranges removed and inserted, rows moved.
    std::vector<qsizetype> keptOrder; // new index of each kept row, in old order
    qsizetype removedRanges = 0;
    for (qsizetype i = 0; i < oldCount; ++i) {
        if (newIndexOf[i] >= 0)
            keptOrder.push_back(newIndexOf[i]);
        else if (i == 0 || newIndexOf[i - 1] >= 0)
            ++removedRanges;
    }
    qsizetype insertedRanges = 0;
    for (qsizetype j = 0; j < newCount; ++j) {
        if (!known[size_t(j)] && (j == 0 || known[size_t(j - 1)]))
            ++insertedRanges;
    }
    const std::vector<char> inOrder = longestIncreasing(keptOrder);
    const qsizetype moves = std::count(inOrder.begin(), inOrder.end(), 0);
    const bool whollyNew = keptOrder.empty() && oldCount > 0 && newCount > 0;
    if (whollyNew || removedRanges + insertedRanges + moves > maxRowSteps) {
        beginResetModel();
        m_notes = std::move(next);
        endResetModel();
        return;
    }

    m_applying = true;
    m_steps.resize(oldCount);
    for (qsizetype i = 0; i < oldCount; ++i)
        m_steps[i] = &before.at(i);
    const Note* oldBase = before.constData();

    // Removed from the end, so every range keeps its position.
    for (qsizetype last = oldCount - 1; last >= 0; --last) {
        if (newIndexOf[last] >= 0)
            continue;
        qsizetype first = last;
        while (first > 0 && newIndexOf[first - 1] < 0)
            --first;
        beginRemoveRows({}, int(first), int(last));
        m_steps.remove(first, last - first + 1);
        endRemoveRows();
        last = first;
    }

    // Kept rows in their new order: each one out of order goes right after the row that
    // precedes it there.
    std::vector<std::pair<qsizetype, qsizetype>> targets; // (new index, position in keptOrder)
    targets.reserve(keptOrder.size());
    for (qsizetype k = 0; k < qsizetype(keptOrder.size()); ++k)
        targets.emplace_back(keptOrder[size_t(k)], k);
    std::sort(targets.begin(), targets.end());
    qsizetype previous = -1; // position of the last row placed
    for (const auto& [newIndex, k] : targets) {
        if (inOrder[size_t(k)]) {
            qsizetype at = previous + 1;
            while (newIndexOf[m_steps.at(at) - oldBase] != newIndex)
                ++at;
            previous = at;
            continue;
        }
        qsizetype from = 0;
        while (newIndexOf[m_steps.at(from) - oldBase] != newIndex)
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

    // Inserted in ascending order: every row before a new one is in place by then.
    for (qsizetype first = 0; first < newCount; ++first) {
        if (known[size_t(first)])
            continue;
        qsizetype last = first;
        while (last + 1 < newCount && !known[size_t(last + 1)])
            ++last;
        beginInsertRows({}, int(first), int(last));
        m_steps.insert(first, last - first + 1, nullptr);
        for (qsizetype j = first; j <= last; ++j)
            m_steps[j] = &next.at(j);
        endInsertRows();
        first = last;
    }

    m_notes = std::move(next);
    m_applying = false;
    m_steps.clear();
    reportChanged(before, newIndexOf);
}

// Rows of the same file whose title, date or text differ; a reload's new ids alone change
// nothing a user sees.
void NotesListModel::reportChanged(const QList<Note>& before, const QList<qsizetype>& newIndexOf)
{
    std::vector<char> changed(size_t(m_notes.size()), 0);
    for (qsizetype i = 0; i < before.size(); ++i) {
        const qsizetype j = newIndexOf.at(i);
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
