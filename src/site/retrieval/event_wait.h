#pragma once

#include <chrono>

namespace brindle {

// Waits at least the given time in the main thread while its events keep being
// processed, so the windows stay responsive and the browser keeps loading. The
// thread sleeps between events. An exception raised while processing is swallowed.
void Delay(std::chrono::milliseconds wait);

// One step of a page loop: process what is pending, then wait the poll interval
// of the current pacing (processing events meanwhile).
void PollEvents();

} // namespace brindle
