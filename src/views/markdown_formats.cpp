#include "views/markdown_formats.h"

#include "views/palette_colors.h"

#include <QPalette>

namespace {

const QColor blue(0x1a, 0x5f, 0xb4);
const QColor brown(0x98, 0x4c, 0x0c);
const QColor orange(0xc6, 0x46, 0x00);
const QColor red(0xc0, 0x1c, 0x28);

} // namespace

MarkdownFormats::MarkdownFormats(const QPalette& palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    m_heading.setFontWeight(QFont::Bold);
    m_heading.setForeground(PaletteColors::readable(blue, base));
    m_emphasis.setFontItalic(true);
    m_strong.setFontWeight(QFont::Bold);
    m_code.setForeground(PaletteColors::readable(brown, base));
    m_link.setForeground(PaletteColors::readable(palette.color(QPalette::Link), base));
    m_link.setFontUnderline(true);
    // Between the text and its background: what is there to be read past.
    const QColor between =
        QColor::fromRgbF((text.redF() + base.redF()) / 2, (text.greenF() + base.greenF()) / 2,
                         (text.blueF() + base.blueF()) / 2);
    m_muted.setForeground(PaletteColors::readable(between, base));
    m_marker.setForeground(PaletteColors::readable(orange, base));
    m_marker.setFontWeight(QFont::Bold);
    m_misspelled.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    m_misspelled.setUnderlineColor(PaletteColors::readable(red, base));
}

QTextCharFormat MarkdownFormats::format(MarkdownSpans::Kind kind) const
{
    using Kind = MarkdownSpans::Kind;
    switch (kind) {
    case Kind::Heading:
        return m_heading;
    case Kind::Emphasis:
        return m_emphasis;
    case Kind::Strong:
        return m_strong;
    case Kind::InlineCode:
    case Kind::CodeBlock:
        return m_code;
    case Kind::Link:
    case Kind::Url:
    case Kind::WikiLink:
        return m_link;
    case Kind::LinkTarget:
    case Kind::Quote:
    case Kind::Rule:
        return m_muted;
    case Kind::ListMarker:
        return m_marker;
    }
    return {};
}

QList<QTextLayout::FormatRange>
MarkdownFormats::ranges(const QList<MarkdownSpans::Span>& spans) const
{
    QList<QTextLayout::FormatRange> ranges;
    ranges.reserve(spans.size());
    for (const MarkdownSpans::Span& span : spans)
        ranges.append({int(span.start), int(span.length), format(span.kind)});
    return ranges;
}
