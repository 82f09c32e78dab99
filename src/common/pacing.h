#pragma once

#include <chrono>

namespace brindle {

// Every fixed wait of the program, in one place. The defaults are the program's
// documented values; tests, the demo and benchmarks construct a scaled copy.
// Product code never shortens a wait on its own.
struct Pacing {
    using ms = std::chrono::milliseconds;

    ms openUrlDelay{500};          // before each navigation in OpenURL, and between its retries
    ms clickSettle{2000};          // each of the settle waits of ClickAndWait / NavigateAndRead
    ms pollInterval{5};            // the "process messages; sleep" step of the page loops
    ms viewerStartWait{2000};      // SendToViewer: wait for a freshly started viewer
    ms viewerReplyLimit{10000};    // SendToViewer: longest wait for the viewer's answer (a limit, not scaled)
    ms poolPoll{500};              // pool progress polls
    ms betweenMessages{0};         // pause between two messages of the message walk
    ms advancedDelayCheck{5000};   // how often the advanced delay looks at the stop flags
    ms skipGroupDelay{500};        // a worker's pause before it marks a group Skipped
    ms messageScanWait{1000};      // message walk: before reading the next message number
    ms messageAfterFetch{500};     // message walk: after each message page
    int advancedDelayMinuteMs{60000}; // length of one minute of the advanced delay

    // Limits rather than waits: they only end a wait that would otherwise hang, so
    // scaled() leaves them alone.
    ms pageWaitLimit{120000};      // longest a page operation waits for a busy browser before it reads what is there
    ms navigationStartLimit{5000}; // a navigation that has not started loading by then no longer counts as busy
    ms browserCallTimeout{30000};  // reading a document's HTML or running a script on it

    // Every wait multiplied by factor (0 gives no waits at all, except polling).
    static Pacing scaled(double factor)
    {
        Pacing p;
        auto s = [factor](ms v) { return ms(static_cast<long long>(double(v.count()) * factor)); };
        p.openUrlDelay = s(p.openUrlDelay);
        p.clickSettle = s(p.clickSettle);
        p.viewerStartWait = s(p.viewerStartWait);
        p.poolPoll = s(p.poolPoll);
        p.betweenMessages = s(p.betweenMessages);
        p.advancedDelayCheck = s(p.advancedDelayCheck);
        p.skipGroupDelay = s(p.skipGroupDelay);
        p.messageScanWait = s(p.messageScanWait);
        p.messageAfterFetch = s(p.messageAfterFetch);
        p.advancedDelayMinuteMs = int(double(p.advancedDelayMinuteMs) * factor);
        if (p.pollInterval.count() < 1)
            p.pollInterval = ms(1);
        return p;
    }
};

// The pacing in force for this process. Set once at start-up (tests, demo, benchmarks).
Pacing &CurrentPacing();

} // namespace brindle
