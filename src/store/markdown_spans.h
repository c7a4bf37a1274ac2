#pragma once

#include <QList>
#include <QStringView>

#include <optional>
#include <utility>

// The Markdown of one line of a note: which ranges are headings, emphasis, code, links and so
// on. Lines are read one at a time, each with the little a line needs to know of the lines
// before it (whether a fenced code block is open, whether an indented line can start code), so
// that an editor can read only the lines it shows and re-read only the lines that changed.
namespace MarkdownSpans {

enum class Kind
{
    Heading,    // the whole line of an ATX heading, "#" marks included
    Emphasis,   // delimiters included
    Strong,     // delimiters included
    InlineCode, // backticks included
    CodeBlock,  // a line of a fenced or indented code block, fences included
    Link,       // "[text]" of an inline link
    LinkTarget, // "(destination "title")" of an inline link
    Url,        // an autolink "<…>" or a bare address
    WikiLink,   // "[[Title]]"
    ListMarker, // "-", "*", "+", "1." or "1)"
    Quote,      // the whole line of a block quote
    Rule,       // a thematic break: "---", "* * *"
};

struct Span
{
    qsizetype start = 0;
    qsizetype length = 0;
    Kind kind = Kind::Heading;
    // Where a link leads, inside the line: the destination, the address, the note's title.
    qsizetype targetStart = 0;
    qsizetype targetLength = 0;
    qsizetype end() const { return start + length; }
    bool isLink() const
    {
        return kind == Kind::Link || kind == Kind::LinkTarget || kind == Kind::Url ||
               kind == Kind::WikiLink;
    }
    friend bool operator==(const Span&, const Span&) = default;
};

// What a line passes on to the next one. A value that fits in 15 bits, so that an editor can
// keep it with each of its lines.
struct State
{
    char16_t fenceChar = 0; // '`' or '~' while inside a fenced code block
    quint8 fenceLength = 0;
    bool afterBlank = true; // the line before was blank, or there was none
    bool inIndentedCode = false;
    bool inList = false;

    int encoded() const;
    static State decoded(int value);
    friend bool operator==(const State&, const State&) = default;
};

struct Line
{
    QList<Span> spans; // in order of start; inline spans may lie inside a block's span
    State next;
};

// The spans of line (without its line break), read after lines that left state.
Line read(QStringView line, State state);
// What read() would pass on, without looking at the inline spans: the cheap pass over the
// lines before the first one shown.
State next(QStringView line, State state);

// The ranges of the line meant to be read as words: not code, addresses, link destinations or
// links between notes. Pairs of start and length.
QList<std::pair<qsizetype, qsizetype>> proseRanges(qsizetype lineLength, const QList<Span>& spans);
// The link at column (a cursor just after a link is still on it).
std::optional<Span> linkAt(const QList<Span>& spans, qsizetype column);

} // namespace MarkdownSpans
