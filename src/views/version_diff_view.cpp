#include "views/version_diff_view.h"

#include "views/editor_font.h"
#include "views/palette_colors.h"

#include <QEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

const QString VersionDiffView::removedMark = QStringLiteral("\u2212 ");
const QString VersionDiffView::addedMark = QStringLiteral("+ ");
const QString VersionDiffView::sameMark = QStringLiteral("  ");

VersionDiffView::VersionDiffView(QWidget* parent)
    : QWidget(parent), m_text(new QPlainTextEdit(this)), m_legend(new QLabel(this))
{
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(EditorFont::fixed(font().pointSizeF()));
    m_text->setAccessibleName(tr("Changes"));
    m_text->setAccessibleDescription(tr("Lines marked \u2212 are only in this version; lines "
                                        "marked + are only in the current text."));
    m_legend->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_legend);
    render();
}

void VersionDiffView::setLines(const QList<TextDiff::Line>& lines)
{
    m_lines = lines;
    render();
}

void VersionDiffView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Dark or light: the washes follow the palette in use.
    if (event->type() == QEvent::PaletteChange)
        render();
}

void VersionDiffView::render()
{
    // Our own: told of a change before the text view is given it.
    const QPalette& palette = this->palette();
    const QColor removed = PaletteColors::removedLine(palette);
    const QColor added = PaletteColors::addedLine(palette);
    const QString swatch = QStringLiteral("<span style=\"background-color:%1; color:%2; "
                                          "font-family:monospace\">&nbsp;%3&nbsp;</span>");
    const QString text = palette.color(QPalette::Text).name();
    m_legend->setText(tr("%1 only in this version %2 only in the current text")
                          .arg(swatch.arg(removed.name(), text, removedMark.trimmed()),
                               swatch.arg(added.name(), text, addedMark.trimmed())));
    m_legend->setAccessibleName(m_text->accessibleDescription());

    m_text->clear();
    QTextCursor cursor(m_text->document());
    cursor.beginEditBlock();
    bool first = true;
    for (const TextDiff::Line& line : m_lines) {
        QTextBlockFormat format;
        QString mark = sameMark;
        if (line.kind == TextDiff::Kind::Removed) {
            format.setBackground(removed);
            mark = removedMark;
        } else if (line.kind == TextDiff::Kind::Added) {
            format.setBackground(added);
            mark = addedMark;
        }
        if (first)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format);
        first = false;
        // A CR that ends the line is its line ending, nothing to see.
        QString shown = line.text;
        if (shown.endsWith(QLatin1Char('\r')))
            shown.chop(1);
        cursor.insertText(mark + shown);
    }
    cursor.endEditBlock();
    m_text->moveCursor(QTextCursor::Start);
}
