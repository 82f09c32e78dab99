#include "platform/dispatcher/dispatcher.h"

#include <QThread>

namespace brindle {

QtDispatcher::QtDispatcher(QObject *parent)
    : QObject(parent)
{
}

void QtDispatcher::runInMainThread(const std::function<void()> &call)
{
    if (QThread::currentThread() == thread()) {
        call();
        return;
    }
    Pending pending{&call};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(&pending);
    }
    // By name, so no object of ours crosses the threads inside Qt's event.
    QMetaObject::invokeMethod(this, "runPending", Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_finished.wait(lock, [&pending] { return pending.done; });
}

void QtDispatcher::runPending()
{
    for (;;) {
        Pending *pending = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty())
                return;
            pending = m_queue.front();
            m_queue.pop_front();
        }
        // The caller waits whatever happens; a throwing call must not leave it hanging.
        struct Release {
            QtDispatcher *self;
            Pending *pending;
            ~Release()
            {
                {
                    std::lock_guard<std::mutex> lock(self->m_mutex);
                    pending->done = true;
                }
                self->m_finished.notify_all();
            }
        } release{this, pending};
        (*pending->call)();
    }
}

} // namespace brindle
