#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace brindle {

// Runs a call in the main thread and blocks the calling thread until it has run.
// Workers reach the browser, the windows and every progress update only through it.
class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    virtual void runInMainThread(const std::function<void()> &call) = 0;
};

// Runs the call at once in the calling thread; for unit tests.
class InlineDispatcher final : public Dispatcher {
public:
    void runInMainThread(const std::function<void()> &call) override { call(); }
};

// Queues the call to the thread this object lives in (create it in the main thread)
// and waits until it has run. A call from that thread itself runs directly, so the
// main thread never deadlocks on itself.
//
// The calls travel through a queue of our own under a std::mutex, the caller waits
// on a condition variable, and the main thread is woken through a pipe that its
// event loop watches. Nothing of Qt's crosses the threads, so every hand-over is
// one that ThreadSanitizer can see.
class QtDispatcher final : public QObject, public Dispatcher {
    Q_OBJECT
public:
    explicit QtDispatcher(QObject *parent = nullptr);
    ~QtDispatcher() override;
    void runInMainThread(const std::function<void()> &call) override;

private:
    struct Pending {
        const std::function<void()> *call;
        bool done = false;
    };

    void wake();
    void runPending();

    std::mutex m_mutex;
    std::condition_variable m_finished;
    std::deque<Pending *> m_queue;
    int m_wakeRead = -1;
    int m_wakeWrite = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace brindle
