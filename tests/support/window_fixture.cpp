#include "window_fixture.h"

#include "folder/folder_chooser.h"
#include "views/note_editor.h"
#include "views/notes_list_model.h"

#include <QApplication>
#include <QListView>
#include <QTest>

void WindowFixture::writeThreeNotes()
{
    f.write("Groceries.md", "Groceries\nmilk", Day::monday);
    f.write("Trip.md", "Trip\ntrain at 6", Day::tuesday);
    f.write("Ideas.md", "Ideas\nplain text", Day::wednesday);
}

ContentView& WindowFixture::open(bool withFolder)
{
    f.start();
    if (!withFolder) {
        f.store().setFolderURL(QString());
        settle();
    }
    window = std::make_unique<ContentView>(f.store(), f.printer);
    flows = std::make_unique<NoteFlows>(f.store(), f.alerts);
    commands = new NotesAppCommands(f.store(), *flows, *window);
    QObject::connect(window.get(), &ContentView::folderNeeded, &f.chooser(),
                     &FolderChooser::chooseFolderIfNeeded);
    window->show();
    QApplication::setActiveWindow(window.get());
    (void)QTest::qWaitForWindowActive(window.get());
    settle();
    return *window;
}

void WindowFixture::clickRow(const QString& title, Qt::KeyboardModifiers modifiers)
{
    const int row = f.titles().indexOf(title); // the list's rows, as notesList() shows
    QVERIFY(row >= 0);
    QListView* list = window->notesList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                      list->visualRect(window->notesModel()->index(row)).center());
    settle();
}

QString WindowFixture::highlighted() const
{
    const QModelIndexList selected = window->notesList()->selectionModel()->selectedRows();
    return selected.isEmpty() ? QString() : selected.first().data().toString();
}

QPlainTextEdit* WindowFixture::edit() const
{
    return window->editor()->textEdit();
}
