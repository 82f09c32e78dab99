#pragma once

#include "common/log.h"
#include "common/pacing.h"
#include "support/log_capture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>

#include <functional>

namespace brindle::test {

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
