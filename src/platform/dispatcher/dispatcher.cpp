#include "platform/dispatcher/dispatcher.h"

#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace brindle {

QtDispatcher::QtDispatcher(QObject *parent)
    : QObject(parent)
{
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
        qFatal("QtDispatcher: no pipe for waking the main thread");
    m_wakeRead = fds[0];
    m_wakeWrite = fds[1];
    m_notifier = new QSocketNotifier(m_wakeRead, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { runPending(); });
}

QtDispatcher::~QtDispatcher()
{
    delete m_notifier;
    ::close(m_wakeRead);
    ::close(m_wakeWrite);
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
    wake();
    std::unique_lock<std::mutex> lock(m_mutex);
    m_finished.wait(lock, [&pending] { return pending.done; });
}

void QtDispatcher::wake()
{
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing is lost.
    while (::write(m_wakeWrite, &byte, 1) < 0 && errno == EINTR) {
    }
}

void QtDispatcher::runPending()
{
    char bytes[64];
    while (::read(m_wakeRead, bytes, sizeof bytes) > 0) {
    }
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
