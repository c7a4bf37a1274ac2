#include "note_editor.h"

#include "editor_font.h"
#include "folder_access.h"
#include "notes_store.h"
#include "text_key_guard.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTextCursor>
#include <QVBoxLayout>

NoteEditor::NoteEditor(NotesStore& store, QWidget* parent)
    : QWidget(parent), m_store(store), m_edit(new QPlainTextEdit(this)), m_notice(new QLabel(this))
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

    m_zoom =
        QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat).value(zoomKey, 0).toInt();
    applyFont();
    m_edit->setFrameShape(QFrame::NoFrame);
    m_edit->document()->setDocumentMargin(8);
    m_edit->setBackgroundRole(QPalette::Base);
    m_edit->setAccessibleName(tr("Note"));
    m_edit->setTabChangesFocus(false);
    TextKeyGuard::install(m_edit);
    connect(m_edit, &QPlainTextEdit::textChanged, this, &NoteEditor::textEdited);
}

void NoteEditor::setNote(const Note& note)
{
    const bool otherFile = !m_hasNote || note.url != m_note.url;
    // Another program changed the file while it was shown here, and nothing was typed since:
    // show the new text, or the next keystroke would write the old one back over it.
    const bool changedElsewhere =
        !otherFile && note.content != m_note.content && m_edit->toPlainText() == m_note.content;
    m_note = note;
    m_hasNote = true;
    if (otherFile || changedElsewhere)
        load();
}

void NoteEditor::clear()
{
    if (!m_hasNote)
        return;
    if (!m_note.unreadable) {
        const auto draft = m_store.drafts().constFind(m_note.url);
        m_store.commitText(draft != m_store.drafts().cend() ? *draft : m_edit->toPlainText(),
                           m_note);
    }
    m_hasNote = false;
    m_loading = true;
    m_edit->clear();
    m_loading = false;
}

void NoteEditor::load()
{
    const QString text = m_store.textFor(m_note);
    m_edit->setReadOnly(m_note.unreadable);
    m_notice->setVisible(m_note.unreadable);
    if (m_note.unreadable) {
        m_notice->setText(tr("This note is not valid UTF-8 text or could not be read. "
                             "It is shown read-only, and its file is left as it is."));
    }
    if (m_edit->toPlainText() == text)
        return;
    // A load that changes the text counts as an edit of this note, as typing would.
    m_loading = m_note.unreadable;
    m_edit->setPlainText(text);
    m_loading = false;
}

void NoteEditor::textEdited()
{
    if (m_loading || !m_hasNote || m_note.unreadable)
        return;
    m_store.updateDraft(m_note, m_edit->toPlainText());
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
    QSettings(FolderAccess::settingsFilePath(), QSettings::IniFormat).setValue(zoomKey, m_zoom);
}

void NoteEditor::applyFont()
{
    m_edit->setFont(EditorFont::fixed(QApplication::font().pointSizeF() + m_zoom));
}
