#pragma once

#include <QObject>
#include <QString>

class NotesStore;
class QAction;
class QMenu;

// View ▸ Sort By: the list newest first (as it always was) or by title. The choice is the
// store's, and remembered for the next launch.
class SortByMenu : public QObject
{
    Q_OBJECT

public:
    static inline const QString settingsKey = QStringLiteral("NotesSortOrder");

    SortByMenu(QMenu& view, NotesStore& store, QObject* parent = nullptr);

    QAction* byDate() const { return m_byDate; }
    QAction* byTitle() const { return m_byTitle; }

private:
    QAction* m_byDate;
    QAction* m_byTitle;
};
