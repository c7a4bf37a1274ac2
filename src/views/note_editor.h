#pragma once

#include "store/note.h"

#include <QWidget>

class FindBar;
class MarkdownHighlighter;
class NotesStore;
class QLabel;
class QPlainTextEdit;
class UndoStacks;

// Edits the selected note: shows its draft or its saved text, hands every change to the
// store, and commits when it stops showing the note. A note that is not valid UTF-8 is shown
// read-only, so its file is never touched.
class NoteEditor : public QWidget
{
    Q_OBJECT

public:
    explicit NoteEditor(NotesStore& store, QWidget* parent = nullptr);
    ~NoteEditor() override;

    // The store's selection as it is now. A note under another file name is loaded; a newer
    // record of the same file keeps what is on screen.
    void setNote(const Note& note);
    // Stops showing the note and commits its text.
    void clear();
    const Note& note() const { return m_note; }
    QPlainTextEdit* textEdit() const { return m_edit; }
    FindBar* findBar() const { return m_findBar; }
    UndoStacks* undoStacks() const { return m_undo; }
    MarkdownHighlighter* highlighter() const { return m_highlighter; }
    // What the editor holds, as the note's file would hold it.
    QString text() const;
    void focusAtEnd();
    // Editor text size, in 1 pt steps from the desktop's: +1, -1, or 0 to go back. Remembered
    // across launches.
    void zoom(int step);
    static inline const QString zoomKey = QStringLiteral("EditorZoom");

signals:
    // Another note is shown, not the same one refreshed.
    void noteOpened();
    // The text edit holds another document: each note edited keeps its own, with its undo.
    void documentReplaced();

private:
    void load(bool sameNote);
    void textEdited();
    void applyFont();
    void showDocumentOf(const QString& leaving);

    NotesStore& m_store;
    QPlainTextEdit* m_edit;
    QLabel* m_notice;
    FindBar* m_findBar;
    MarkdownHighlighter* m_highlighter;
    UndoStacks* m_undo;
    Note m_note;
    bool m_hasNote = false;
    bool m_loading = false;
    int m_zoom = 0;
};
