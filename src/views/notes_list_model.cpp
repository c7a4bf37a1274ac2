#include "notes_list_model.h"

#include "notes_store.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

// Rows are the same when they show the same files: a reload makes new records (new ids) for
// the same notes, and the list should not jump for that.
bool sameRows(const QList<Note>& a, const QList<Note>& b, qsizetype from, qsizetype to,
              qsizetype shift)
{
    for (qsizetype i = from; i < to; ++i) {
        if (a.at(i).url != b.at(i + shift).url)
            return false;
    }
    return true;
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

} // namespace

NotesListModel::NotesListModel(NotesStore& store, QObject* parent)
    : QAbstractListModel(parent), m_store(store), m_notes(store.filteredNotes())
{
    connect(&m_store, &NotesStore::notesChanged, this, &NotesListModel::refresh);
    connect(&m_store, &NotesStore::searchTextChanged, this, &NotesListModel::refresh);
}

int NotesListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_notes.size());
}

QVariant NotesListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_notes.size())
        return {};
    const Note& note = m_notes.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return note.title;
    case IdRole:
        return note.id;
    case DateTextRole:
        return dateText(note.lastModified);
    case LastModifiedRole:
        return note.lastModified;
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

void NotesListModel::refresh()
{
    QList<Note> next = m_store.filteredNotes();
    if (next.size() == m_notes.size() && sameRows(m_notes, next, 0, next.size(), 0)) {
        // The same rows: only ids, titles and dates can have changed.
        const QList<Note> before = std::exchange(m_notes, std::move(next));
        for (qsizetype i = 0; i < m_notes.size(); ++i) {
            if (before.at(i).title != m_notes.at(i).title ||
                before.at(i).lastModified != m_notes.at(i).lastModified ||
                before.at(i).id != m_notes.at(i).id)
                emit dataChanged(index(int(i)), index(int(i)));
        }
    } else if (!applyAsOneMove(next)) {
        beginResetModel();
        m_notes = std::move(next);
        endResetModel();
    }
    emit refreshed();
}

// A save puts one note in a new place and leaves the others in order.
bool NotesListModel::applyAsOneMove(const QList<Note>& next)
{
    const qsizetype n = next.size();
    if (n != m_notes.size() || n < 2)
        return false;
    qsizetype first = 0;
    while (first < n && m_notes.at(first).url == next.at(first).url)
        ++first;
    qsizetype last = n - 1;
    while (last > first && m_notes.at(last).url == next.at(last).url)
        --last;
    int from = -1;
    int to = -1;
    if (m_notes.at(last).url == next.at(first).url && sameRows(m_notes, next, first, last, 1)) {
        from = int(last); // moved up
        to = int(first);
    } else if (m_notes.at(first).url == next.at(last).url &&
               sameRows(m_notes, next, first + 1, last + 1, -1)) {
        from = int(first); // moved down
        to = int(last);
    } else {
        return false;
    }
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_notes.move(from, to);
    endMoveRows();
    m_notes = next;
    emit dataChanged(index(to), index(to));
    return true;
}
