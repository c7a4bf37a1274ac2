#pragma once

#include <QWidget>

struct FileError;

class NotesStore;
class QLabel;
class QListView;

// The notes list, under a line that says when the notes folder can no longer be found: the
// list still shows the notes as they were read, and nothing else would say why none of them
// changes or saves.
class NotesColumn : public QWidget
{
    Q_OBJECT

public:
    // Takes the list's place in its layout; the column is as wide as the list may be.
    NotesColumn(NotesStore& store, QListView* list, QWidget* parent = nullptr);

    QLabel* folderLine() const { return m_folderLine; }

private:
    void showProblem(const FileError& problem);
    void followFolder();

    NotesStore& m_store;
    QLabel* m_folderLine;
};
