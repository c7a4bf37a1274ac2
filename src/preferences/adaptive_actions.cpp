#include "preferences/adaptive_actions.h"

#include "views/palette_colors.h"

#include <QEvent>
#include <QPushButton>
#include <QResizeEvent>

namespace {

int idealWidth(const QPushButton* button)
{
    return button->sizeHint().width();
}

} // namespace

AdaptiveActions::AdaptiveActions(QWidget* parent)
    : QWidget(parent), m_reveal(new QPushButton(tr("&Reveal in File Manager"), this)),
      m_copy(new QPushButton(tr("Copy &Path"), this)),
      m_refresh(new QPushButton(tr("Re&fresh Permissions"), this)), m_clear(new QPushButton(this)),
      m_useDefault(new QPushButton(tr("Use &Default"), this))
{
    // "&&" shows an "&"; a single one marks the mnemonic.
    m_clear->setText(tr("C&lear && Re-select…"));
    m_clear->setAccessibleName(tr("Clear & Re-select…"));
    m_refresh->setToolTip(tr("Checks again whether Quillbox may read and write the notes folder: "
                             "after you changed its permissions, or mounted the drive it is on."));
    m_clear->setObjectName(QStringLiteral("destructive"));
    colourDestructive();

    connect(m_reveal, &QPushButton::clicked, this, &AdaptiveActions::reveal);
    connect(m_copy, &QPushButton::clicked, this, &AdaptiveActions::copy);
    connect(m_refresh, &QPushButton::clicked, this, &AdaptiveActions::refresh);
    connect(m_clear, &QPushButton::clicked, this, &AdaptiveActions::clear);
    connect(m_useDefault, &QPushButton::clicked, this, &AdaptiveActions::useDefault);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

// Destructive: it forgets the folder. Red, as readable on a dark palette as on a light one.
void AdaptiveActions::colourDestructive()
{
    QPalette palette = m_clear->palette();
    palette.setColor(QPalette::ButtonText, PaletteColors::destructive(this->palette()));
    m_clear->setPalette(palette);
}

void AdaptiveActions::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        colourDestructive();
}

void AdaptiveActions::setFolderActionsDisabled(bool disabled)
{
    for (QPushButton* button : {m_reveal, m_copy, m_refresh})
        button->setDisabled(disabled);
}

int AdaptiveActions::singleLineWidth() const
{
    int width = minimumGap;
    for (const QPushButton* button : {m_reveal, m_copy, m_refresh, m_clear, m_useDefault})
        width += idealWidth(button) + spacing;
    return width;
}

int AdaptiveActions::twoLineWidth() const
{
    const int first = idealWidth(m_reveal) + spacing + idealWidth(m_copy);
    const int second = idealWidth(m_refresh) + spacing + idealWidth(m_clear) + spacing +
                       minimumGap + spacing + idealWidth(m_useDefault);
    return qMax(first, second);
}

int AdaptiveActions::rowHeight() const
{
    int height = 0;
    for (const QPushButton* button : {m_reveal, m_copy, m_refresh, m_clear, m_useDefault})
        height = qMax(height, button->sizeHint().height());
    return height;
}

QSize AdaptiveActions::sizeHint() const
{
    return {singleLineWidth(), rowHeight()};
}

QSize AdaptiveActions::minimumSizeHint() const
{
    return {twoLineWidth(), rowHeight()};
}

int AdaptiveActions::heightForWidth(int width) const
{
    return singleLineWidth() <= width ? rowHeight() : 2 * rowHeight() + lineSpacing;
}

void AdaptiveActions::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    place(event->size().width());
}

void AdaptiveActions::place(int width)
{
    const bool singleLine = singleLineWidth() <= width;
    const int height = rowHeight();
    const auto placeRow = [&](const QList<QPushButton*>& leading, int y) {
        int x = 0;
        for (QPushButton* button : leading) {
            button->setGeometry(x, y, idealWidth(button), height);
            x += idealWidth(button) + spacing;
        }
    };
    if (singleLine) {
        placeRow({m_reveal, m_copy, m_refresh, m_clear}, 0);
        m_useDefault->setGeometry(width - idealWidth(m_useDefault), 0, idealWidth(m_useDefault),
                                  height);
    } else {
        placeRow({m_reveal, m_copy}, 0);
        placeRow({m_refresh, m_clear}, height + lineSpacing);
        m_useDefault->setGeometry(width - idealWidth(m_useDefault), height + lineSpacing,
                                  idealWidth(m_useDefault), height);
    }
    m_singleLine = singleLine;
    // Layouts in a scroll area ask for a height once; a row that wraps tells them again.
    const int needed = heightForWidth(width);
    if (minimumHeight() != needed)
        setFixedHeight(needed);
}
