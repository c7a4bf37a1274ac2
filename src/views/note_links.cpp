#include "views/note_links.h"

#include "store/markdown_spans.h"
#include "store/notes_store.h"
#include "views/markdown_highlighter.h"
#include "views/note_editor.h"
#include "views/url_service.h"
#include "views/wiki_link_completer.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

std::optional<MarkdownSpans::Span> linkAt(MarkdownHighlighter& highlighter, const QTextBlock& block,
                                          int position)
{
    return MarkdownSpans::linkAt(highlighter.spansOf(block).spans, position - block.position());
}

} // namespace

NoteLinks::NoteLinks(NoteEditor& editor, NotesStore& store, UrlService& urls)
    : QObject(&editor), m_editor(editor), m_edit(editor.textEdit()), m_viewport(m_edit->viewport()),
      m_store(store), m_urls(urls), m_completer(new WikiLinkCompleter(editor.textEdit(), [this] {
          QStringList titles;
          for (const Note& note : m_store.notes())
              titles.append(note.title);
          titles.removeDuplicates();
          titles.sort(Qt::CaseInsensitive);
          return titles;
      }))
{
    connect(&editor, &NoteEditor::documentReplaced, m_completer,
            &WikiLinkCompleter::followDocument);
    editor.textEdit()->installEventFilter(this);
    editor.textEdit()->viewport()->installEventFilter(this);
    editor.textEdit()->viewport()->setMouseTracking(true);
}

bool NoteLinks::follow(const QTextCursor& cursor)
{
    const QTextBlock block = cursor.block();
    const std::optional<MarkdownSpans::Span> link =
        linkAt(*m_editor.highlighter(), block, cursor.position());
    if (!link)
        return false;
    const QString target = block.text().mid(link->targetStart, link->targetLength);
    if (link->kind == MarkdownSpans::Kind::WikiLink) {
        if (const std::optional<Note> note = noteTitled(m_store.notes(), target))
            m_store.setSelectedNote(note);
        else
            emit missingNote(target);
        return true;
    }
    const QUrl url(target);
    if (!isOpenable(url))
        return false;
    m_urls.open(url);
    return true;
}

std::optional<Note> NoteLinks::noteTitled(const QList<Note>& notes, const QString& title)
{
    std::optional<Note> found;
    for (const Note& note : notes) {
        if (note.title.compare(title, Qt::CaseInsensitive) == 0 &&
            (!found || note.lastModified > found->lastModified))
            found = note;
    }
    return found;
}

bool NoteLinks::isOpenable(const QUrl& url)
{
    static const QStringList schemes = {QStringLiteral("http"), QStringLiteral("https"),
                                        QStringLiteral("mailto"), QStringLiteral("file")};
    return url.isValid() && schemes.contains(url.scheme(), Qt::CaseInsensitive);
}

bool NoteLinks::onLink(const QPoint& viewportPosition)
{
    QPlainTextEdit* edit = m_editor.textEdit();
    const QTextCursor cursor = edit->cursorForPosition(viewportPosition);
    // Beside the text of a line, not on it.
    if (edit->cursorRect(cursor).right() + edit->fontMetrics().averageCharWidth() <
        viewportPosition.x())
        return false;
    return linkAt(*m_editor.highlighter(), cursor.block(), cursor.position()).has_value();
}

void NoteLinks::showPointer(bool ctrlHeld)
{
    QWidget* viewport = m_editor.textEdit()->viewport();
    const QPoint position = viewport->mapFromGlobal(QCursor::pos());
    const bool hand = ctrlHeld && viewport->rect().contains(position) && onLink(position);
    const Qt::CursorShape shape = hand ? Qt::PointingHandCursor : Qt::IBeamCursor;
    if (viewport->cursor().shape() != shape)
        viewport->setCursor(shape);
}

bool NoteLinks::eventFilter(QObject* watched, QEvent* event)
{
    QPlainTextEdit* edit = m_edit;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == edit && key->modifiers() == Qt::ControlModifier &&
            (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            follow(edit->textCursor()))
            return true;
        showPointer(key->modifiers() & Qt::ControlModifier || key->key() == Qt::Key_Control);
        break;
    }
    case QEvent::KeyRelease:
        showPointer(static_cast<QKeyEvent*>(event)->key() != Qt::Key_Control &&
                    static_cast<QKeyEvent*>(event)->modifiers() & Qt::ControlModifier);
        break;
    case QEvent::MouseMove:
        if (watched == m_viewport)
            showPointer(static_cast<QMouseEvent*>(event)->modifiers() & Qt::ControlModifier);
        break;
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (watched == m_viewport && mouse->button() == Qt::LeftButton &&
            mouse->modifiers() == Qt::ControlModifier && onLink(mouse->position().toPoint()) &&
            follow(edit->cursorForPosition(mouse->position().toPoint())))
            return true;
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
