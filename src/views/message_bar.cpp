#include "views/message_bar.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

// A screen reader speaks an alert when it appears, without the focus going to it.
QAccessibleInterface* accessibleAlert(const QString& className, QObject* object)
{
    if (className == QLatin1String("MessageBar") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    return nullptr;
}

} // namespace

MessageBar::MessageBar(QWidget* parent)
    : QFrame(parent), m_text(new QLabel(this)), m_action(new QPushButton(this)),
      m_dismiss(new QPushButton(tr("Dismiss"), this))
{
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    static const bool alertRole = (QAccessible::installFactory(accessibleAlert), true);
    Q_UNUSED(alertRole)
    setAccessibleName(tr("Message"));
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 4, 4, 4);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_action);
    layout->addWidget(m_dismiss);
    connect(m_action, &QPushButton::clicked, this, [this] {
        if (m_run)
            m_run();
    });
    connect(m_dismiss, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void MessageBar::showMessage(const QString& text, const QString& actionText,
                             std::function<void()> action)
{
    m_text->setText(text);
    m_text->setAccessibleName(text);
    m_run = std::move(action);
    m_action->setText(actionText);
    m_action->setVisible(!actionText.isEmpty() && m_run);
    setAccessibleDescription(text);
    show();
    // Also when the bar was up already: only its text changed, which a reader does not hear.
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QString MessageBar::text() const
{
    return m_text->text();
}
