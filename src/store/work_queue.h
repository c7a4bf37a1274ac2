#pragma once

#include <QList>
#include <QObject>
#include <functional>

// Work for the event loop: one task per turn, in the order it was queued, each after the
// event that queued it. Held while a modal question is open, whose own event loop must not
// change the notes under the question.
class WorkQueue : public QObject
{
    Q_OBJECT

public:
    using Work = std::function<void()>;
    using QObject::QObject;

    void add(Work work) { append(std::move(work), false); }
    // A load reads the folder as it is when it runs: a second one right behind the first
    // would read the same files again.
    void addLoad(Work load) { append(std::move(load), true); }
    bool lastIsLoad() const { return m_lastIsLoad; }

    void hold() { ++m_holds; }
    void release();

private:
    void append(Work work, bool isLoad);
    void schedule();

    QList<Work> m_work;
    bool m_scheduled = false;
    bool m_lastIsLoad = false;
    int m_holds = 0;
};
