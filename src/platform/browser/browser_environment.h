#pragma once

namespace brindle {

// Prepares the process for the browser engine. Call at the top of main(), before
// the QApplication is created: running as root the engine's sandbox cannot start,
// so it is switched off there.
void PrepareBrowserEnvironment();

} // namespace brindle
