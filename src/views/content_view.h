#pragma once

#include "store/history.h"

#include <QMainWindow>
#include <QPointer>

class EmptyDetailView;
class MessageBar;
class NoteEditor;
class NoteMessages;
class NotesListModel;
class NotesStore;
class PrintService;
class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QSplitter;
class QStackedWidget;
class QToolBar;

// The main window: the searchable notes list beside the editor of the selected note, with
// the toolbar. The list shows the store's selection and hands the user's choice to the store;
// the note being left is saved first, and so is every note when the application is left.
class ContentView : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int chooserDelayMs = 200;

    ContentView(NotesStore& store, PrintService& printer, QWidget* parent = nullptr);

    // The application's New Note command and Delete Note button, shown in the toolbar; the
    // Delete key in the list deletes too.
    void addNoteActions(QAction* newNote, QAction* deleteNote);
    // The application's Undo Delete: its shortcut works in the list, and the message that a
    // note went to the Trash offers it.
    void addUndoDelete(QAction* undoDelete);
    // The print dialog for the selected note, with the text the editor shows.
    void printSelectedNote();
    // On the next turn, not inside the menu's own event.
    void focusSearch();

    QListView* notesList() const { return m_list; }
    NotesListModel* notesModel() const { return m_model; }
    NoteEditor* editor() const { return m_editor; }
    QLineEdit* searchField() const { return m_search; }
    QSplitter* splitter() const { return m_splitter; }
    MessageBar* messageBar() const { return m_messageBar; }
    // The bar's messages about particular notes.
    NoteMessages* noteMessages() const { return m_noteMessages; }
    EmptyDetailView* emptyDetail() const { return m_empty; }
    QLabel* noMatchesLabel() const { return m_noMatches; }
    bool showsEditor() const;

    // The application became active, inactive or hidden.
    void applicationStateChanged(Qt::ApplicationState state);

signals:
    // There is no notes folder: shown for the first time, or the user asked to choose one.
    void folderNeeded();
    // From the conflict message: the note another program changed, beside the copy that
    // holds the user's text.
    void compareRequested(const QString& theirs, const QString& ours);
    // Enter in the search field found no note, or Ctrl+Enter: a note holding text.
    void noteFromSearchRequested(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildToolbar();
    void connectFirstRun();
    void connectKeyboard();
    void nameControls();
    void showNoMatches();
    void listSelectionChanged();
    void storeSelectionChanged();
    int selectedRow() const;
    void highlightSelection();
    void showConflict(const QString& theirs, const QString& ours);
    void showHistoryProblem(History::Problem problem, const QString& detail);
    void showTrashed();

    NotesStore& m_store;
    PrintService& m_printer;
    NotesListModel* m_model;
    QListView* m_list;
    QStackedWidget* m_detail;
    EmptyDetailView* m_empty;
    NoteEditor* m_editor;
    QSplitter* m_splitter;
    MessageBar* m_messageBar;
    NoteMessages* m_noteMessages;
    QToolBar* m_toolbar = nullptr;
    // Where the toolbar puts the actions it is given.
    QAction* m_newNoteSlot = nullptr;
    QAction* m_deleteNoteSlot = nullptr;
    QLineEdit* m_search = nullptr;
    QLabel* m_noMatches = nullptr;
    // The commands the toolbar shows; their menus may be destroyed before the window.
    QPointer<QAction> m_newNote;
    QPointer<QAction> m_deleteNote;
    QPointer<QAction> m_undoDelete;
    // What the message bar says of the note last moved to the Trash, while it says it.
    QString m_trashedMessage;
    bool m_shownOnce = false;
};
