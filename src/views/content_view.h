#pragma once

#include <QMainWindow>
#include <QUuid>

class AppNotifier;
class EmptyDetailView;
class MessageBar;
class NoteEditor;
class NotesListModel;
class NotesStore;
class QAction;
class QLabel;
class QLineEdit;
class QListView;
class QSplitter;
class QStackedWidget;

// The main window: the searchable notes list beside the editor of the selected note, with
// the toolbar, and the glue that keeps the list's selection and the store's in step and
// saves when the user leaves a note or the application.
class ContentView : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int chooserDelayMs = 200;

    ContentView(NotesStore& store, AppNotifier& notifier, QWidget* parent = nullptr);

    QListView* notesList() const { return m_list; }
    NotesListModel* notesModel() const { return m_model; }
    NoteEditor* editor() const { return m_editor; }
    QLineEdit* searchField() const { return m_search; }
    QAction* newNoteAction() const { return m_newNote; }
    QAction* deleteNoteAction() const { return m_deleteNote; }
    QSplitter* splitter() const { return m_splitter; }
    MessageBar* messageBar() const { return m_messageBar; }
    EmptyDetailView* emptyDetail() const { return m_empty; }
    QLabel* noMatchesLabel() const { return m_noMatches; }
    bool showsEditor() const;
    QUuid selectionID() const { return m_selectionID; }

    // The application became active, inactive or hidden.
    void applicationStateChanged(Qt::ApplicationState state);

signals:
    // There is no notes folder: shown for the first time, or the user asked to choose one.
    void folderNeeded();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildToolbar();
    void connectFirstRun();
    void connectKeyboard();
    void nameControls();
    void showNoMatches();
    void newNote();
    void deleteNote();
    void listSelectionChanged();
    void storeSelectionChanged();
    void setSelectionID(const QUuid& id);
    void highlightSelection();
    void commitLeavingNote();
    void answer(const QString& message);

    NotesStore& m_store;
    NotesListModel* m_model;
    QListView* m_list;
    QStackedWidget* m_detail;
    EmptyDetailView* m_empty;
    NoteEditor* m_editor;
    QSplitter* m_splitter;
    MessageBar* m_messageBar;
    QLineEdit* m_search = nullptr;
    QLabel* m_noMatches = nullptr;
    QAction* m_newNote = nullptr;
    QAction* m_deleteNote = nullptr;
    QUuid m_selectionID;
    bool m_highlighting = false;
    bool m_shownOnce = false;
};
