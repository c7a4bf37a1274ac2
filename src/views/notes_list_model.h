#pragma once

#include "note.h"

#include <QAbstractListModel>
#include <QList>

class NotesStore;

// The sidebar rows: the store's filtered notes, newest first. A save that moves one note to
// the top moves one row; only a new list (a load, a search) resets the model.
class NotesListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        IdRole = Qt::UserRole + 1,
        DateTextRole,
        LastModifiedRole,
    };

    explicit NotesListModel(NotesStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int rowOf(const QUuid& id) const;
    QUuid idAt(int row) const;
    static QString dateText(const QDateTime& when);

signals:
    // After the rows changed, so the view can put its highlight back on the selection.
    void refreshed();

private:
    void refresh();
    bool applyAsOneMove(const QList<Note>& next);

    NotesStore& m_store;
    QList<Note> m_notes;
};
