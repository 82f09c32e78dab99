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
    QMetaObject::invokeMethod(this, [&call] { call(); }, Qt::BlockingQueuedConnection);
}

} // namespace brindle
