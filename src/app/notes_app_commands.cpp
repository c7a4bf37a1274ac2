#include "app/notes_app_commands.h"

#include "app/note_flows.h"
#include "app/shortcuts_dialog.h"
#include "app/sort_by_menu.h"
#include "app/text_edit_commands.h"
#include "folder/app_settings.h"
#include "store/notes_store.h"
#include "views/content_view.h"
#include "views/find_bar.h"
#include "views/markdown_highlighter.h"
#include "views/message_bar.h"
#include "views/note_editor.h"
#include "views/note_messages.h"
#include "views/pane_cycle.h"
#include "views/spelling_menu.h"
#include "views/spelling_settings.h"

#include <QAction>
#include <QActionGroup>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>

namespace {

QAction* addCommand(QMenu* menu, const QString& label, const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(label);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::ApplicationShortcut);
    return action;
}

QString shortcutText(const QAction* action)
{
    return action->shortcut().toString(QKeySequence::NativeText);
}

// "English (United States)" for "en_US"; a tag QLocale does not know is shown as it is.
QString languageName(const QString& tag)
{
    const QLocale locale(tag);
    if (locale.language() == QLocale::C)
        return tag;
    const QString language = QLocale::languageToString(locale.language());
    if (!tag.contains(u'_'))
        return language;
    return QStringLiteral("%1 (%2)").arg(language, QLocale::territoryToString(locale.territory()));
}

} // namespace

NotesAppCommands::NotesAppCommands(NotesStore& store, NoteFlows& flows, ContentView& window)
    : QObject(&window)
{
    QMenu* file = window.menuBar()->addMenu(tr("&File"));
    m_preferences = addCommand(file, tr("&Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_preferences->setMenuRole(QAction::PreferencesRole);
    file->addSeparator();
    m_quit = addCommand(file, tr("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quit->setMenuRole(QAction::QuitRole);
    connect(m_preferences, &QAction::triggered, this, &NotesAppCommands::preferencesRequested);
    connect(m_quit, &QAction::triggered, this, &NotesAppCommands::quitRequested);

    addEditMenu(store, flows, window);
    addNotesMenu(store, flows, window);
    addViewAndHelp(window);
    addSearchAndSort(store, flows, window);
    addPanesAndNotices(flows, window);
}

void NotesAppCommands::addEditMenu(NotesStore& store, NoteFlows& flows, ContentView& window)
{
    QMenu* edit = window.menuBar()->addMenu(tr("&Edit"));
    m_textEditing = new TextEditCommands(*edit);
    // Ctrl+Z undoes a delete only where the notes are chosen, as in a file manager: in the
    // editor and the search field it stays the text's own undo.
    m_undoDelete = addCommand(edit, tr("&Undo Delete"), QKeySequence::Undo);
    m_undoDelete->setShortcutContext(Qt::WidgetShortcut);
    connect(m_undoDelete, &QAction::triggered, &flows, &NoteFlows::undoDelete);
    const auto followTrash = [this, &store] {
        m_undoDelete->setEnabled(store.trashedNote().has_value());
    };
    connect(&store, &NotesStore::trashedNoteChanged, this, followTrash);
    followTrash();
    window.addUndoDelete(m_undoDelete);
    m_textEditing->addClipboard(*edit);
    addFindCommands(edit, window);
    addSpelling(edit, window);
}

void NotesAppCommands::addSpelling(QMenu* edit, ContentView& window)
{
    m_spelling = new SpellingSettings(this);
    new SpellingMenu(*window.editor()->textEdit(), *m_spelling);
    edit->addSeparator();
    m_checkSpelling = edit->addAction(tr("Check &Spelling"));
    m_checkSpelling->setCheckable(true);
    m_checkSpelling->setChecked(m_spelling->isEnabled());
    connect(m_checkSpelling, &QAction::toggled, m_spelling, &SpellingSettings::setEnabled);
    QMenu* languages = edit->addMenu(tr("Spelling &Language"));
    // The dictionaries are known once they have been read, after the window opened.
    connect(languages, &QMenu::aboutToShow, this, [this, languages] {
        qDeleteAll(languages->findChildren<QActionGroup*>());
        languages->clear();
        auto* group = new QActionGroup(languages);
        for (const QString& tag : m_spelling->languages()) {
            QAction* language = group->addAction(languageName(tag));
            language->setCheckable(true);
            language->setChecked(tag == m_spelling->language());
            language->setToolTip(tag);
            connect(language, &QAction::triggered, m_spelling,
                    [this, tag] { m_spelling->setLanguage(tag); });
        }
        languages->addActions(group->actions());
        // Nothing to check with: said where the user looks for it, and nowhere else.
        if (group->actions().isEmpty())
            languages->addAction(tr("No Dictionaries Installed"))->setEnabled(false);
    });
    connect(m_spelling, &SpellingSettings::changed, m_checkSpelling,
            [this] { m_checkSpelling->setEnabled(!m_spelling->language().isEmpty()); });
    MarkdownHighlighter* highlighter = window.editor()->highlighter();
    connect(m_spelling, &SpellingSettings::changed, highlighter,
            &MarkdownHighlighter::setSpellChecker);
    highlighter->setSpellChecker(m_spelling->checker());
}

void NotesAppCommands::addNotesMenu(NotesStore& store, NoteFlows& flows, ContentView& window)
{
    QMenu* notes = window.menuBar()->addMenu(tr("&Notes"));
    m_newNote = addCommand(notes, tr("&New Note"), QKeySequence(Qt::CTRL | Qt::Key_N));
    m_newNote->setToolTip(tr("New Note (%1)").arg(shortcutText(m_newNote)));
    // Window-wide, so that inside a text field Ctrl+Backspace still deletes the previous word.
    m_deleteNote =
        addCommand(notes, tr("&Delete Note"), QKeySequence(Qt::CTRL | Qt::Key_Backspace));
    m_deleteNote->setShortcutContext(Qt::WindowShortcut);
    m_deleteNote->setToolTip(tr("Delete Selected Note (%1)").arg(shortcutText(m_deleteNote)));
    // The menu's command is always there (without a selection it does nothing); the toolbar's
    // button shows whether there is a note to delete.
    m_deleteButton = new QAction(m_deleteNote->text(), this);
    m_deleteButton->setToolTip(m_deleteNote->toolTip());
    m_print = addCommand(notes, tr("&Print…"), QKeySequence(Qt::CTRL | Qt::Key_P));
    m_history = addCommand(notes, tr("&History…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    notes->addSeparator();
    m_search = addCommand(notes, tr("&Search"), QKeySequence(Qt::CTRL | Qt::Key_L));

    // The note being left is saved before another is created or this one deleted.
    addNewNote(store, flows, window);
    connect(m_deleteNote, &QAction::triggered, &flows, &NoteFlows::deleteSelectedNote);
    connect(m_deleteButton, &QAction::triggered, m_deleteNote, &QAction::trigger);
    connect(m_print, &QAction::triggered, &window, &ContentView::printSelectedNote);
    connect(m_history, &QAction::triggered, this, &NotesAppCommands::historyRequested);
    connect(m_search, &QAction::triggered, &window, &ContentView::focusSearch);
    const auto followSelection = [this, &store] {
        m_deleteButton->setEnabled(store.selectedNote().has_value());
        m_print->setEnabled(store.selectedNote().has_value());
    };
    connect(&store, &NotesStore::selectedNoteChanged, this, followSelection);
    followSelection();
    window.addNoteActions(m_newNote, m_deleteButton);
}

// In the note shown; without one there is nothing to find in.
void NotesAppCommands::addFindCommands(QMenu* edit, ContentView& window)
{
    edit->addSeparator();
    const auto command = [&](const QString& label, const QKeySequence& keys,
                             void (FindBar::*act)()) {
        QAction* action = addCommand(edit, label, keys);
        connect(action, &QAction::triggered, this, [&window, act] {
            if (window.showsEditor())
                (window.editor()->findBar()->*act)();
        });
    };
    command(tr("&Find…"), QKeySequence(Qt::CTRL | Qt::Key_F), &FindBar::openFind);
    command(tr("Find &Next"), QKeySequence(Qt::Key_F3), &FindBar::findNext);
    command(tr("Find Pre&vious"), QKeySequence(Qt::SHIFT | Qt::Key_F3), &FindBar::findPrevious);
    command(tr("&Replace…"), QKeySequence(Qt::CTRL | Qt::Key_H), &FindBar::openReplace);
}

void NotesAppCommands::addViewAndHelp(ContentView& window)
{
    QMenu* view = m_view = window.menuBar()->addMenu(tr("&View"));
    m_zoomIn = addCommand(view, tr("Zoom &In"), QKeySequence(Qt::CTRL | Qt::Key_Equal));
    // Ctrl++ as well: on most layouts "+" is Shift+=, and the menu shows the one a user reads.
    m_zoomIn->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)});
    m_zoomOut = addCommand(view, tr("Zoom &Out"), QKeySequence(Qt::CTRL | Qt::Key_Minus));
    m_zoomReset = addCommand(view, tr("&Actual Size"), QKeySequence(Qt::CTRL | Qt::Key_0));
    connect(m_zoomIn, &QAction::triggered, this, [this] { emit zoomRequested(1); });
    connect(m_zoomOut, &QAction::triggered, this, [this] { emit zoomRequested(-1); });
    connect(m_zoomReset, &QAction::triggered, this, [this] { emit zoomRequested(0); });
    addHighlighting(window, view);

    QMenu* help = window.menuBar()->addMenu(tr("&Help"));
    m_about = help->addAction(tr("&About Quillbox"));
    m_about->setMenuRole(QAction::AboutRole);
    connect(m_about, &QAction::triggered, this, &NotesAppCommands::aboutRequested);
    addKeyboardShortcuts(help, window);
}

void NotesAppCommands::addHighlighting(ContentView& window, QMenu* view)
{
    view->addSeparator();
    m_markdownHighlighting = view->addAction(tr("&Markdown Highlighting"));
    m_markdownHighlighting->setCheckable(true);
    MarkdownHighlighter* highlighter = window.editor()->highlighter();
    m_markdownHighlighting->setChecked(highlighter->isEnabled());
    connect(m_markdownHighlighting, &QAction::toggled, highlighter, [highlighter](bool on) {
        highlighter->setEnabled(on);
        AppSettings::setValue(MarkdownHighlighter::enabledKey, on);
    });
}

void NotesAppCommands::addSearchAndSort(NotesStore& store, NoteFlows& flows, ContentView& window)
{
    connect(&window, &ContentView::noteFromSearchRequested, &flows, &NoteFlows::createNoteFromText);
    m_view->addSeparator();
    m_sortBy = new SortByMenu(*m_view, store, this);
}

// A dated note's title line is selected, so that typing names the note; the file keeps the
// dated name until the first save.
void NotesAppCommands::addNewNote(NotesStore& store, NoteFlows& flows, ContentView& window)
{
    connect(m_newNote, &QAction::triggered, &flows, [&store, &flows, &window] {
        bool created = false;
        const QMetaObject::Connection watch =
            connect(&store, &NotesStore::noteCreated, &flows, [&created] { created = true; });
        flows.createNote();
        disconnect(watch);
        if (!created)
            return;
        QPlainTextEdit* edit = window.editor()->textEdit();
        QTextCursor title(edit->document());
        title.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        edit->setTextCursor(title);
    });
}

void NotesAppCommands::addKeyboardShortcuts(QMenu* help, ContentView& window)
{
    m_keyboardShortcuts = new QAction(tr("&Keyboard Shortcuts"), help);
    help->insertAction(m_about, m_keyboardShortcuts);
    help->insertSeparator(m_about);
    m_keyboardShortcuts->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Question));
    m_keyboardShortcuts->setShortcutContext(Qt::ApplicationShortcut);
    connect(m_keyboardShortcuts, &QAction::triggered, &window, [&window] {
        auto* dialog = new ShortcutsDialog(window);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
}

// F6 reaches the message bar too, which has no other way in without the mouse.
void NotesAppCommands::addPanesAndNotices(NoteFlows& flows, ContentView& window)
{
    auto* panes = new PaneCycle(
        {window.searchField(), window.notesList(), window.editor(), window.messageBar()}, this);
    m_nextPane = new QAction(tr("Next Pane"), &window);
    m_nextPane->setShortcut(QKeySequence(Qt::Key_F6));
    m_previousPane = new QAction(tr("Previous Pane"), &window);
    m_previousPane->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    for (QAction* action : {m_nextPane, m_previousPane}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
    }
    connect(m_nextPane, &QAction::triggered, panes, &PaneCycle::next);
    connect(m_previousPane, &QAction::triggered, panes, &PaneCycle::previous);
    connect(&flows, &NoteFlows::saveStillFailing, &window,
            [this, &window](const QString& url, const QString& message) {
                window.noteMessages()->show(
                    {url}, [message](const QStringList&) { return message; },
                    tr("Open Preferences…"),
                    [this](const QStringList&) { emit preferencesRequested(); });
            });
}
