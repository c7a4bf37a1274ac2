#include "views/note_editor.h"

#include "folder/app_settings.h"
#include "store/notes_store.h"
#include "views/editor_font.h"
#include "views/find_bar.h"
#include "views/markdown_highlighter.h"
#include "views/text_key_guard.h"
#include "views/undo_stacks.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

NoteEditor::NoteEditor(NotesStore& store, QWidget* parent)
    : QWidget(parent), m_store(store), m_edit(new QPlainTextEdit(this)), m_notice(new QLabel(this)),
      m_findBar(new FindBar(m_edit, this)), m_undo(new UndoStacks(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_notice->setWordWrap(true);
    m_notice->setContentsMargins(8, 6, 8, 6);
    m_notice->setAutoFillBackground(true);
    m_notice->setBackgroundRole(QPalette::ToolTipBase);
    m_notice->setForegroundRole(QPalette::ToolTipText);
    m_notice->hide();
    layout->addWidget(m_notice);
    layout->addWidget(m_edit);
    layout->addWidget(m_findBar);

    m_zoom = AppSettings::value(zoomKey, 0).toInt();
    applyFont();
    m_edit->setFrameShape(QFrame::NoFrame);
    m_edit->document()->setDocumentMargin(8);
    m_edit->setBackgroundRole(QPalette::Base);
    m_edit->setAccessibleName(tr("Note"));
    m_edit->setTabChangesFocus(false);
    TextKeyGuard::install(m_edit);
    m_highlighter = new MarkdownHighlighter(m_edit);
    m_highlighter->setEnabled(AppSettings::value(MarkdownHighlighter::enabledKey, true).toBool());
    connect(m_edit, &QPlainTextEdit::textChanged, this, &NoteEditor::textEdited);
    connect(m_undo, &UndoStacks::documentReplaced, m_highlighter,
            &MarkdownHighlighter::followDocument);
    connect(m_undo, &UndoStacks::documentReplaced, this, &NoteEditor::documentReplaced);
    connect(&m_store, &NotesStore::noteRenamed, m_undo, &UndoStacks::rename);
    connect(&m_store, &NotesStore::notesChanged, m_undo, [this] {
        m_undo->retain([this](const QString& url) { return m_store.contains(url); });
    });
    connect(&m_store, &NotesStore::draftMerged, this, [this](const QString& url) {
        if (m_hasNote && url == m_note.url)
            load(true);
    });
}

NoteEditor::~NoteEditor()
{
    m_store.takeLiveText();
}

void NoteEditor::setNote(const Note& note)
{
    // A save that renames keeps the record's id; a reload keeps its file. Only a note that
    // differs in both is another note.
    const bool otherFile = !m_hasNote || (note.url != m_note.url && note.id != m_note.id);
    // Another program changed the file while it was shown here, and nothing was typed since:
    // show the new text, or the next keystroke would write the old one back over it.
    const bool changedElsewhere =
        !otherFile && !m_store.hasDraft(note.url) &&
        (note.contentUtf8() != m_note.contentUtf8() || note.unreadable != m_note.unreadable);
    const QString leaving = m_hasNote ? m_note.url : QString();
    m_note = note;
    m_hasNote = true;
    if (otherFile)
        showDocumentOf(leaving);
    if (otherFile || changedElsewhere)
        load(!otherFile);
    if (otherFile)
        emit noteOpened();
}

void NoteEditor::clear()
{
    if (!m_hasNote)
        return;
    m_store.takeLiveText();
    if (m_store.hasDraft(m_note.url))
        m_store.saveDraft(m_note.url);
    m_hasNote = false;
    showDocumentOf(m_note.url);
    m_loading = true;
    m_edit->clear();
    m_loading = false;
}

// The note's own document, with its undo, when it was edited before; load() then sets its
// text only when another program changed it meanwhile, which ends that undo.
void NoteEditor::showDocumentOf(const QString& leaving)
{
    // The text typed into the document being left goes to its draft first.
    m_store.takeLiveText();
    m_loading = true;
    m_undo->show(*m_edit, leaving, m_hasNote ? m_note.url : QString());
    m_loading = false;
}

void NoteEditor::load(bool sameNote)
{
    const QString text = m_store.textFor(m_note);
    m_edit->setReadOnly(m_note.unreadable);
    m_notice->setVisible(m_note.unreadable);
    if (m_note.unreadable) {
        m_notice->setText(tr("This note’s text or name is not valid UTF-8, or it could not be "
                             "read. It is shown read-only, and its file is left as it is."));
    }
    // Whatever was typed into the text about to be replaced goes to its draft first.
    m_store.takeLiveText();
    // Text already on screen keeps its cursor, scroll position and undo: the same note
    // refreshed, or the user's own text moved into a conflict copy while they type.
    if (this->text() == text)
        return;
    // The same note changed elsewhere: the cursor and the view stay with the text around
    // them when that text is unchanged, and move by what was inserted before them.
    const QString shown = sameNote ? this->text() : QString();
    const int cursor = m_edit->textCursor().position();
    const int scroll = m_edit->verticalScrollBar()->value();
    // Showing a note is not editing it: the file is written only after the user types.
    m_loading = true;
    m_edit->setPlainText(text);
    m_loading = false;
    if (!sameNote)
        return;
    qsizetype prefix = 0;
    const qsizetype shortest = qMin(shown.size(), text.size());
    while (prefix < shortest && shown[prefix] == text[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shortest - prefix &&
           shown[shown.size() - 1 - suffix] == text[text.size() - 1 - suffix])
        ++suffix;
    // Positions count the document's characters, one per line break as the file's CRLF
    // would count two; outside a CRLF note the two agree, and the cursor only needs to land
    // near its text.
    int moved = cursor;
    if (cursor > prefix && cursor >= shown.size() - suffix)
        moved = int(cursor + (text.size() - shown.size()));
    QTextCursor restored = m_edit->textCursor();
    restored.setPosition(qBound(0, moved, m_edit->document()->characterCount() - 1));
    m_edit->setTextCursor(restored);
    m_edit->verticalScrollBar()->setValue(scroll);
}

QString NoteEditor::text() const
{
    // The raw text keeps non-breaking spaces and line separators that the plain text would
    // turn into spaces and line feeds; paragraphs end as the file's lines end.
    return NoteText::fromEditor(m_edit->document()->toRawText(), m_note.lineEnding);
}

void NoteEditor::textEdited()
{
    if (m_loading || !m_hasNote || m_note.unreadable)
        return;
    m_store.editDraft(m_note, [editor = QPointer<NoteEditor>(this)]() -> std::optional<QString> {
        if (!editor)
            return std::nullopt;
        return editor->text();
    });
}

void NoteEditor::focusAtEnd()
{
    m_edit->setFocus(Qt::OtherFocusReason);
    m_edit->moveCursor(QTextCursor::End);
}

void NoteEditor::zoom(int step)
{
    const qreal base = QApplication::font().pointSizeF();
    // Never smaller than 6 pt, never more than four times the desktop's size.
    const int smallest = 6 - int(base);
    const int largest = int(base * 3);
    m_zoom = step == 0 ? 0 : qBound(smallest, m_zoom + step, largest);
    applyFont();
    AppSettings::setValue(zoomKey, m_zoom);
}

void NoteEditor::applyFont()
{
    m_edit->setFont(EditorFont::fixed(QApplication::font().pointSizeF() + m_zoom));
}
