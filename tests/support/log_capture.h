#pragma once

#include "common/log.h"

#include <QString>
#include <QStringList>

#include <mutex>

namespace brindle::test {

// Collects every log line while it lives (from any thread).
class LogCapture {
public:
    LogCapture()
    {
        SetLogSink([this](const QString &text) {
            std::lock_guard lock(m_mutex);
            m_lines.append(text);
        });
    }
    ~LogCapture() { SetLogSink({}); }

    QStringList lines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    QString Text() const { return lines().join(QLatin1Char('\n')); }
    int count(const QString &text) const { return int(lines().count(text)); }

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

} // namespace brindle::test
