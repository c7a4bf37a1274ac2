#include "views/content_view.h"

#include "store/naming.h"
#include "store/notes_store.h"
#include "views/empty_detail_view.h"
#include "views/fallback_icons.h"
#include "views/message_bar.h"
#include "views/note_editor.h"
#include "views/note_messages.h"
#include "views/note_row_delegate.h"
#include "views/notes_column.h"
#include "views/notes_list_model.h"
#include "views/print_service.h"
#include "views/search_enter.h"
#include "views/search_hits.h"
#include "views/search_progress.h"
#include "views/text_key_guard.h"
#include "views/window_title.h"

#include <QAction>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace {

QWidget* flexibleSpace(QWidget* parent)
{
    auto* space = new QWidget(parent);
    space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return space;
}

} // namespace

ContentView::ContentView(NotesStore& store, PrintService& printer, QWidget* parent)
    : QMainWindow(parent), m_store(store), m_printer(printer),
      m_model(new NotesListModel(store, this)), m_list(new QListView(this)),
      m_detail(new QStackedWidget(this)), m_empty(new EmptyDetailView(m_detail)),
      m_editor(new NoteEditor(store, m_detail)), m_splitter(new QSplitter(Qt::Horizontal, this)),
      m_messageBar(new MessageBar(this)),
      m_noteMessages(new NoteMessages(store, *m_messageBar, this))
{
    setWindowTitle(tr("Quillbox"));
    setWindowIcon(FallbackIcons::application());
    setMinimumSize(500, 300);
    resize(600, 400);

    m_list->setModel(m_model);
    m_list->setItemDelegate(new NoteRowDelegate(m_list));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setUniformItemSizes(true);
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(200);
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setAccessibleName(tr("Notes"));
    m_list->setMinimumWidth(200);
    m_list->setMaximumWidth(400);

    m_detail->addWidget(m_empty);
    m_detail->addWidget(m_editor);
    m_splitter->addWidget(new NotesColumn(m_store, m_list, m_splitter));
    m_splitter->addWidget(m_detail);
    m_splitter->setCollapsible(0, false);
    m_splitter->setCollapsible(1, false);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({300, 300});
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_messageBar);
    column->addWidget(m_splitter, 1);
    setCentralWidget(central);
    buildToolbar();

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ContentView::listSelectionChanged);
    connect(m_model, &NotesListModel::refreshed, this, &ContentView::highlightSelection);
    connect(&m_store, &NotesStore::selectedNoteChanged, this, &ContentView::storeSelectionChanged);
    connect(&m_store, &NotesStore::searchTextChanged, this, [this] {
        if (m_search->text() != m_store.searchText())
            m_search->setText(m_store.searchText());
    });
    // However the note was made (toolbar or menu), typing goes into it at once.
    connect(&m_store, &NotesStore::noteCreated, m_editor, &NoteEditor::focusAtEnd);
    connect(&m_store, &NotesStore::conflictCopySaved, this, &ContentView::showConflict);
    connect(&m_store.history(), &History::problem, this, &ContentView::showHistoryProblem);
    if (const std::optional<History::Told>& told = m_store.history().problemNow())
        showHistoryProblem(told->problem, told->detail);
    connect(&m_store, &NotesStore::trashedNoteChanged, this, &ContentView::showTrashed);
    new SearchHits(m_store, *m_editor);
    new WindowTitle(*this, m_store);
    storeSelectionChanged();
    connectFirstRun();
    connectKeyboard();
    nameControls();
    showNoMatches();
    new SearchProgress(m_store, *m_search, *m_list);
}

void ContentView::showHistoryProblem(History::Problem problem, const QString& detail)
{
    m_messageBar->showMessage(
        problem == History::Problem::Damaged
            ? tr("The history of your notes could not be read. It was moved to “%1”, and a new "
                 "one was begun.")
                  .arg(detail)
            : tr("Earlier versions of your notes can’t be kept: %1. Your notes are saved as usual.")
                  .arg(detail));
}

// Its notes' history keeps both versions after the message has gone.
void ContentView::showConflict(const QString& theirs, const QString& ours)
{
    m_noteMessages->show(
        {theirs, ours},
        [](const QStringList& urls) {
            return tr("Another program changed “%1” while you were editing it. Your text was "
                      "saved as “%2”; the other version was kept as it is.")
                .arg(Naming::readableName(Naming::fileName(urls.at(0))),
                     Naming::readableName(Naming::fileName(urls.at(1))));
        },
        tr("Compare…"),
        [this](const QStringList& urls) { emit compareRequested(urls.at(0), urls.at(1)); });
}

void ContentView::showTrashed()
{
    const std::optional<Note> trashed = m_store.trashedNote();
    if (!trashed) {
        // Another message may have taken the bar since: only this one goes.
        if (!m_messageBar->isHidden() && m_messageBar->text() == m_trashedMessage)
            m_messageBar->hide();
        m_trashedMessage.clear();
        return;
    }
    m_trashedMessage = m_store.deletedNoteInTrash()
                           ? tr("“%1” was moved to the Trash").arg(trashed->title)
                           : tr("“%1” was deleted").arg(trashed->title);
    m_messageBar->showMessage(m_trashedMessage, m_undoDelete ? tr("Undo") : QString(), [this] {
        if (m_undoDelete)
            m_undoDelete->trigger();
    });
}

void ContentView::buildToolbar()
{
    m_toolbar = addToolBar(tr("Main"));
    m_toolbar->setObjectName(QStringLiteral("mainToolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->toggleViewAction()->setEnabled(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);

    m_search = new QLineEdit(m_toolbar);
    m_search->setPlaceholderText(tr("Search"));
    m_search->setClearButtonEnabled(true);
    m_search->setAccessibleName(tr("Search"));
    TextKeyGuard::install(m_search);
    m_search->setMaximumWidth(220);
    m_search->setMinimumWidth(120);
    connect(m_search, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_store.setSearchText(text); });

    m_toolbar->addWidget(flexibleSpace(m_toolbar));
    m_newNoteSlot = m_toolbar->addWidget(flexibleSpace(m_toolbar));
    m_deleteNoteSlot = m_toolbar->addWidget(m_search);
}

void ContentView::addNoteActions(QAction* newNote, QAction* deleteNote)
{
    m_newNote = newNote;
    m_deleteNote = deleteNote;
    // The menu keeps its plain look; the icons are the toolbar's.
    for (QAction* action : {newNote, deleteNote})
        action->setIconVisibleInMenu(false);
    m_newNote->setIcon(FallbackIcons::newNote(palette()));
    m_deleteNote->setIcon(FallbackIcons::deleteNote(palette()));
    m_toolbar->insertAction(m_newNoteSlot, m_newNote);
    m_toolbar->insertAction(m_deleteNoteSlot, m_deleteNote);
    // The Delete key deletes only from the list: in a text field it deletes a character.
    auto* deleteKey = new QAction(m_list);
    deleteKey->setShortcut(QKeySequence::Delete);
    deleteKey->setShortcutContext(Qt::WidgetShortcut);
    connect(deleteKey, &QAction::triggered, m_deleteNote, &QAction::trigger);
    m_list->addAction(deleteKey);
}

void ContentView::addUndoDelete(QAction* undoDelete)
{
    m_undoDelete = undoDelete;
    m_list->addAction(undoDelete);
}

// Cancelling the first chooser must not leave an empty window with no way on.
void ContentView::connectFirstRun()
{
    const auto followFolder = [this] { m_empty->setNeedsFolder(m_store.folderURL().isEmpty()); };
    connect(&m_store, &NotesStore::folderURLChanged, m_empty, followFolder);
    connect(m_empty, &EmptyDetailView::chooseFolderRequested, this, &ContentView::folderNeeded);
    followFolder();
}

void ContentView::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && m_newNote && m_deleteNote) {
        m_newNote->setIcon(FallbackIcons::newNote(palette()));
        m_deleteNote->setIcon(FallbackIcons::deleteNote(palette()));
    }
}

// Search, list and editor reached without the mouse.
void ContentView::connectKeyboard()
{
    const auto keys = [](QWidget* widget, const QList<QKeySequence>& sequences,
                         const std::function<void()>& act) {
        auto* action = new QAction(widget);
        action->setShortcuts(sequences);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, widget, act);
        widget->addAction(action);
    };
    keys(m_search, {QKeySequence(Qt::Key_Escape)}, [this] { m_search->clear(); });
    keys(m_search, {QKeySequence(Qt::Key_Down)}, [this] {
        m_list->setFocus(Qt::TabFocusReason);
        if (!m_list->selectionModel()->hasSelection() && m_model->rowCount() > 0)
            m_list->setCurrentIndex(m_model->index(0));
    });
    auto* enter = new SearchEnter(*m_search, m_store, [this] {
        if (showsEditor())
            m_editor->textEdit()->setFocus(Qt::OtherFocusReason);
    });
    connect(enter, &SearchEnter::noteRequested, this, &ContentView::noteFromSearchRequested);
    keys(m_list, {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, [this] {
        if (showsEditor())
            m_editor->textEdit()->setFocus(Qt::TabFocusReason);
    });
}

// Names for the controls a screen reader would otherwise announce as "button" or nothing.
void ContentView::nameControls()
{
    m_splitter->setAccessibleName(tr("Notes and editor"));
    m_splitter->handle(1)->setAccessibleName(tr("Notes list width"));
    if (auto* more = findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(tr("More Toolbar Items"));
    for (QAction* action : m_search->actions()) {
        if (action->objectName() == QLatin1String("_q_qlineeditclearaction"))
            action->setText(tr("Clear Search"));
    }
    for (QToolButton* button : m_search->findChildren<QToolButton*>())
        button->setAccessibleName(tr("Clear Search"));
}

// In the list's place when a search matches nothing: an empty list says nothing to a reader.
void ContentView::showNoMatches()
{
    m_noMatches = new QLabel(tr("No notes match"), m_list->viewport());
    m_noMatches->setObjectName(QStringLiteral("noMatches"));
    m_noMatches->setAlignment(Qt::AlignCenter);
    m_noMatches->setWordWrap(true);
    m_noMatches->setForegroundRole(QPalette::PlaceholderText);
    auto* overlay = new QVBoxLayout(m_list->viewport());
    overlay->addWidget(m_noMatches);
    const auto follow = [this] {
        // Until every text is read, the progress says the search is not done.
        m_noMatches->setVisible(m_model->rowCount() == 0 && !m_store.searchText().isEmpty() &&
                                !m_store.readingTexts());
    };
    connect(m_model, &QAbstractItemModel::modelReset, m_noMatches, follow);
    connect(m_model, &QAbstractItemModel::rowsInserted, m_noMatches, follow);
    connect(m_model, &QAbstractItemModel::rowsRemoved, m_noMatches, follow);
    connect(m_model, &QAbstractItemModel::layoutChanged, m_noMatches, follow);
    connect(m_model, &NotesListModel::refreshed, m_noMatches, follow);
    connect(&m_store, &NotesStore::searchTextChanged, m_noMatches, follow);
    connect(&m_store, &NotesStore::textsRead, m_noMatches, follow);
    follow();
}

bool ContentView::showsEditor() const
{
    return m_detail->currentWidget() == m_editor;
}

void ContentView::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    if (m_store.folderURL().isEmpty())
        QTimer::singleShot(chooserDelayMs, this, &ContentView::folderNeeded);
    else
        m_store.loadNotes();
}

// A change of the list's selection that differs from what it shows of the store's is the
// user's: the note being left is committed before the store selects the next one. Rows that
// move while the model refreshes are not a choice.
void ContentView::listSelectionChanged()
{
    if (m_model->isRefreshing())
        return;
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    const int row = rows.isEmpty() ? -1 : rows.first().row();
    if (row == selectedRow())
        return;
    // Taken first: committing can rename the note being left, and its row moves.
    const QUuid id = row < 0 ? QUuid() : m_model->idAt(row);
    const std::optional<Note>& leaving = m_store.selectedNote();
    m_store.saveDraftNow(leaving ? leaving->url : QString());
    for (const Note& note : m_store.notes()) {
        if (!id.isNull() && note.id == id) {
            m_store.setSelectedNote(note);
            return;
        }
    }
    m_store.setSelectedNote(std::nullopt);
}

void ContentView::storeSelectionChanged()
{
    const std::optional<Note>& selected = m_store.selectedNote();
    if (selected) {
        m_editor->setNote(*selected);
        m_detail->setCurrentWidget(m_editor);
    } else {
        m_editor->clear();
        m_detail->setCurrentWidget(m_empty);
    }
    highlightSelection();
}

// The store's selected note's row, or -1 when nothing is selected or the search hides it.
int ContentView::selectedRow() const
{
    const std::optional<Note>& selected = m_store.selectedNote();
    return selected ? m_model->rowOf(selected->url) : -1;
}

void ContentView::highlightSelection()
{
    const int row = selectedRow();
    if (row < 0) {
        m_list->selectionModel()->clear();
    } else {
        const QModelIndex index = m_model->index(row);
        m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    }
}

void ContentView::applicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive) {
        m_store.refreshOnActivation();
        return;
    }
    m_store.saveTyping();
}

void ContentView::printSelectedNote()
{
    if (const std::optional<Note>& note = m_store.selectedNote())
        m_printer.printNote(note->title, m_store.textFor(*note));
}

void ContentView::focusSearch()
{
    QTimer::singleShot(0, m_search, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
}
