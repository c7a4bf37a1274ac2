#pragma once

#include "store/note.h"

#include <QAbstractListModel>

#include <optional>
#include <vector>

class NoteList;
class NotesStore;

// The sidebar rows: the store's notes newest first or by title, narrowed by its search. The
// store's list says row by row what changed; the model passes that on, translated to the rows
// the search shows, and follows a new search result or order as the rows it hides, shows and
// moves.
class NotesListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        IdRole = Qt::UserRole + 1,
        DateTextRole,
        LastModifiedRole,
        // The base name of the note a conflict copy belongs to; empty for other notes.
        ConflictOfRole,
    };
    explicit NotesListModel(NotesStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // True while rows change: a view that moves its selection then is not the user choosing.
    bool isRefreshing() const { return m_refreshing; }
    int rowOf(const QString& url) const;
    QUuid idAt(int row) const;

signals:
    // After the rows changed, so the view can put its highlight back on the selection.
    void refreshed();

private:
    void relayList();
    void applySearch();
    // By title the rows are the list's positions in any order: each change of the list is
    // followed on them as it comes, and the new order once the store has it.
    void relayByTitle();
    void applyOrder(const std::vector<qsizetype>& next);
    void followSortOrder();
    std::vector<qsizetype> rowsAt(qsizetype first, qsizetype last) const;
    const Note& noteAt(int row) const;
    // The rows showing list positions first..last: [begin, end).
    std::pair<qsizetype, qsizetype> rowsOf(qsizetype first, qsizetype last) const;

    NotesStore& m_store;
    const NoteList& m_list;
    // Positions in the list of the notes shown, ascending by date; none while every note is.
    std::optional<std::vector<qsizetype>> m_rows;
    // m_rows is in the order the title order last gave, and is always there.
    bool m_byTitle = false;
    // The title order replaces the date order once it is ready.
    bool m_newOrder = false;
    // A move's rows as they will be once the list has moved, and whether the view was told.
    std::vector<qsizetype> m_movedRows;
    bool m_told = false;
    bool m_refreshing = false;
};
