#pragma once

#include <QString>
#include <cstdint>

namespace brindle {

// Status of a download item, of a group row in the progress window, and the
// result of most fetch operations. Stored as one byte.
enum TDownloadStatus : std::uint8_t {
    dsWaiting = 0,
    dsStarting = 1,
    dsDownloading = 2,
    dsCompleted = 3,
    dsStopped = 4,
    dsBlocked = 5,
    dsNotAvailable = 6,
    dsError = 7,
    dsOk = 8,
    dsNetworkError = 9,
    dsSkipped = 10,
    dsTimeout = 11,
    dsWithoutDups = 12,
    dsWrongPassword = 13,
};

// Display text of a status value; values outside 0..13 give an empty text.
QString StatusText(int status);

} // namespace brindle
