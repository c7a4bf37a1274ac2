#include "views/pane_cycle.h"

#include <QApplication>
#include <QWidget>

namespace {

QWidget* focusTarget(QWidget* pane)
{
    if (!pane || !pane->isVisible() || !pane->isEnabled())
        return nullptr;
    if (QWidget* proxy = pane->focusProxy())
        return proxy->isVisible() && proxy->isEnabled() ? proxy : nullptr;
    if ((pane->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)
        return pane;
    // The focus chain is the order Tab follows inside the part.
    for (QWidget* widget = pane->nextInFocusChain(); widget != pane;
         widget = widget->nextInFocusChain()) {
        if (pane->isAncestorOf(widget) && widget->isVisible() && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus)
            return widget;
    }
    return nullptr;
}

} // namespace

PaneCycle::PaneCycle(const QList<QWidget*>& panes, QObject* parent) : QObject(parent)
{
    for (QWidget* pane : panes)
        m_panes.append(pane);
}

int PaneCycle::current() const
{
    const QWidget* focused = QApplication::focusWidget();
    for (qsizetype i = 0; i < m_panes.size(); ++i) {
        const QWidget* pane = m_panes.at(i);
        if (pane && focused && (pane == focused || pane->isAncestorOf(focused)))
            return int(i);
    }
    return -1;
}

void PaneCycle::move(int step)
{
    const int count = int(m_panes.size());
    const int from = current();
    // From outside every part, F6 starts at the first and Shift+F6 at the last.
    int at = from < 0 ? (step > 0 ? -1 : count) : from;
    for (int tried = 0; tried < count; ++tried) {
        at = (at + step + count) % count;
        if (at == from)
            return;
        if (QWidget* target = focusTarget(m_panes.at(at))) {
            target->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}
