#include "store/markdown_inline.h"

#include <algorithm>
#include <vector>

using MarkdownSpans::Kind;
using MarkdownSpans::Span;

namespace MarkdownInline {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isBlank(QStringView line)
{
    return std::all_of(line.begin(), line.end(), [](QChar c) { return c.isSpace(); });
}

qsizetype runLength(QStringView text, qsizetype from, QChar c)
{
    qsizetype end = from;
    while (end < text.size() && text[end] == c)
        ++end;
    return end - from;
}

namespace {

bool startsWithScheme(QStringView text, qsizetype at)
{
    static const QLatin1StringView schemes[] = {
        QLatin1StringView("https://"), QLatin1StringView("http://"), QLatin1StringView("mailto:"),
        QLatin1StringView("file://")};
    const QStringView rest = text.sliced(at);
    return std::any_of(std::begin(schemes), std::end(schemes), [&](QLatin1StringView scheme) {
        return rest.startsWith(scheme, Qt::CaseInsensitive) && rest.size() > scheme.size() &&
               !rest[scheme.size()].isSpace();
    });
}

struct Delimiter
{
    qsizetype position;
    qsizetype count;
    qsizetype original;
    QChar c;
    bool canOpen;
    bool canClose;
};

class InlineReader
{
public:
    InlineReader(QStringView text, QList<Span>& spans) : m_text(text), m_spans(spans) {}

    void read(qsizetype from)
    {
        qsizetype i = from;
        while (i < m_text.size()) {
            const QChar c = m_text[i];
            if (c == u'\\' && i + 1 < m_text.size() && m_text[i + 1].unicode() < 128 &&
                m_text[i + 1].isPunct()) {
                i += 2;
            } else if (c == u'`') {
                i = codeSpan(i);
            } else if (c == u'<') {
                i = autolink(i);
            } else if (c == u'[') {
                i = m_text.sliced(i).startsWith(u"[[") ? wikiLink(i) : link(i);
            } else if (c == u'*' || c == u'_') {
                i = delimiterRun(i);
            } else if ((i == 0 || !m_text[i - 1].isLetterOrNumber()) &&
                       startsWithScheme(m_text, i)) {
                i = bareUrl(i);
            } else {
                ++i;
            }
        }
        emphasis();
    }

private:
    void add(qsizetype start, qsizetype end, Kind kind, qsizetype targetStart = 0,
             qsizetype targetEnd = 0)
    {
        m_spans.append({start, end - start, kind, targetStart, targetEnd - targetStart});
    }

    qsizetype codeSpan(qsizetype at)
    {
        const qsizetype length = runLength(m_text, at, u'`');
        for (qsizetype i = at + length; i < m_text.size();) {
            const qsizetype closing = runLength(m_text, i, u'`');
            if (closing == length) {
                add(at, i + length, Kind::InlineCode);
                return i + length;
            }
            i += std::max<qsizetype>(closing, 1);
        }
        return at + length;
    }

    qsizetype autolink(qsizetype at)
    {
        qsizetype i = at + 1;
        while (i < m_text.size() && (m_text[i].isLetterOrNumber() || m_text[i] == u'+' ||
                                     m_text[i] == u'.' || m_text[i] == u'-'))
            ++i;
        const qsizetype scheme = i - at - 1;
        const bool uri = scheme >= 2 && scheme <= 32 && i < m_text.size() && m_text[i] == u':';
        for (; i < m_text.size() && m_text[i] != u'>'; ++i) {
            if (m_text[i].isSpace() || m_text[i] == u'<')
                return at + 1;
        }
        const QStringView inside = m_text.sliced(at + 1, i - at - 1);
        const bool email = !uri && inside.contains(u'@') && !inside.startsWith(u'@');
        if (i == m_text.size() || (!uri && !email))
            return at + 1;
        add(at, i + 1, Kind::Url, at + 1, i);
        return i + 1;
    }

    qsizetype bareUrl(qsizetype at)
    {
        qsizetype end = at;
        int open = 0;
        while (end < m_text.size() && !m_text[end].isSpace() && m_text[end] != u'<') {
            open += m_text[end] == u'(' ? 1 : m_text[end] == u')' ? -1 : 0;
            ++end;
        }
        // Punctuation ends the sentence around the address, not the address.
        while (end > at) {
            const QChar last = m_text[end - 1];
            if (last == u')' && open < 0) {
                ++open;
            } else if (!QStringView(u".,:;!?'\"*_").contains(last)) {
                break;
            }
            --end;
        }
        add(at, end, Kind::Url, at, end);
        return end;
    }

    qsizetype wikiLink(qsizetype at)
    {
        const qsizetype close = m_text.indexOf(u"]]", at + 2);
        const QStringView inside =
            close < 0 ? QStringView() : m_text.sliced(at + 2, close - at - 2);
        if (close < 0 || isBlank(inside) || inside.contains(u'[') || inside.contains(u']'))
            return at + 1;
        const qsizetype bar = inside.indexOf(u'|');
        qsizetype targetEnd = bar < 0 ? close : at + 2 + bar;
        qsizetype targetStart = at + 2;
        while (targetStart < targetEnd && m_text[targetStart].isSpace())
            ++targetStart;
        while (targetEnd > targetStart && m_text[targetEnd - 1].isSpace())
            --targetEnd;
        add(at, close + 2, Kind::WikiLink, targetStart, targetEnd);
        return close + 2;
    }

    // The end of a bracketed or parenthesised group opening at `at`, or -1.
    qsizetype matching(qsizetype at, QChar open, QChar close) const
    {
        int depth = 0;
        for (qsizetype i = at; i < m_text.size(); ++i) {
            if (m_text[i] == u'\\') {
                ++i;
            } else if (m_text[i] == open) {
                ++depth;
            } else if (m_text[i] == close && --depth == 0) {
                return i;
            }
        }
        return -1;
    }

    qsizetype link(qsizetype at)
    {
        const qsizetype textEnd = matching(at, u'[', u']');
        if (textEnd < 0 || textEnd + 1 >= m_text.size() || m_text[textEnd + 1] != u'(')
            return at + 1;
        const qsizetype close = matching(textEnd + 1, u'(', u')');
        if (close < 0)
            return at + 1;
        qsizetype start = textEnd + 2;
        while (start < close && isSpace(m_text[start]))
            ++start;
        qsizetype end = start;
        if (start < close && m_text[start] == u'<') {
            end = m_text.indexOf(u'>', start);
            if (end < 0 || end > close)
                return at + 1;
            ++start;
        } else {
            while (end < close && !isSpace(m_text[end]))
                ++end;
        }
        add(at, textEnd + 1, Kind::Link, start, end);
        add(textEnd + 1, close + 1, Kind::LinkTarget, start, end);
        return close + 1;
    }

    bool punctuationOrSpace(qsizetype i) const
    {
        return i < 0 || i >= m_text.size() || m_text[i].isSpace() || m_text[i].isPunct() ||
               m_text[i].isSymbol();
    }

    qsizetype delimiterRun(qsizetype at)
    {
        const QChar c = m_text[at];
        const qsizetype length = runLength(m_text, at, c);
        const qsizetype before = at - 1;
        const qsizetype after = at + length;
        const bool spaceBefore = before < 0 || m_text[before].isSpace();
        const bool spaceAfter = after >= m_text.size() || m_text[after].isSpace();
        const bool left = !spaceAfter && (!punctuationOrSpace(after) || punctuationOrSpace(before));
        const bool right =
            !spaceBefore && (!punctuationOrSpace(before) || punctuationOrSpace(after));
        // "_" inside a word (snake_case) is never emphasis.
        const bool canOpen = c == u'*' ? left : left && (!right || punctuationOrSpace(before));
        const bool canClose = c == u'*' ? right : right && (!left || punctuationOrSpace(after));
        if (canOpen || canClose)
            m_delimiters.push_back({at, length, length, c, canOpen, canClose});
        return after;
    }

    // Pairs the delimiter runs the way CommonMark does: each closer with the nearest opener.
    void emphasis()
    {
        for (size_t closer = 0; closer < m_delimiters.size(); ++closer) {
            Delimiter& c = m_delimiters[closer];
            while (c.canClose && c.count > 0) {
                const std::optional<size_t> opener = openerFor(closer);
                if (!opener)
                    break;
                Delimiter& o = m_delimiters[*opener];
                const qsizetype use = o.count >= 2 && c.count >= 2 ? 2 : 1;
                const qsizetype start = o.position + o.count - use;
                const qsizetype end = c.position + (c.original - c.count) + use;
                add(start, end, use == 2 ? Kind::Strong : Kind::Emphasis);
                o.count -= use;
                c.count -= use;
                for (size_t between = *opener + 1; between < closer; ++between)
                    m_delimiters[between].count = 0;
            }
        }
    }

    std::optional<size_t> openerFor(size_t closer) const
    {
        const Delimiter& c = m_delimiters[closer];
        for (size_t i = closer; i-- > 0;) {
            const Delimiter& o = m_delimiters[i];
            if (!o.canOpen || o.count == 0 || o.c != c.c)
                continue;
            // The rule of three: "*a**b*" pairs the single marks.
            const bool both = o.canClose || c.canOpen;
            if (both && (o.original + c.original) % 3 == 0 &&
                (o.original % 3 != 0 || c.original % 3 != 0))
                continue;
            return i;
        }
        return std::nullopt;
    }

    QStringView m_text;
    QList<Span>& m_spans;
    std::vector<Delimiter> m_delimiters;
};

} // namespace

void read(QStringView line, qsizetype from, QList<Span>& spans)
{
    InlineReader(line, spans).read(from);
}

} // namespace MarkdownInline
