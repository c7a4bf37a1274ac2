#pragma once

#include <QLabel>
#include <QPointer>

class NotesStore;
class QLineEdit;
class QListView;

// While the folder's texts are still being read, a search has looked at part of them: the
// list says how much ("Searching… 45 %"), and so does the search field to a screen reader.
// As more matches arrive, the row the user is on stays where it is on screen.
class SearchProgress : public QLabel
{
    Q_OBJECT

public:
    SearchProgress(NotesStore& store, QLineEdit& field, QListView& list);

private:
    void follow();

    NotesStore& m_store;
    QLineEdit& m_field;
    QListView& m_list;
    // Where the current row was on screen before rows came in above it.
    int m_currentTop = -1;
};
