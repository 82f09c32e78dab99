#pragma once

#include "common/log.h"
#include "common/pacing.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>

#include <functional>
#include <mutex>

namespace brindle::test {

// Collects every log line while it lives.
class LogCapture {
public:
    LogCapture()
    {
        SetLogSink([this](const QString &text) {
            std::lock_guard lock(m_mutex);
            m_lines.append(text);
        });
    }
    ~LogCapture() { SetLogSink({}); }

    QStringList lines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    int count(const QString &text) const { return int(lines().count(text)); }

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

// Processes events until the condition holds or the time is up; returns the condition.
inline bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Pacing for the tests: every fixed wait cut to a small fraction.
inline void UseTestPacing()
{
    CurrentPacing() = Pacing::scaled(0.02);
}

} // namespace brindle::test
