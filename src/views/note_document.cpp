#include "note_document.h"

#include "editor_font.h"

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

} // namespace

void NoteDocument::build(QTextDocument& document, const QString& title, const QString& body)
{
    document.clear();
    document.setDocumentMargin(insetPoints);
    QTextCursor cursor(&document);

    QTextCharFormat titleFormat;
    titleFormat.setFont(fixedFont(titlePoints, QFont::DemiBold));
    cursor.setCharFormat(titleFormat);
    cursor.insertText(title);

    QTextBlockFormat bodyBlock;
    bodyBlock.setBottomMargin(paragraphSpacingPoints);
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
    build(document, title, body);
    // With a page size of its own the document prints as laid out here: no extra margins and
    // no page numbers, wrapped at the printable width.
    document.setPageSize(printer.pageLayout().paintRect(QPageLayout::Point).size());
    document.print(&printer);
}
