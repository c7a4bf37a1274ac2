#pragma once

#include "store/markdown_spans.h"

// The inline Markdown of a line's text: code spans, links, addresses, links between notes and
// emphasis, paired the way CommonMark pairs them within the line.
namespace MarkdownInline {

// Appends the spans of line from column from on.
void read(QStringView line, qsizetype from, QList<MarkdownSpans::Span>& spans);

bool isSpace(QChar c);
bool isBlank(QStringView text);
// How many c stand in text from from on.
qsizetype runLength(QStringView text, qsizetype from, QChar c);

} // namespace MarkdownInline
