#include "app/cli/progress_printer.h"

#include <algorithm>

namespace brindle {

ProgressPrinter::ProgressPrinter(QStringList groups, QTextStream &out)
    : m_out(out)
{
    for (const QString &group : groups)
        m_rows.append(Row{group, false, dsWaiting, {}});
}

void ProgressPrinter::GroupText(const QString &text, int)
{
    m_out << "== " << text << Qt::endl;
}

void ProgressPrinter::ItemText(const QString &text, int)
{
    if (text == m_lastItemText)
        return;
    m_lastItemText = text;
    m_out << "   " << text << Qt::endl;
}

void ProgressPrinter::GroupRange(int, int)
{
}

void ProgressPrinter::ItemRange(int minimum, int maximum)
{
    m_out << "   items " << minimum << " to " << maximum << Qt::endl;
}

void ProgressPrinter::ItemReset()
{
    m_lastItemText.clear();
}

void ProgressPrinter::GroupRow(int groupIndex, TDownloadStatus status, const RowCounters &counters)
{
    if (groupIndex < 0 || groupIndex >= m_rows.size())
        return;
    Row &row = m_rows[groupIndex];
    const bool changed = !row.reported || row.status != status;
    row.reported = true;
    row.status = status;
    // Counters not given keep their values, as the window's columns do.
    for (const RowCounter &counter : counters) {
        auto it = std::find_if(row.counters.begin(), row.counters.end(),
                               [&](const RowCounter &c) { return c.name == counter.name; });
        if (it == row.counters.end())
            row.counters.append(counter);
        else
            it->value = counter.value;
    }
    if (changed)
        m_out << "   [" << row.group << "] " << StatusText(status) << Qt::endl;
}

void ProgressPrinter::RunEnded()
{
    m_out << "Run ended." << Qt::endl;
    if (m_onRunEnded)
        m_onRunEnded();
}

void ProgressPrinter::PrintTable()
{
    QStringList names;
    for (const Row &row : m_rows) {
        for (const RowCounter &c : row.counters) {
            if (!names.contains(c.name))
                names.append(c.name);
        }
    }
    int groupWidth = 5;
    for (const Row &row : m_rows)
        groupWidth = std::max(groupWidth, int(row.group.size()));

    m_out << Qt::endl << QStringLiteral("Group").leftJustified(groupWidth + 2) << QStringLiteral("Status").leftJustified(16);
    for (const QString &name : names)
        m_out << name.rightJustified(9);
    m_out << Qt::endl;
    for (const Row &row : m_rows) {
        const QString status = row.reported ? StatusText(row.status) : QStringLiteral("(not reached)");
        m_out << row.group.leftJustified(groupWidth + 2) << status.leftJustified(16);
        for (const QString &name : names) {
            auto it = std::find_if(row.counters.begin(), row.counters.end(),
                                   [&](const RowCounter &c) { return c.name == name; });
            m_out << (it == row.counters.end() ? QString() : QString::number(it->value)).rightJustified(9);
        }
        m_out << Qt::endl;
    }
    m_out.flush();
}

bool ProgressPrinter::AllGroupsSucceeded() const
{
    return std::all_of(m_rows.begin(), m_rows.end(), [](const Row &row) {
        return row.reported && (row.status == dsCompleted || row.status == dsOk);
    });
}

} // namespace brindle
