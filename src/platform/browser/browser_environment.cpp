#include "platform/browser/browser_environment.h"

#include <QByteArray>
#include <QtGlobal>

#include <unistd.h>

namespace brindle {

void PrepareBrowserEnvironment()
{
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", QByteArray("1"));
}

} // namespace brindle
