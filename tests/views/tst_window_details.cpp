#include "app/shortcuts_dialog.h"
#include "app/text_edit_commands.h"
#include "folder/clipboard_service.h"
#include "folder/file_manager_service.h"
#include "views/content_view.h"
#include "views/note_editor.h"
#include "views/note_row_menu.h"
#include "views/notes_list_model.h"
#include "views/palette_colors.h"
#include "views/undo_stacks.h"
#include "window_fixture.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleFactory>

#include <QTableWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <memory>

namespace {

class ThreeNotes : public WindowFixture
{
public:
    ThreeNotes() { writeThreeNotes(); }
    void typeAtEnd(const QString& text)
    {
        edit()->setFocus();
        edit()->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit(), text);
    }
    // Ctrl+Z as the user presses it, until the note holds text again; false when it never does.
    bool undoTo(const QString& text)
    {
        edit()->setFocus();
        for (int i = 0; i < 30 && editorText() != text; ++i)
            QTest::keyClick(edit(), Qt::Key_Z, Qt::ControlModifier);
        return editorText() == text;
    }
};

struct Desktop final : FileManagerService, ClipboardService
{
    void reveal(const QString& path) override { revealed.append(path); }
    void setText(const QString& text) override { copied.append(text); }
    QStringList revealed, copied;
};

QPalette darkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, Qt::white);
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    return dark;
}

} // namespace

class WindowDetailsTest : public QObject
{
    Q_OBJECT

private slots:
    void windowTitleNamesTheNote();
    void eachNoteKeepsItsUndo();
    void staleUndoIsDropped();
    void editCommandsFollowTheFocusedField();
    void rowMenu();
    void shortcutsListEveryCommand();
    void rowDatesRead_data();
    void rowDatesRead();
};

void WindowDetailsTest::windowTitleNamesTheNote()
{
    ThreeNotes w;
    ContentView& window = w.open();
    w.clickRow("Trip");
    QCOMPARE(window.windowTitle(), QStringLiteral("Trip — Quillbox"));
    // Renamed by its new first line.
    w.edit()->selectAll();
    w.edit()->insertPlainText("Journey\nby train");
    w.f.commit("Trip.md");
    QTRY_COMPARE(window.windowTitle(), QStringLiteral("Journey — Quillbox"));
    w.clickRow("Journey", Qt::ControlModifier);
    QCOMPARE(window.windowTitle(), QStringLiteral("Quillbox"));
}

// Switching notes keeps each one's undo; undoing after the switch is an edit that is saved.
void WindowDetailsTest::eachNoteKeepsItsUndo()
{
    ThreeNotes w;
    w.open();
    w.clickRow("Groceries");
    w.typeAtEnd(" and eggs");
    w.clickRow("Trip");
    w.typeAtEnd(" sharp");
    w.clickRow("Groceries");
    QCOMPARE(w.f.read("Groceries.md"), QByteArray("Groceries\nmilk and eggs"));
    QVERIFY(w.undoTo("Groceries\nmilk"));
    w.clickRow("Trip");
    QCOMPARE(w.f.read("Groceries.md"), QByteArray("Groceries\nmilk"));
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 6 sharp"));
    QVERIFY(w.undoTo("Trip\ntrain at 6"));
    // Redo is kept as well.
    w.clickRow("Groceries");
    QVERIFY(w.edit()->document()->isRedoAvailable());
    // Only notes with a history keep a document, which follows another program's rename.
    QCOMPARE(w.window->editor()->undoStacks()->size(), 1);
    QVERIFY(QFile::rename(w.f.path("Trip.md"), w.f.path("Voyage.md")));
    w.f.reload();
    w.clickRow(w.f.note("Voyage.md").title);
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 6"));
    QVERIFY(w.edit()->document()->isRedoAvailable());
    // The Markdown of a document brought back is shown as it is typed.
    w.typeAtEnd(" *soon*");
    QTRY_VERIFY(!w.edit()->document()->lastBlock().layout()->formats().isEmpty());
}

// Text another program wrote while the note was not shown ends its undo: undoing would
// silently bring back what that program replaced. A note gone takes its history with it.
void WindowDetailsTest::staleUndoIsDropped()
{
    ThreeNotes w;
    w.open();
    w.clickRow("Groceries");
    w.typeAtEnd(" and eggs");
    w.clickRow("Trip");
    w.typeAtEnd(" sharp");
    w.clickRow("Ideas");
    QCOMPARE(w.window->editor()->undoStacks()->size(), 2);
    w.f.write("Groceries.md", "Groceries\nbread", Day::wednesday.addDays(1));
    w.f.reload();
    w.clickRow("Groceries");
    QCOMPARE(w.editorText(), QStringLiteral("Groceries\nbread"));
    QVERIFY(!w.edit()->document()->isUndoAvailable());
    QFile::remove(w.f.path("Trip.md"));
    w.f.reload();
    QCOMPARE(w.window->editor()->undoStacks()->size(), 0);
}

// Undo and the clipboard's commands act on the text field with the keyboard; in the list
// they are off, and Ctrl+Z there stays Undo Delete.
void WindowDetailsTest::editCommandsFollowTheFocusedField()
{
    ThreeNotes w;
    ContentView& window = w.open();
    TextEditCommands* edit = w.commands->textEditing();
    w.clickRow("Trip");
    w.typeAtEnd("!");
    QVERIFY(edit->undo()->isEnabled() && edit->selectAll()->isEnabled());
    QVERIFY(!edit->copy()->isEnabled());
    edit->selectAll()->trigger();
    QVERIFY(edit->copy()->isEnabled() && edit->cut()->isEnabled());
    edit->undo()->trigger();
    QCOMPARE(w.editorText(), QStringLiteral("Trip\ntrain at 6"));
    QVERIFY(edit->redo()->isEnabled());

    window.notesList()->setFocus();
    for (QAction* action :
         {edit->undo(), edit->redo(), edit->cut(), edit->copy(), edit->paste(), edit->selectAll()})
        QVERIFY2(!action->isEnabled(), qPrintable(action->text()));
    window.searchField()->setFocus();
    QTest::keyClicks(window.searchField(), "tr");
    QVERIFY(edit->undo()->isEnabled());
    edit->undo()->trigger();
    QCOMPARE(window.searchField()->text(), QString());
}

// Each command takes the note of the row clicked; Open, History… and Delete select it first.
void WindowDetailsTest::rowMenu()
{
    ThreeNotes w;
    ContentView& window = w.open();
    Desktop desktop;
    QAction history, deleteNote;
    QStringList triggered;
    connect(&history, &QAction::triggered, this,
            [&] { triggered.append("history " + w.f.store().selectedNote()->title); });
    connect(&deleteNote, &QAction::triggered, this,
            [&] { triggered.append("delete " + w.f.store().selectedNote()->title); });
    NoteRowMenu rows(window, w.f.store(), {desktop, desktop}, &history, &deleteNote);
    w.clickRow("Ideas");
    w.typeAtEnd(" kept");
    const auto menuOf = [&](const QString& title) {
        QListView* list = window.notesList();
        const QModelIndex row = window.notesModel()->index(w.f.titles().indexOf(title));
        return std::unique_ptr<QMenu>(rows.menuAt(list->visualRect(row).center()));
    };
    const auto choose = [&](const QString& title, int item) {
        const std::unique_ptr<QMenu> menu = menuOf(title);
        QList<QAction*> commands;
        for (QAction* action : menu->actions()) {
            if (!action->isSeparator())
                commands.append(action);
        }
        commands.at(item)->trigger();
        settle();
    };
    QStringList labels;
    const std::unique_ptr<QMenu> trip = menuOf("Trip");
    for (const QAction* action : trip->actions())
        labels.append(action->text());
    QCOMPARE(labels, QStringList({"&Open", "", "&Reveal in File Manager", "&Copy Path", "",
                                  "&History…", "&Delete…"}));
    QVERIFY(!rows.menuAt(QPoint(5, window.notesList()->viewport()->height() - 2)));

    choose("Trip", 1);
    choose("Trip", 2);
    QCOMPARE(desktop.revealed, QStringList({w.f.path("Trip.md")}));
    QCOMPARE(desktop.copied, QStringList({w.f.path("Trip.md")}));
    QCOMPARE(w.f.store().selectedNote()->title, QStringLiteral("Ideas"));
    choose("Trip", 0);
    QCOMPARE(w.highlighted(), QStringLiteral("Trip"));
    QVERIFY(w.edit()->hasFocus());
    // Leaving a note by the menu saves it, as leaving it by the list does.
    QCOMPARE(w.f.read("Ideas.md"), QByteArray("Ideas\nplain text kept"));
    choose("Groceries", 3);
    choose("Ideas", 4);
    QCOMPARE(triggered, QStringList({"history Groceries", "delete Ideas"}));
}

// Read from the commands themselves: what has keys is listed with them.
void WindowDetailsTest::shortcutsListEveryCommand()
{
    ThreeNotes w;
    ContentView& window = w.open();
    const QList<QPair<QString, QString>> rows = ShortcutsDialog::shortcutsOf(window);
    for (const QPair<QString, QString>& known :
         QList<QPair<QString, QString>>{{"New Note", "Ctrl+N"},
                                        {"Undo", "Ctrl+Z"},
                                        {"Select All", "Ctrl+A"},
                                        {"Find…", "Ctrl+F"},
                                        {"Zoom In", "Ctrl+=, Ctrl++"},
                                        {"Keyboard Shortcuts", "Ctrl+?"}}) {
        bool listed = false;
        for (const QPair<QString, QString>& row : rows)
            listed = listed || (row.first == known.first && row.second.startsWith(known.second));
        QVERIFY2(listed, qPrintable(known.first));
    }
    int withKeys = 0;
    for (const QAction* action : window.findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty() && !action->text().isEmpty())
            ++withKeys;
    }
    QCOMPARE(rows.size(), withKeys);
    ShortcutsDialog dialog(window);
    dialog.filter()->setText("ctrl+f");
    int shown = 0;
    for (int row = 0; row < dialog.table()->rowCount(); ++row)
        shown += dialog.table()->isRowHidden(row) ? 0 : 1;
    QCOMPARE(shown, 1);
}

void WindowDetailsTest::rowDatesRead_data()
{
    QTest::addColumn<QPalette>("palette");
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    QTest::newRow("light") << fusion->standardPalette();
    QTest::newRow("dark") << darkPalette();
}

// The date of a row, quieter than its title, reads at 4.5:1, selected or not.
void WindowDetailsTest::rowDatesRead()
{
    QFETCH(QPalette, palette);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        const QColor fill = PaletteColors::selection(palette, group);
        const QColor text = palette.color(group, QPalette::HighlightedText);
        QVERIFY(PaletteColors::contrast(text, fill) >= 4.5);
        QVERIFY(PaletteColors::contrast(PaletteColors::secondary(text, fill, 0.8), fill) >= 4.5);
        const QColor base = palette.color(group, QPalette::Base);
        const QColor date =
            PaletteColors::secondary(palette.color(group, QPalette::Text), base, 0.6);
        QVERIFY(PaletteColors::contrast(date, base) >= 4.5);
    }
}

QUILLBOX_GUI_TEST_MAIN(WindowDetailsTest)
#include "tst_window_details.moc"
