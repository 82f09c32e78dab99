#include "common/download_status.h"

#include <array>

namespace brindle {

QString StatusText(int status)
{
    static const std::array<const char *, 14> texts = {
        "Waiting", "Starting", "Downloading", "Completed", "Stopped", "Blocked", "Not Available",
        "Error", "Ok", "NetworkError", "Skipped", "Timeout", "W/O Dups", "Wrong Password",
    };
    if (status < 0 || status >= int(texts.size()))
        return {};
    return QString::fromLatin1(texts[std::size_t(status)]);
}

} // namespace brindle
