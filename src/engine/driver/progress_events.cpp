#include "engine/driver/progress_events.h"

namespace brindle {

std::optional<int> RowImage(TDownloadStatus status)
{
    switch (status) {
    case dsWaiting:
        return 0;
    case dsStarting:
    case dsDownloading:
        return 3;
    case dsCompleted:
    case dsOk:
    case dsWithoutDups:
        return 1;
    case dsStopped:
    case dsBlocked:
    case dsNotAvailable:
    case dsError:
    case dsNetworkError:
    case dsSkipped:
        return 2;
    case dsTimeout:
    case dsWrongPassword:
        break;
    }
    return std::nullopt;
}

} // namespace brindle
