#pragma once

#include <QObject>
#include <QString>

class NoteEditor;
class NotesStore;

// While the notes search holds a text, the editor shows where the note holds it: a note
// opened from the list comes with its first match selected and in view, and every match in
// view is marked (not selected), until the search is cleared. Only the matches on screen are
// marked, so a long note's marks cost what a screen of them does.
class SearchHits : public QObject
{
    Q_OBJECT

public:
    static constexpr int mostMarked = 1000;

    SearchHits(NotesStore& store, NoteEditor& editor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void noteOpened();
    void mark();

    NotesStore& m_store;
    NoteEditor& m_editor;
};
