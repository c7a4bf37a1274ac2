#include "views/note_document.h"

#include "views/editor_font.h"

#include <QAbstractTextDocumentLayout>
#include <QPrinter>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

QFont fixedFont(qreal points, QFont::Weight weight)
{
    QFont font = EditorFont::fixed(points);
    font.setWeight(weight);
    return font;
}

// Layout units per point on device. Fonts in points come out right on any device, but the
// layout scales margins as screen pixels (from the screen's logical dpi to the device's):
// measure that scale rather than guess the screen.
qreal unitsPerPoint(QPagedPaintDevice& device)
{
    QTextDocument probe;
    probe.documentLayout()->setPaintDevice(&device);
    probe.setDocumentMargin(0);
    const qreal bare = probe.size().height();
    constexpr qreal margin = 100;
    probe.setDocumentMargin(margin);
    const qreal devicePerUnit = (probe.size().height() - bare) / (2 * margin);
    return device.logicalDpiY() / 72.0 / devicePerUnit;
}

} // namespace

void NoteDocument::build(QTextDocument& document, const QString& title, const QString& body,
                         qreal pixelsPerPoint)
{
    document.clear();
    document.setDocumentMargin(insetPoints * pixelsPerPoint);
    QTextCursor cursor(&document);

    QTextCharFormat titleFormat;
    titleFormat.setFont(fixedFont(titlePoints, QFont::DemiBold));
    cursor.setCharFormat(titleFormat);
    cursor.insertText(title);

    QTextBlockFormat bodyBlock;
    bodyBlock.setBottomMargin(paragraphSpacingPoints * pixelsPerPoint);
    QTextCharFormat bodyFormat;
    bodyFormat.setFont(fixedFont(bodyPoints, QFont::Normal));
    cursor.insertBlock(bodyBlock, bodyFormat);
    cursor.insertText(body);
    document.setDefaultTextOption(QTextOption(Qt::AlignLeft | Qt::AlignTop));
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(wrapping);
}

void NoteDocument::print(QPrinter& printer, const QString& title, const QString& body)
{
    QTextDocument document;
    // Laid out on the printer itself, so a point is a printer's point (laid out for a 96 dpi
    // screen onto a page measured in points, everything printed a third larger).
    document.documentLayout()->setPaintDevice(&printer);
    build(document, title, body, unitsPerPoint(printer));
    // With a page size of its own the document prints as laid out here: no extra margins and
    // no page numbers, wrapped at the printable width.
    document.setPageSize(printer.pageLayout().paintRectPixels(printer.resolution()).size());
    document.print(&printer);
}
