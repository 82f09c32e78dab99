#pragma once

#include "common/download_status.h"
#include "common/pacing.h"
#include "engine/driver/progress_events.h"
#include "engine/driver/session_hooks.h"
#include "settings/options/download_options.h"
#include "site/page_access.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <thread>

namespace brindle {

class Dispatcher;
class SoundPlayer;

// The skeleton every section's run shares: the loop over the groups, the two stop
// requests, the login step, the adult-content confirmation, the progress events, the
// sounds and the advanced delay. A section derives from it and downloads one group in
// DownloadGroup. The worker is also the page access of the site models it creates:
// it hands every page request to the browser's page access.
class SectionWorker : public PageAccess {
public:
    struct Setup {
        QString userName;
        QString password;
        QStringList groups;                       // in download order
        TYahooDownloadOptions *options = nullptr; // not owned; outlives the worker
        bool debug = false;                       // page dumps of the site models
        bool contextOnly = false;                 // never started: only a page-fetch context
    };
    // What the worker reaches the main thread, the browser and the system through.
    struct Services {
        PageAccess *pages = nullptr;         // the browser side; required
        Dispatcher *dispatcher = nullptr;    // runs a call in the main thread; required
        ProgressEvents *progress = nullptr;  // may be null for a context-only worker
        SoundPlayer *sound = nullptr;        // may be null: no sounds
        SessionHooks session;
        Pacing pacing = CurrentPacing();
    };

    SectionWorker(Setup setup, Services services);
    ~SectionWorker() override;

    SectionWorker(const SectionWorker &) = delete;
    SectionWorker &operator=(const SectionWorker &) = delete;

    // Starts the run in a thread of its own; RunEnded follows in the main thread when
    // it is over. Does nothing for a context-only worker or when already started.
    void Resume();
    // Runs the whole run, run-end handler included, in the calling thread.
    void RunHere();
    // True once the run, run-end handler included, is over.
    bool Finished() const { return m_finished.load(); }
    // Waits for the run's thread to end. Call it after RunEnded has been delivered,
    // or from a thread other than the main thread.
    void Join();

    // The progress window's two stop buttons (any thread).
    void RequestStopCurrent() { m_stopCurrent.store(true); }
    void RequestStopAll() { m_stopAll.store(true); }
    void ClearStopRequests();
    bool StopCurrentRequested() const { return m_stopCurrent.load(); }
    bool StopAllRequested() const { return m_stopAll.load(); }

    // Page access of the site models: handed to the browser side.
    bool FetchPageSync(const QString &address, QStringList &lines) override;
    bool ClickSync(const QString &elementName, const QString &caption, QStringList &lines) override;
    QString LocationURL() override;

    // Logs in again (in the main thread) when the last login was automatic and the
    // options ask for it; otherwise true.
    bool Relogin();

    const QString &UserName() const { return m_setup.userName; }
    const QString &Password() const { return m_setup.password; }
    const QStringList &Groups() const { return m_setup.groups; }
    TYahooDownloadOptions *Options() const { return m_setup.options; }
    bool Debug() const { return m_setup.debug; }
    const Pacing &pacing() const { return m_services.pacing; }

    // The run as the worker thread executes it. Never throws.
    void Execute();

protected:
    // The section's part of one group: create the site model, open the group's home
    // page (PassGroupHome), download, and end with the group's final GroupRow.
    virtual void DownloadGroup(int index, const QString &group) = 0;
    // Zeroes the per-group counters before a group starts.
    virtual void ResetGroupCounters() = 0;
    // The counters of the current group's row.
    virtual RowCounters GroupCounters() const = 0;
    // The section's final ItemText and GroupText after the last group.
    virtual void FinalTexts() = 0;

    // Opens the group's home page and passes the adult-content confirmation when the
    // service asks for it. False when the confirmation could not be clicked.
    bool PassGroupHome(const QString &homeUrl);

    // Clears a stop-current request; true when there was one.
    bool TakeStopCurrent() { return m_stopCurrent.exchange(false); }

    // Pauses the run for the advanced delay once `downloaded` (this run's items so far)
    // reaches `threshold` times the pauses taken (plus one). Writes the log line with
    // `counterText` before the sum. onPause/onResume wrap the pause (pool managers).
    // Does nothing while the advanced delay is off.
    void AdvancedDelay(qint64 downloaded, int threshold, const QString &counterText, int itemPosition,
                       const std::function<void()> &onPause = {}, const std::function<void()> &onResume = {});

    void PlaySuccessSound();
    void PlayErrorSound();

    // The progress events, each run in the main thread.
    void GroupText(const QString &text, int position);
    void ItemText(const QString &text, int position);
    void GroupRange(int minimum, int maximum);
    void ItemRange(int minimum, int maximum);
    void ItemReset();
    void GroupRow(int index, TDownloadStatus status, const RowCounters &counters);
    // GroupRow with the current group's counters.
    void GroupRow(int index, TDownloadStatus status) { GroupRow(index, status, GroupCounters()); }

    // A fixed wait of the worker.
    void Sleep(Pacing::ms duration) const;
    void InMainThread(const std::function<void()> &call) const;

    int ItemMaximum() const { return m_itemMaximum; }
    int GroupCount() const { return int(m_setup.groups.size()); }

private:
    bool PrepareLogin();
    void RunGroups();
    void EndRun();
    void PlaySound(const QString &file);

    Setup m_setup;
    Services m_services;
    std::atomic<bool> m_stopCurrent{false};
    std::atomic<bool> m_stopAll{false};
    std::atomic<bool> m_finished{false};
    std::thread m_thread;
    int m_currentGroup = -1;
    int m_itemMaximum = 0;
    int m_AdvDelayHitCount = 1;
};

} // namespace brindle
