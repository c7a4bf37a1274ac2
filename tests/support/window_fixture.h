#pragma once

#include "app/note_flows.h"
#include "app/notes_app_commands.h"
#include "store_fixture.h"
#include "views/content_view.h"

#include <QPlainTextEdit>
#include <memory>

// The window and its commands as the application builds them, on a store of notes the test
// writes before open().
class WindowFixture
{
public:
    // Groceries (Monday), Trip (Tuesday) and Ideas (Wednesday), each a line of text.
    void writeThreeNotes();
    // Starts the store (and then forgets its folder when withFolder is false) and shows the
    // window, active: keys typed into an inactive window go nowhere.
    ContentView& open(bool withFolder = true);
    // Clicks the row of the note with that title, as the list shows it.
    void clickRow(const QString& title, Qt::KeyboardModifiers modifiers = {});
    // The title on the selected row.
    QString highlighted() const;
    QPlainTextEdit* edit() const;
    QString editorText() const { return edit()->toPlainText(); }

    StoreFixture f;
    std::unique_ptr<ContentView> window;
    std::unique_ptr<NoteFlows> flows;
    NotesAppCommands* commands = nullptr; // owned by the window
};
