#pragma once

#include "store/note.h"

#include <QObject>
#include <optional>

class NoteEditor;
class NotesStore;
class QPlainTextEdit;
class QWidget;
class QTextCursor;
class UrlService;
class WikiLinkCompleter;

// Links in the editor's text: Ctrl+click or Ctrl+Enter on an address opens it on the desktop;
// on "[[Title]]" it shows the note of that title, or says that there is none (to be offered
// for creation). While Ctrl is held the pointer shows what would be followed. Typing "[["
// offers the titles of the folder's notes.
class NoteLinks : public QObject
{
    Q_OBJECT

public:
    NoteLinks(NoteEditor& editor, NotesStore& store, UrlService& urls);

    // Follows the link at the cursor's position; false when there is none to follow.
    bool follow(const QTextCursor& cursor);
    WikiLinkCompleter* completer() const { return m_completer; }

    // The note "[[title]]" leads to: the title matched ignoring case, the newest of several.
    static std::optional<Note> noteTitled(const QList<Note>& notes, const QString& title);
    // Only addresses a browser, mail or file program shows: never one that runs something.
    static bool isOpenable(const QUrl& url);

signals:
    // A link names a note that does not exist.
    void missingNote(const QString& title);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool onLink(const QPoint& viewportPosition);
    void showPointer(bool ctrlHeld);

    NoteEditor& m_editor;
    // Kept apart: events still arrive while the editor is being destroyed, when asking it for
    // its parts is no longer safe.
    QPlainTextEdit* m_edit;
    QWidget* m_viewport;
    NotesStore& m_store;
    UrlService& m_urls;
    WikiLinkCompleter* m_completer;
};
