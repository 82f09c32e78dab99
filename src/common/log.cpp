#include "common/log.h"

namespace brindle {

static LogSink &Sink()
{
    static LogSink sink;
    return sink;
}

void Log(const QString &text)
{
    const LogSink &sink = Sink();
    if (sink)
        sink(text);
}

void SetLogSink(LogSink sink)
{
    Sink() = std::move(sink);
}

} // namespace brindle
