#pragma once

#include <cstdint>

namespace brindle {

// Login state of the session owned by the main window.
enum TLoginState : std::uint8_t {
    lsNone = 0,
    lsLoggingIn = 3,
    lsFailed = 7,
    lsLoggedIn = 8,
};

} // namespace brindle
