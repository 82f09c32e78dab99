#pragma once

#include "engine/driver/progress_events.h"

#include <QList>
#include <QStringList>
#include <QTextStream>

#include <functional>

namespace brindle {

// Shows a run's progress events as lines of text and keeps each group's last row
// for the final table.
class ProgressPrinter final : public ProgressEvents {
public:
    ProgressPrinter(QStringList groups, QTextStream &out);

    void GroupText(const QString &text, int position) override;
    void ItemText(const QString &text, int position) override;
    void GroupRange(int minimum, int maximum) override;
    void ItemRange(int minimum, int maximum) override;
    void ItemReset() override;
    void GroupRow(int groupIndex, TDownloadStatus status, const RowCounters &counters) override;
    void RunEnded() override;

    // Called once the run has ended.
    void SetOnRunEnded(std::function<void()> handler) { m_onRunEnded = std::move(handler); }

    // One line per group: name, status text and the counters.
    void PrintTable();
    // True when every group ended Completed or Ok.
    bool AllGroupsSucceeded() const;

private:
    struct Row {
        QString group;
        bool reported = false;
        TDownloadStatus status = dsWaiting;
        RowCounters counters;
    };

    QList<Row> m_rows;
    QTextStream &m_out;
    QString m_lastItemText;
    std::function<void()> m_onRunEnded;
};

} // namespace brindle
