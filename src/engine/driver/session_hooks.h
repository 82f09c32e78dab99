#pragma once

#include <functional>

namespace brindle {

// What a run asks of the session before each group. Both run in the main thread.
// The login code fills them in; an empty hook does nothing (relogin counts as done).
struct SessionHooks {
    // The automatic login; returns whether it succeeded.
    std::function<bool()> relogin;
    // Clears the browser's cache, cookies included.
    std::function<void()> clearCache;
};

} // namespace brindle
