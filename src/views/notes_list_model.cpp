#include "views/notes_list_model.h"

#include "store/list_diff.h"
#include "store/notes_store.h"
#include "views/row_text.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <numeric>

namespace {

std::vector<qsizetype> allRows(const NoteList& list)
{
    std::vector<qsizetype> rows(size_t(list.notes().size()));
    std::iota(rows.begin(), rows.end(), qsizetype(0));
    return rows;
}

} // namespace

NotesListModel::NotesListModel(NotesStore& store, QObject* parent)
    : QAbstractListModel(parent), m_store(store), m_list(store.noteList()),
      m_rows(store.filteredRows())
{
    relayList();
    connect(&m_store, &NotesStore::notesChanged, this, &NotesListModel::applySearch);
    connect(&m_store, &NotesStore::searchFinished, this, &NotesListModel::applySearch);
    // Texts read after the list was shown: the search's result grows, no row moves.
    connect(&m_store, &NotesStore::textsArrived, this, [this] {
        if (m_rows)
            applySearch();
    });
    followSortOrder();
}

// Each change of the list as the same change of the rows; under a search, only of the rows
// shown, whose positions shift with the list. Whether a new or changed note matches the
// search is the search's to say, once the change is complete.
void NotesListModel::relayList()
{
    const auto begin = [this] { m_refreshing = true; };
    const auto end = [this] { m_refreshing = false; };
    const auto shift = [this](qsizetype from, qsizetype by) {
        for (qsizetype& position : *m_rows)
            position += position >= from ? by : 0;
    };
    connect(&m_list, &NoteList::rowsAboutToBeInserted, this, [=, this](qsizetype f, qsizetype l) {
        begin();
        if (!m_rows)
            beginInsertRows({}, int(f), int(l));
    });
    connect(&m_list, &NoteList::rowsInserted, this, [=, this](qsizetype f, qsizetype l) {
        m_rows ? shift(f, l - f + 1) : endInsertRows();
        end();
    });
    connect(&m_list, &NoteList::rowsAboutToBeRemoved, this, [=, this](qsizetype f, qsizetype l) {
        begin();
        const auto [first, last] = m_byTitle ? std::pair<qsizetype, qsizetype>() : rowsOf(f, l);
        m_told = first < last;
        if (m_told)
            beginRemoveRows({}, int(first), int(last - 1));
    });
    connect(&m_list, &NoteList::rowsRemoved, this, [=, this](qsizetype f, qsizetype l) {
        if (m_rows && !m_byTitle) {
            const auto [first, last] = rowsOf(f, l);
            m_rows->erase(m_rows->begin() + first, m_rows->begin() + last);
            shift(l + 1, -(l - f + 1));
        }
        if (m_told)
            endRemoveRows();
        end();
    });
    connect(&m_list, &NoteList::rowAboutToBeMoved, this, [=, this](qsizetype from, qsizetype to) {
        begin();
        m_told = false;
        if (m_byTitle)
            return;
        qsizetype row = from;
        qsizetype next = to;
        if (m_rows) {
            const auto [first, last] = rowsOf(from, from);
            row = first < last ? first : -1;
            m_movedRows = *m_rows;
            if (row >= 0)
                m_movedRows.erase(m_movedRows.begin() + row);
            for (qsizetype& p : m_movedRows)
                p += from < to ? -qsizetype(p > from && p <= to) : qsizetype(p >= to && p < from);
            const auto at = std::lower_bound(m_movedRows.begin(), m_movedRows.end(), to);
            next = at - m_movedRows.begin();
            if (row >= 0)
                m_movedRows.insert(at, to);
        }
        m_told = row >= 0 && row != next;
        if (m_told)
            beginMoveRows({}, int(row), int(row), {}, int(next > row ? next + 1 : next));
    });
    connect(&m_list, &NoteList::rowMoved, this, [=, this] {
        if (m_rows && !m_byTitle)
            m_rows = std::move(m_movedRows);
        if (m_told)
            endMoveRows();
        end();
    });
    connect(&m_list, &NoteList::rowsChanged, this, [this](qsizetype f, qsizetype l) {
        if (m_byTitle)
            return;
        const auto [first, last] = rowsOf(f, l);
        if (first < last)
            emit dataChanged(index(int(first)), index(int(last - 1)));
    });
    connect(&m_list, &NoteList::aboutToBeReset, this, [=, this] {
        begin();
        beginResetModel();
    });
    connect(&m_list, &NoteList::reset, this, [=, this] {
        m_rows = m_store.filteredRows();
        if (m_byTitle) {
            // Newest first until the title order of the new list is ready.
            std::optional<std::vector<qsizetype>> byTitle = m_store.rowsByTitle();
            m_rows = byTitle ? std::move(byTitle) : m_rows ? std::move(m_rows) : allRows(m_list);
        }
        endResetModel();
        end();
    });
    relayByTitle();
}

void NotesListModel::relayByTitle()
{
    connect(&m_list, &NoteList::rowsAboutToBeRemoved, this, [this](qsizetype f, qsizetype l) {
        if (!m_byTitle)
            return;
        // Gone from the view before they go from the list: the rows left still name records.
        const std::vector<qsizetype> gone = rowsAt(f, l);
        if (qsizetype(gone.size()) > ListDiff::maxSteps) {
            beginResetModel();
            std::erase_if(*m_rows, [&](qsizetype p) { return p >= f && p <= l; });
            endResetModel();
            return;
        }
        for (auto row = gone.rbegin(); row != gone.rend(); ++row) {
            beginRemoveRows({}, int(*row), int(*row));
            m_rows->erase(m_rows->begin() + *row);
            endRemoveRows();
        }
    });
    connect(&m_list, &NoteList::rowsRemoved, this, [this](qsizetype f, qsizetype l) {
        if (m_byTitle) {
            for (qsizetype& p : *m_rows)
                p -= p > l ? l - f + 1 : 0;
        }
    });
    // A record moved by date: the same rows, at other positions.
    connect(&m_list, &NoteList::rowMoved, this, [this](qsizetype from, qsizetype to) {
        if (!m_byTitle)
            return;
        for (qsizetype& p : *m_rows) {
            if (p == from)
                p = to;
            else
                p += from < to ? -qsizetype(p > from && p <= to) : qsizetype(p >= to && p < from);
        }
    });
    connect(&m_list, &NoteList::rowsChanged, this, [this](qsizetype f, qsizetype l) {
        if (!m_byTitle)
            return;
        for (const qsizetype row : rowsAt(f, l))
            emit dataChanged(index(int(row)), index(int(row)));
    });
    connect(&m_store, &NotesStore::sortOrderChanged, this, &NotesListModel::followSortOrder);
    connect(&m_store, &NotesStore::rowsOrdered, this, &NotesListModel::applySearch);
}

// The rows that show list positions first..last, ascending.
std::vector<qsizetype> NotesListModel::rowsAt(qsizetype first, qsizetype last) const
{
    std::vector<qsizetype> rows;
    for (size_t row = 0; row < m_rows->size(); ++row) {
        if ((*m_rows)[row] >= first && (*m_rows)[row] <= last)
            rows.push_back(qsizetype(row));
    }
    return rows;
}

void NotesListModel::followSortOrder()
{
    const bool byTitle = m_store.sortOrder() == NotesStore::SortOrder::Title;
    if (byTitle == m_byTitle)
        return;
    if (byTitle) {
        if (!m_rows)
            m_rows = allRows(m_list);
        m_byTitle = true;
        m_newOrder = true;
        applySearch();
        return;
    }
    {
        const QScopedValueRollback refreshing(m_refreshing, true);
        beginResetModel();
        m_byTitle = false;
        m_newOrder = false;
        m_rows = m_store.filteredRows();
        endResetModel();
    }
    emit refreshed();
}

std::pair<qsizetype, qsizetype> NotesListModel::rowsOf(qsizetype first, qsizetype last) const
{
    if (!m_rows)
        return {first, last + 1};
    const auto from = std::lower_bound(m_rows->begin(), m_rows->end(), first);
    const auto to = std::upper_bound(from, m_rows->end(), last);
    return {from - m_rows->begin(), to - m_rows->begin()};
}

const Note& NotesListModel::noteAt(int row) const
{
    return m_list.notes().at(m_rows ? (*m_rows)[size_t(row)] : row);
}

int NotesListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_rows ? qsizetype(m_rows->size()) : m_list.notes().size());
}

QVariant NotesListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Note& note = noteAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return note.title;
    case Qt::AccessibleTextRole:
        return RowText::spoken(note);
    case IdRole:
        return note.id;
    case DateTextRole:
        return RowText::date(note.lastModified);
    case LastModifiedRole:
        return note.lastModified;
    case ConflictOfRole:
        return RowText::originalOf(note);
    case Qt::ToolTipRole: {
        const QString original = RowText::originalOf(note);
        return original.isEmpty() ? QVariant() : QVariant(RowText::conflictOf(original));
    }
    default:
        return {};
    }
}

int NotesListModel::rowOf(const QString& url) const
{
    const qsizetype position = m_list.indexOf(url);
    if (position < 0)
        return -1;
    if (m_byTitle) {
        const auto at = std::find(m_rows->begin(), m_rows->end(), position);
        return at == m_rows->end() ? -1 : int(at - m_rows->begin());
    }
    const auto [first, last] = rowsOf(position, position);
    return first < last ? int(first) : -1;
}

QUuid NotesListModel::idAt(int row) const
{
    return row >= 0 && row < rowCount() ? noteAt(row).id : QUuid();
}

void NotesListModel::applySearch()
{
    if (m_byTitle) {
        // Until the title order of the list as it is now is ready the rows stay as they are.
        std::optional<std::vector<qsizetype>> next = m_store.rowsByTitle();
        // Another order of the whole list is one reset: looking for the few rows that moved
        // would cost more than the view's start over.
        if (next && std::exchange(m_newOrder, false)) {
            const QScopedValueRollback refreshing(m_refreshing, true);
            beginResetModel();
            m_rows = std::move(next);
            endResetModel();
        } else if (next) {
            applyOrder(*next);
        }
        emit refreshed();
        return;
    }
    std::optional<std::vector<qsizetype>> found = m_store.filteredRows();
    if (found != m_rows) {
        if (!m_rows)
            m_rows = allRows(m_list);
        applyOrder(found ? *found : allRows(m_list));
        m_rows = std::move(found);
    }
    emit refreshed();
}

// From the rows shown to next, as the few steps between them, or one reset.
void NotesListModel::applyOrder(const std::vector<qsizetype>& next)
{
    if (*m_rows == next)
        return;
    const QScopedValueRollback refreshing(m_refreshing, true);
    const ListDiff diff =
        m_byTitle ? ListDiff::ofOrder(*m_rows, next) : ListDiff::ofPositions(*m_rows, next);
    if (diff.reset) {
        beginResetModel();
        m_rows = next;
        endResetModel();
        return;
    }
    for (const ListDiff::Step& step : diff.steps) {
        const auto at = m_rows->begin() + step.first;
        switch (step.kind) {
        case ListDiff::Step::Kind::Remove:
            beginRemoveRows({}, int(step.first), int(step.last));
            m_rows->erase(at, at + (step.last - step.first + 1));
            endRemoveRows();
            break;
        case ListDiff::Step::Kind::Move:
            beginMoveRows({}, int(step.first), int(step.first), {},
                          int(step.last > step.first ? step.last + 1 : step.last));
            step.first < step.last ? std::rotate(at, at + 1, m_rows->begin() + step.last + 1)
                                   : std::rotate(m_rows->begin() + step.last, at, at + 1);
            endMoveRows();
            break;
        case ListDiff::Step::Kind::Insert:
            beginInsertRows({}, int(step.first), int(step.last));
            m_rows->insert(at, next.begin() + step.first, next.begin() + step.last + 1);
            endInsertRows();
            break;
        }
    }
}
