#include "store/markdown_spans.h"

#include "store/markdown_inline.h"

#include <algorithm>

namespace MarkdownSpans {

namespace {

using MarkdownInline::isBlank;
using MarkdownInline::isSpace;
using MarkdownInline::runLength;

// Columns of leading white space (a tab reaches the next multiple of 4) and where the text
// after it begins.
std::pair<int, qsizetype> indentation(QStringView line)
{
    int columns = 0;
    qsizetype i = 0;
    for (; i < line.size() && isSpace(line[i]); ++i)
        columns = line[i] == u'\t' ? (columns / 4 + 1) * 4 : columns + 1;
    return {columns, i};
}

struct Fence
{
    QChar c;
    qsizetype length = 0;
};

// A line that opens a fenced code block: up to three spaces, then three or more backticks
// (not followed by another backtick) or tildes.
std::optional<Fence> opening(QStringView line, int columns, qsizetype at)
{
    if (columns > 3 || at >= line.size() || (line[at] != u'`' && line[at] != u'~'))
        return std::nullopt;
    const QChar c = line[at];
    const qsizetype length = runLength(line, at, c);
    if (length < 3 || (c == u'`' && line.sliced(at + length).contains(u'`')))
        return std::nullopt;
    return Fence{c, length};
}

bool closes(QStringView line, const State& state)
{
    const auto [columns, at] = indentation(line);
    if (columns > 3)
        return false;
    const qsizetype length = runLength(line, at, QChar(state.fenceChar));
    return length >= state.fenceLength && isBlank(line.sliced(at + length));
}

bool isRule(QStringView text)
{
    QChar mark;
    int count = 0;
    for (QChar c : text) {
        if (isSpace(c))
            continue;
        if ((c != u'-' && c != u'*' && c != u'_') || (count > 0 && c != mark))
            return false;
        mark = c;
        ++count;
    }
    return count >= 3;
}

// The length of a list item's marker at `at`, 0 when there is none.
qsizetype listMarker(QStringView line, qsizetype at)
{
    qsizetype end = at;
    if (at < line.size() && (line[at] == u'-' || line[at] == u'+' || line[at] == u'*')) {
        end = at + 1;
    } else {
        while (end < line.size() && end - at < 9 && line[end].isDigit() &&
               line[end].unicode() < 128)
            ++end;
        if (end == at || end >= line.size() || (line[end] != u'.' && line[end] != u')'))
            return 0;
        ++end;
    }
    return end == line.size() || isSpace(line[end]) ? end - at : 0;
}

int headingLevel(QStringView line, qsizetype at)
{
    const qsizetype level = runLength(line, at, u'#');
    if (level < 1 || level > 6)
        return 0;
    return at + level == line.size() || isSpace(line[at + level]) ? int(level) : 0;
}

enum class Block
{
    Blank,
    FenceLine, // inside a fence, or its closing line
    Opening,
    IndentedCode,
    Heading,
    Quote,
    Rule,
    ListItem,
    Paragraph,
};

struct Classified
{
    Block block;
    State next;
    qsizetype at = 0;     // where the line's text starts
    qsizetype marker = 0; // length of a list item's marker
};

Classified classify(QStringView line, const State& state)
{
    if (state.fenceChar != 0) {
        State next = state;
        if (closes(line, state))
            next = State{0, 0, false, false, state.inList};
        return {Block::FenceLine, next};
    }
    if (isBlank(line))
        return {Block::Blank, State{0, 0, true, state.inIndentedCode, state.inList}};
    const auto [columns, at] = indentation(line);
    if (columns >= 4 && !state.inList && (state.afterBlank || state.inIndentedCode))
        return {Block::IndentedCode, State{0, 0, false, true, false}};
    // A line that is not indented after a blank line ends a list.
    const bool listGoesOn = state.inList && (!state.afterBlank || columns >= 2);
    const State plain{0, 0, false, false, listGoesOn};
    if (const std::optional<Fence> fence = opening(line, columns, at)) {
        const auto length = quint8(std::min<qsizetype>(fence->length, 127));
        return {Block::Opening, State{fence->c.unicode(), length, false, false, listGoesOn}, at};
    }
    if (columns <= 3 && headingLevel(line, at) > 0)
        return {Block::Heading, plain, at};
    if (columns <= 3 && line[at] == u'>')
        return {Block::Quote, plain, at};
    if (isRule(line.sliced(at)))
        return {Block::Rule, plain, at};
    if (const qsizetype marker = listMarker(line, at); marker > 0 && (columns <= 3 || state.inList))
        return {Block::ListItem, State{0, 0, false, false, true}, at, marker};
    return {Block::Paragraph, plain, at};
}

} // namespace

int State::encoded() const
{
    const int fence = fenceChar == u'`' ? 1 : fenceChar == u'~' ? 2 : 0;
    return fence | (fenceLength & 0x7f) << 2 | int(afterBlank) << 9 | int(inIndentedCode) << 10 |
           int(inList) << 11;
}

State State::decoded(int value)
{
    const int fence = value & 3;
    return State{fence == 1   ? u'`'
                 : fence == 2 ? u'~'
                              : char16_t(0),
                 quint8(value >> 2 & 0x7f), bool(value >> 9 & 1), bool(value >> 10 & 1),
                 bool(value >> 11 & 1)};
}

State next(QStringView line, State state)
{
    return classify(line, state).next;
}

Line read(QStringView line, State state)
{
    const Classified classified = classify(line, state);
    Line result{{}, classified.next};
    const qsizetype size = line.size();
    switch (classified.block) {
    case Block::Blank:
        return result;
    case Block::FenceLine:
    case Block::Opening:
    case Block::IndentedCode:
        if (size > 0)
            result.spans.append({0, size, Kind::CodeBlock});
        return result;
    case Block::Rule:
        result.spans.append({classified.at, size - classified.at, Kind::Rule});
        return result;
    case Block::Heading:
        result.spans.append({classified.at, size - classified.at, Kind::Heading});
        break;
    case Block::Quote:
        result.spans.append({classified.at, size - classified.at, Kind::Quote});
        break;
    case Block::ListItem:
        result.spans.append({classified.at, classified.marker, Kind::ListMarker});
        break;
    case Block::Paragraph:
        break;
    }
    const qsizetype from = classified.at + classified.marker;
    MarkdownInline::read(line, from, result.spans);
    std::stable_sort(result.spans.begin(), result.spans.end(),
                     [](const Span& a, const Span& b) { return a.start < b.start; });
    return result;
}

QList<std::pair<qsizetype, qsizetype>> proseRanges(qsizetype lineLength, const QList<Span>& spans)
{
    QList<std::pair<qsizetype, qsizetype>> ranges;
    qsizetype from = 0;
    for (const Span& span : spans) {
        if (span.kind != Kind::InlineCode && span.kind != Kind::CodeBlock &&
            span.kind != Kind::LinkTarget && span.kind != Kind::Url && span.kind != Kind::WikiLink)
            continue;
        if (span.start > from)
            ranges.append({from, span.start - from});
        from = std::max(from, span.end());
    }
    if (lineLength > from)
        ranges.append({from, lineLength - from});
    return ranges;
}

std::optional<Span> linkAt(const QList<Span>& spans, qsizetype column)
{
    std::optional<Span> after;
    for (const Span& span : spans) {
        if (!span.isLink())
            continue;
        if (span.start <= column && column < span.end())
            return span;
        if (column == span.end())
            after = span;
    }
    return after;
}

} // namespace MarkdownSpans
