#pragma once

#include "store/note.h"

#include <QAbstractListModel>
#include <QList>

#include <optional>
#include <vector>

class NotesStore;

// The sidebar rows: the store's filtered notes, newest first. A change of the store (a save, a
// reload, a search) is applied as the rows that went, came, moved or changed, matched by file
// (by record for a note its save renamed), so the view keeps its place and lays out only what
// changed.
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
    // Beyond this many inserted, removed or moved ranges one reset is cheaper for the view.
    static constexpr qsizetype maxRowSteps = 64;

    explicit NotesListModel(NotesStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // True while rows change: a view that moves its selection then is not the user choosing.
    bool isRefreshing() const { return m_refreshing; }
    int rowOf(const QUuid& id) const;
    QUuid idAt(int row) const;
    static QString dateText(const QDateTime& when);
    static QString conflictText(const QString& original);

signals:
    // After the rows changed, so the view can put its highlight back on the selection.
    void refreshed();

private:
    void refresh();
    void applySearch(std::optional<std::vector<qsizetype>> found);
    std::vector<qsizetype> allRowsOr(std::optional<std::vector<qsizetype>> rows) const;
    void materialize();
    void apply(QList<Note> next);
    void removeGoneRows(const std::vector<qsizetype>& newOf);
    void moveKeptRows(const QList<Note>& before, const std::vector<qsizetype>& oldOf,
                      const std::vector<char>& stays);
    void insertNewRows(const QList<Note>& next, const std::vector<qsizetype>& oldOf);
    void reportChanged(const QList<Note>& before, const std::vector<qsizetype>& newOf);
    const Note& noteAt(qsizetype row) const;

    NotesStore& m_store;
    // The rows either as copies of records (while a change of the notes is matched), or as
    // positions in the store's sorted list (m_indexed), which a search changes cheaply.
    QList<Note> m_notes;
    QList<Note> m_sorted;
    std::vector<qsizetype> m_rows;
    bool m_indexed = false;
    // While a change is applied step by step: the rows as the view has been told so far,
    // pointing into the old and the new list.
    QList<const Note*> m_steps;
    bool m_applying = false;
    bool m_refreshing = false;
};
