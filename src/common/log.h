#pragma once

#include <QString>

#include <functional>

namespace brindle {

// Writes one entry to the application log. Every layer logs through this call;
// the diagnostics layer installs the sink that writes the log file (and decides
// whether logging is on). Without a sink nothing is written. Thread-safe.
void Log(const QString &text);

using LogSink = std::function<void(const QString &text)>;

// Installs the sink (or removes it with an empty function). Call while no other
// thread logs, e.g. at start-up.
void SetLogSink(LogSink sink);

} // namespace brindle
