#pragma once

#include <QObject>

class ContentView;
class NoteFlows;
class NotesStore;
class QAction;
class QMenu;
class SpellingSettings;
class SortByMenu;
class TextEditCommands;

// Every command of the application, each one QAction: the menu bar ("File" with Preferences…
// and Quit, "Edit" with Undo Delete, "Notes", the editor's zoom in "View", "About Quillbox" in
// "Help") and the window's
// toolbar show the same actions, so a command has one shortcut and one handler wherever it is
// shown. Delete Note alone has a toolbar button of its own, which follows the selection while
// the command stays enabled.
class NotesAppCommands : public QObject
{
    Q_OBJECT

public:
    NotesAppCommands(NotesStore& store, NoteFlows& flows, ContentView& window);

    QAction* preferences() const { return m_preferences; }
    QAction* quit() const { return m_quit; }
    QAction* newNote() const { return m_newNote; }
    QAction* deleteNote() const { return m_deleteNote; }
    QAction* deleteButton() const { return m_deleteButton; }
    QAction* undoDelete() const { return m_undoDelete; }
    QAction* print() const { return m_print; }
    QAction* history() const { return m_history; }
    QAction* search() const { return m_search; }
    QAction* about() const { return m_about; }
    QAction* checkSpelling() const { return m_checkSpelling; }
    SpellingSettings* spelling() const { return m_spelling; }
    QAction* markdownHighlighting() const { return m_markdownHighlighting; }
    SortByMenu* sortBy() const { return m_sortBy; }
    TextEditCommands* textEditing() const { return m_textEditing; }
    QAction* keyboardShortcuts() const { return m_keyboardShortcuts; }
    QAction* nextPane() const { return m_nextPane; }
    QAction* previousPane() const { return m_previousPane; }

signals:
    void preferencesRequested();
    void quitRequested();
    // step: +1 larger, -1 smaller, 0 back to the desktop's size.
    void zoomRequested(int step);
    void aboutRequested();
    void historyRequested();

private:
    void addEditMenu(NotesStore& store, NoteFlows& flows, ContentView& window);
    void addNotesMenu(NotesStore& store, NoteFlows& flows, ContentView& window);
    void addViewAndHelp(ContentView& window);
    void addFindCommands(QMenu* edit, ContentView& window);
    void addSpelling(QMenu* edit, ContentView& window);
    void addHighlighting(ContentView& window, QMenu* view);
    void addSearchAndSort(NotesStore& store, NoteFlows& flows, ContentView& window);
    void addNewNote(NotesStore& store, NoteFlows& flows, ContentView& window);
    void addKeyboardShortcuts(QMenu* help, ContentView& window);
    void addPanesAndNotices(NoteFlows& flows, ContentView& window);

    QAction* m_preferences = nullptr;
    QAction* m_quit = nullptr;
    QAction* m_newNote = nullptr;
    QAction* m_deleteNote = nullptr;
    QAction* m_deleteButton = nullptr;
    QAction* m_undoDelete = nullptr;
    QAction* m_print = nullptr;
    QAction* m_history = nullptr;
    QAction* m_search = nullptr;
    QAction* m_zoomIn = nullptr;
    QAction* m_zoomOut = nullptr;
    QAction* m_zoomReset = nullptr;
    QAction* m_about = nullptr;
    QAction* m_checkSpelling = nullptr;
    SpellingSettings* m_spelling = nullptr;
    QAction* m_markdownHighlighting = nullptr;
    QMenu* m_view = nullptr;
    SortByMenu* m_sortBy = nullptr;
    TextEditCommands* m_textEditing = nullptr;
    QAction* m_keyboardShortcuts = nullptr;
    QAction* m_nextPane = nullptr;
    QAction* m_previousPane = nullptr;
};
