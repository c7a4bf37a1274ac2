#pragma once

#include "store/markdown_spans.h"

#include <QTextCharFormat>
#include <QTextLayout>

class QPalette;

// How each kind of Markdown looks on a palette, light or dark: colours readable on the text's
// background, and only weight, slant and underline besides, so that a line keeps its height
// and the text its columns.
class MarkdownFormats
{
public:
    explicit MarkdownFormats(const QPalette& palette);

    QTextCharFormat format(MarkdownSpans::Kind kind) const;
    QTextCharFormat misspelled() const { return m_misspelled; }
    // The line's spans as layout formats, in order, so that inner spans add to outer ones.
    QList<QTextLayout::FormatRange> ranges(const QList<MarkdownSpans::Span>& spans) const;

private:
    QTextCharFormat m_heading, m_emphasis, m_strong, m_code, m_link, m_muted, m_marker;
    QTextCharFormat m_misspelled;
};
