#pragma once

#include <QObject>

class AppNotifier;
class NotesStore;
class QAction;
class QMainWindow;
class QMenu;

// The menu bar: "File" with Preferences… and Quit, the "Notes" menu, the editor's zoom in
// "View" and "About Quillbox" in "Help".
class NotesAppCommands : public QObject
{
    Q_OBJECT

public:
    NotesAppCommands(NotesStore& store, AppNotifier& notifier, QMainWindow& window);

    QAction* preferences() const { return m_preferences; }
    QAction* quit() const { return m_quit; }
    QAction* newNote() const { return m_newNote; }
    QAction* deleteNote() const { return m_deleteNote; }
    QAction* print() const { return m_print; }
    QAction* search() const { return m_search; }
    QAction* zoomIn() const { return m_zoomIn; }
    QAction* zoomOut() const { return m_zoomOut; }
    QAction* zoomReset() const { return m_zoomReset; }
    QAction* about() const { return m_about; }

signals:
    void preferencesRequested();
    void quitRequested();
    // step: +1 larger, -1 smaller, 0 back to the desktop's size.
    void zoomRequested(int step);
    void aboutRequested();

private:
    void addViewAndHelp(QMainWindow& window);

    QAction* m_preferences;
    QAction* m_quit;
    QAction* m_newNote;
    QAction* m_deleteNote;
    QAction* m_print;
    QAction* m_search;
    QAction* m_zoomIn = nullptr;
    QAction* m_zoomOut = nullptr;
    QAction* m_zoomReset = nullptr;
    QAction* m_about = nullptr;
};
