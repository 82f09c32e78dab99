#include "engine/driver/section_worker.h"

#include "common/log.h"
#include "common/text_utils.h"
#include "platform/dispatcher/dispatcher.h"
#include "platform/sound/sound_player.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QThread>

#include <chrono>

namespace brindle {

SectionWorker::SectionWorker(Setup setup, Services services)
    : m_setup(std::move(setup))
    , m_services(std::move(services))
{
}

SectionWorker::~SectionWorker()
{
    if (!m_thread.joinable())
        return;
    RequestStopAll();
    // The run may be waiting for a call into this thread; keep serving it until the
    // run is over, so the join below cannot deadlock.
    if (QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread()) {
        while (!m_finished.load())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    m_thread.join();
}

void SectionWorker::Resume()
{
    if (m_setup.contextOnly || m_thread.joinable() || m_finished.load())
        return;
    m_thread = std::thread([this] { RunHere(); });
}

void SectionWorker::RunHere()
{
    if (m_setup.contextOnly)
        return;
    Execute();
    try {
        if (m_services.progress)
            InMainThread([this] { m_services.progress->RunEnded(); });
    } catch (...) {
    }
    m_finished.store(true);
}

void SectionWorker::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void SectionWorker::ClearStopRequests()
{
    m_stopCurrent.store(false);
    m_stopAll.store(false);
}

void SectionWorker::Execute()
{
    if (m_setup.contextOnly)
        return;
    try {
        RunGroups();
        EndRun();
    } catch (...) {
        // A fault the sections did not handle ends the run; the run-end handler still runs.
        Log(QStringLiteral("Download run ended by an unexpected error"));
        try {
            if (m_currentGroup >= 0)
                GroupRow(m_currentGroup, dsError, {});
        } catch (...) {
        }
    }
}

void SectionWorker::RunGroups()
{
    const int count = GroupCount();
    GroupRange(0, count);
    for (int i = 0; i < count; ++i) {
        m_currentGroup = i;
        const QString group = Trim(m_setup.groups.at(i));
        if (m_stopCurrent.load() || m_stopAll.load()) {
            Sleep(m_services.pacing.skipGroupDelay);
            // The row keeps its counters: nothing of this group was touched.
            GroupRow(i, dsSkipped, {});
            TakeStopCurrent();
            continue;
        }
        ResetGroupCounters();
        ItemReset();
        GroupText(QStringLiteral("Downloading From Group - %1 (%2 of %3)").arg(group).arg(i + 1).arg(count), i);
        GroupRow(i, dsStarting);
        ItemText(QStringLiteral("Checking Group - %1").arg(group), 0);
        if (!PrepareLogin()) {
            GroupRow(i, dsError);
            continue;
        }
        DownloadGroup(i, group);
    }
    m_currentGroup = -1;
}

void SectionWorker::EndRun()
{
    PlaySuccessSound();
    m_stopAll.store(false);
    FinalTexts();
}

bool SectionWorker::PrepareLogin()
{
    const TYahooDownloadOptions *options = m_setup.options;
    if (!options || !options->m_boolLastLoginAutomated)
        return true;
    if (options->m_boolClearCacheBeforeDownload && m_services.session.clearCache)
        InMainThread(m_services.session.clearCache);
    if (options->m_boolReloginBeforeDownload && !Relogin())
        return false;
    return true;
}

bool SectionWorker::Relogin()
{
    const TYahooDownloadOptions *options = m_setup.options;
    if (!options || !options->m_boolLastLoginAutomated || !options->m_boolReloginBeforeDownload)
        return true;
    if (!m_services.session.relogin)
        return true;
    bool result = false;
    InMainThread([&] { result = m_services.session.relogin(); });
    return result;
}

bool SectionWorker::FetchPageSync(const QString &address, QStringList &lines)
{
    return m_services.pages->FetchPageSync(address, lines);
}

bool SectionWorker::ClickSync(const QString &elementName, const QString &caption, QStringList &lines)
{
    return m_services.pages->ClickSync(elementName, caption, lines);
}

QString SectionWorker::LocationURL()
{
    return m_services.pages->LocationURL();
}

bool SectionWorker::PassGroupHome(const QString &homeUrl)
{
    QStringList lines;
    FetchPageSync(homeUrl, lines);
    if (!ContainsText(LocationURL(), QStringLiteral("adultconf")))
        return true;
    return ClickSync(QStringLiteral("accept"), QString(), lines);
}

void SectionWorker::AdvancedDelay(qint64 downloaded, int threshold, const QString &counterText, int itemPosition,
                                  const std::function<void()> &onPause, const std::function<void()> &onResume)
{
    const TYahooDownloadOptions *options = m_setup.options;
    if (!options || !options->m_boolEnableAdvDownloadDelay)
        return;
    Log(QStringLiteral("m_AdvDelayHitCount = ") + QString::number(m_AdvDelayHitCount) + counterText
        + QString::number(downloaded));
    if (downloaded < qint64(threshold) * m_AdvDelayHitCount)
        return;

    if (onPause)
        onPause();
    ++m_AdvDelayHitCount;
    const int minutes = options->m_intAdvDownloadDelayInMins;
    const QDateTime start = QDateTime::currentDateTime();
    const QString resumeAt = start.addSecs(qint64(minutes) * 60).toString(QStringLiteral("hh:mm:ss"));
    ItemText(QStringLiteral("Waiting %1 mins for Advanced delay - Download starts at : ").arg(minutes) + resumeAt,
             itemPosition);

    using clock = std::chrono::steady_clock;
    const auto end = clock::now() + std::chrono::milliseconds(qint64(minutes) * m_services.pacing.advancedDelayMinuteMs);
    while (!m_stopCurrent.load() && !m_stopAll.load() && clock::now() < end) {
        const auto left = std::chrono::duration_cast<Pacing::ms>(end - clock::now());
        Sleep(std::min(left, m_services.pacing.advancedDelayCheck));
    }
    if (onResume)
        onResume();
}

void SectionWorker::PlaySuccessSound()
{
    if (m_setup.options)
        PlaySound(m_setup.options->strSucessWaveFile);
}

void SectionWorker::PlayErrorSound()
{
    if (m_setup.options)
        PlaySound(m_setup.options->strErrorWaveFile);
}

void SectionWorker::PlaySound(const QString &file)
{
    if (!m_services.sound || !m_setup.options->boolEnableSoundEvents || !QFileInfo::exists(file))
        return;
    SoundPlayer *sound = m_services.sound;
    InMainThread([sound, &file] { sound->PlayToEnd(file); });
}

void SectionWorker::GroupText(const QString &text, int position)
{
    if (m_services.progress)
        InMainThread([&] { m_services.progress->GroupText(text, position); });
}

void SectionWorker::ItemText(const QString &text, int position)
{
    if (m_services.progress)
        InMainThread([&] { m_services.progress->ItemText(text, position); });
}

void SectionWorker::GroupRange(int minimum, int maximum)
{
    if (m_services.progress)
        InMainThread([&] { m_services.progress->GroupRange(minimum, maximum); });
}

void SectionWorker::ItemRange(int minimum, int maximum)
{
    m_itemMaximum = maximum;
    if (m_services.progress)
        InMainThread([&] { m_services.progress->ItemRange(minimum, maximum); });
}

void SectionWorker::ItemReset()
{
    m_itemMaximum = 0;
    if (m_services.progress)
        InMainThread([&] { m_services.progress->ItemReset(); });
}

void SectionWorker::GroupRow(int index, TDownloadStatus status, const RowCounters &counters)
{
    if (m_services.progress)
        InMainThread([&] { m_services.progress->GroupRow(index, status, counters); });
}

void SectionWorker::Sleep(Pacing::ms duration) const
{
    if (duration.count() > 0)
        std::this_thread::sleep_for(duration);
}

void SectionWorker::InMainThread(const std::function<void()> &call) const
{
    m_services.dispatcher->runInMainThread(call);
}

} // namespace brindle
