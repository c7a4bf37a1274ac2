#pragma once

#include "store/markdown_spans.h"
#include "views/markdown_formats.h"

#include <QObject>
#include <QTextBlock>

class QPlainTextEdit;
class QWidget;
class QTextDocument;
class SpellChecker;

// Shows the Markdown of the note in the editor, and the misspelled words of its prose, as
// formats of the lines' layouts: the text and its undo never change. Only the lines on screen
// are formatted, as they come into view, so a keystroke or a page of scrolling in a long note
// costs a screenful of lines. What a line needs of the lines before it (an open code fence) is
// kept with every line up to the last one shown, and found again only from an edited line on.
class MarkdownHighlighter : public QObject
{
    Q_OBJECT

public:
    static inline const QString enabledKey = QStringLiteral("MarkdownHighlighting");

    explicit MarkdownHighlighter(QPlainTextEdit* edit);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // nullptr: no spelling shown. Not owned; it outlives this or is set back to nullptr first.
    void setSpellChecker(const SpellChecker* checker);
    const SpellChecker* spellChecker() const { return m_spell; }

    // The spans of block as they are shown, whether or not highlighting is on.
    MarkdownSpans::Line spansOf(const QTextBlock& block);
    // Formats the lines on screen now; scrolling, resizing and typing do it by themselves.
    void highlightVisible();
    // The editor holds another document (each note keeps its own): its lines are formatted
    // afresh as they are shown.
    void followDocument();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void contentsChanged(int position, int removed, int added);
    void highlightLater();
    MarkdownSpans::State stateBefore(const QTextBlock& block);
    void updateStates(int lastBlock);
    // True when the line's formats changed: its layout is to be made again.
    bool format(const QTextBlock& block);
    void setFormats(const QTextBlock& block, const QList<QTextLayout::FormatRange>& ranges);
    void relayout(int from, int to);
    // Everything formatted so far is formatted again when it is next shown.
    void restyle();
    bool active() const { return m_enabled || m_spell; }

    QPlainTextEdit* m_edit;
    // Kept apart: events still arrive while the editor is being destroyed, when asking it for
    // its viewport is no longer safe.
    QWidget* m_viewport;
    QTextDocument* m_document;
    MarkdownFormats m_formats;
    const SpellChecker* m_spell = nullptr;
    bool m_enabled = true;
    // The leading lines whose state is known.
    int m_knownStates = 0;
    int m_blockCount = 1;
    // Grows whenever formats already applied stop being right for a line's text and state.
    int m_generation = 1;
    bool m_formatting = false;
    bool m_queued = false;
};
