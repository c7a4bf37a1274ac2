#include "views/editor_matches.h"

#include <QPlainTextEdit>
#include <QTextDocument>

EditorMatches::EditorMatches(QPlainTextEdit* edit) : QObject(edit), m_edit(edit)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMs);
    connect(&m_settle, &QTimer::timeout, this, &EditorMatches::settled);
    connect(edit, &QPlainTextEdit::textChanged, this, [this] {
        m_stale = true;
        m_settle.start();
    });
}

EditorMatches& EditorMatches::of(QPlainTextEdit* edit)
{
    if (auto* existing = edit->findChild<EditorMatches*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new EditorMatches(edit);
}

QList<TextMatches::Match> EditorMatches::matches(const QString& query)
{
    if (m_stale) {
        // Plain text counts one position a character as the document's cursors do.
        m_matches.setText(m_edit->document()->toPlainText());
        m_stale = false;
    }
    return m_matches.matches(query);
}
