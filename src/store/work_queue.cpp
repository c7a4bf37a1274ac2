#include "store/work_queue.h"

void WorkQueue::append(Work work, bool isLoad)
{
    m_work.append(std::move(work));
    m_lastIsLoad = isLoad;
    schedule();
}

void WorkQueue::release()
{
    --m_holds;
    schedule();
}

void WorkQueue::schedule()
{
    if (m_scheduled || m_holds > 0 || m_work.isEmpty())
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_scheduled = false;
            if (m_holds > 0 || m_work.isEmpty())
                return;
            const Work work = m_work.takeFirst();
            if (m_work.isEmpty())
                m_lastIsLoad = false;
            work();
            schedule();
        },
        Qt::QueuedConnection);
}
