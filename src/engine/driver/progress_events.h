#pragma once

#include "common/download_status.h"

#include <QList>
#include <QString>

#include <optional>

namespace brindle {

// One counter of a group's row (the section's columns), e.g. {"Saved", 12}.
struct RowCounter {
    QString name;
    qint64 value = 0;
};
using RowCounters = QList<RowCounter>;

// What a run reports to whoever watches it (the progress window, brindle-cli).
// The worker calls every event in the main thread and waits until it has run.
class ProgressEvents {
public:
    virtual ~ProgressEvents() = default;

    // Group status label and group bar position.
    virtual void GroupText(const QString &text, int position) = 0;
    // Item status label and item bar position.
    virtual void ItemText(const QString &text, int position) = 0;
    virtual void GroupRange(int minimum, int maximum) = 0;
    virtual void ItemRange(int minimum, int maximum) = 0;
    // Item bar range 0 to 0.
    virtual void ItemReset() = 0;
    // The group's row: status, the section's counters; the row image follows RowImage(status).
    virtual void GroupRow(int groupIndex, TDownloadStatus status, const RowCounters &counters) = 0;
    // The run has ended (always called once per started run, whatever happened).
    virtual void RunEnded() = 0;
};

// Image of a group row for a status; no value means the row keeps its image.
std::optional<int> RowImage(TDownloadStatus status);

} // namespace brindle
