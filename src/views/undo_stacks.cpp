#include "views/undo_stacks.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const char* const cursorProperty = "quillboxCursor";

} // namespace

bool UndoStacks::show(QPlainTextEdit& edit, const QString& leaving, const QString& url)
{
    QTextDocument* current = edit.document();
    QTextDocument* next = url.isEmpty() ? nullptr : take(url);
    const bool keepCurrent =
        !leaving.isEmpty() && (current->isUndoAvailable() || current->isRedoAvailable());
    // Nothing to keep and nothing to bring back: the document is used again, and the caller's
    // new text clears what little history it has.
    if (!next && !keepCurrent)
        return false;
    const bool restored = next != nullptr;
    if (!next) {
        next = new QTextDocument();
        next->setDocumentLayout(new QPlainTextDocumentLayout(next));
        next->setDocumentMargin(current->documentMargin());
    }
    current->setProperty(cursorProperty, edit.textCursor().position());
    // Owned here or by no one before the editor lets it go: the editor deletes a document it
    // made itself when another takes its place.
    current->setParent(nullptr);
    install(edit, next);
    // Told while the document left still exists: those following it let it go first.
    emit documentReplaced();
    if (keepCurrent)
        keep(leaving, current);
    else
        delete current;
    return restored;
}

void UndoStacks::install(QPlainTextEdit& edit, QTextDocument* document)
{
    document->setParent(&edit);
    // The editor sets its font on the document it holds; this one may have missed a change.
    document->setDefaultFont(edit.font());
    edit.setDocument(document);
    QTextCursor cursor = edit.textCursor();
    cursor.setPosition(
        qBound(0, document->property(cursorProperty).toInt(), document->characterCount() - 1));
    edit.setTextCursor(cursor);
    edit.ensureCursorVisible();
}

void UndoStacks::keep(const QString& url, QTextDocument* document)
{
    delete take(url);
    if (!document->isUndoAvailable() && !document->isRedoAvailable()) {
        delete document;
        return;
    }
    document->setParent(this);
    m_kept.append({url, document});
    while (m_kept.size() > m_limit)
        delete m_kept.takeFirst().document;
}

QTextDocument* UndoStacks::take(const QString& url)
{
    for (qsizetype i = 0; i < m_kept.size(); ++i) {
        if (m_kept.at(i).url == url) {
            QTextDocument* document = m_kept.takeAt(i).document;
            document->setParent(nullptr);
            return document;
        }
    }
    return nullptr;
}

void UndoStacks::rename(const QString& from, const QString& to)
{
    for (Kept& kept : m_kept) {
        if (kept.url == from)
            kept.url = to;
    }
}

void UndoStacks::retain(const std::function<bool(const QString& url)>& exists)
{
    for (qsizetype i = m_kept.size() - 1; i >= 0; --i) {
        if (!exists(m_kept.at(i).url))
            delete m_kept.takeAt(i).document;
    }
}
