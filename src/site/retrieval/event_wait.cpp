#include "site/retrieval/event_wait.h"

#include "common/pacing.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace brindle {

void Delay(std::chrono::milliseconds wait)
{
    const QDeadlineTimer deadline(wait, Qt::PreciseTimer);
    do {
        try {
            QEventLoop loop;
            QTimer::singleShot(int(deadline.remainingTime()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
            loop.exec();
        } catch (...) {
        }
    } while (!deadline.hasExpired());
}

void PollEvents()
{
    try {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    } catch (...) {
    }
    Delay(CurrentPacing().pollInterval);
}

} // namespace brindle
