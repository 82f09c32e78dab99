#pragma once

#include "engine/driver/progress_events.h"
#include "platform/sound/sound_player.h"
#include "site/page_access.h"

#include <QMap>
#include <QStringList>

#include <functional>

namespace brindle::test {

// Serves canned pages by address; records every request.
class FakePageAccess : public PageAccess {
public:
    QMap<QString, QString> pages;        // address -> HTML
    QMap<QString, QString> redirects;    // address -> address the browser ends on
    QStringList requests;
    QStringList clicks;
    bool clickResult = true;
    std::function<void(const QString &address)> onFetch;

    bool FetchPageSync(const QString &address, QStringList &lines) override
    {
        requests.append(address);
        if (onFetch)
            onFetch(address);
        lines.clear();
        m_location = redirects.value(address, address);
        const auto page = pages.constFind(address);
        if (page == pages.constEnd())
            return false;
        lines = page->split(QLatin1Char('\n'));
        return true;
    }

    bool ClickSync(const QString &elementName, const QString &caption, QStringList &lines) override
    {
        clicks.append(elementName + QLatin1Char('|') + caption);
        lines.clear();
        return clickResult;
    }

    QString LocationURL() override { return m_location; }

private:
    QString m_location;
};

// Records the progress events as readable lines.
class RecordingProgress : public ProgressEvents {
public:
    QStringList events;
    int runEnded = 0;
    // Called after each GroupRow, e.g. to press a stop button at the right moment.
    std::function<void(int index, TDownloadStatus status)> onRow;

    void GroupText(const QString &text, int position) override
    {
        events.append(QStringLiteral("GroupText %1 @%2").arg(text).arg(position));
    }
    void ItemText(const QString &text, int position) override
    {
        events.append(QStringLiteral("ItemText %1 @%2").arg(text).arg(position));
    }
    void GroupRange(int minimum, int maximum) override
    {
        events.append(QStringLiteral("GroupRange %1-%2").arg(minimum).arg(maximum));
    }
    void ItemRange(int minimum, int maximum) override
    {
        events.append(QStringLiteral("ItemRange %1-%2").arg(minimum).arg(maximum));
    }
    void ItemReset() override { events.append(QStringLiteral("ItemReset")); }
    void GroupRow(int index, TDownloadStatus status, const RowCounters &counters) override
    {
        QString line = QStringLiteral("GroupRow %1 %2").arg(index).arg(StatusText(status));
        for (const RowCounter &c : counters)
            line += QStringLiteral(" %1=%2").arg(c.name).arg(c.value);
        events.append(line);
        lastStatus[index] = status;
        if (onRow)
            onRow(index, status);
    }
    void RunEnded() override { ++runEnded; }

    QStringList Matching(const QString &start) const
    {
        QStringList found;
        for (const QString &e : events)
            if (e.startsWith(start))
                found.append(e);
        return found;
    }

    QMap<int, TDownloadStatus> lastStatus;
};

class RecordingSound : public SoundPlayer {
public:
    QStringList played;
    void PlayToEnd(const QString &file) override { played.append(file); }
};

} // namespace brindle::test
