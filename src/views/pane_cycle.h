#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

// Moves the keyboard focus between the window's parts in a fixed order, for F6 and Shift+F6:
// each press reaches the next part that is shown, wrapping at the ends, so that a part
// without a mouse-free way in (the message bar) is reached too.
class PaneCycle : public QObject
{
    Q_OBJECT

public:
    // The parts in order; a part takes the focus through its focus proxy, else through its
    // first child that takes the focus from the keyboard.
    explicit PaneCycle(const QList<QWidget*>& panes, QObject* parent = nullptr);

    void next() { move(1); }
    void previous() { move(-1); }

private:
    void move(int step);
    int current() const;

    QList<QPointer<QWidget>> m_panes;
};
