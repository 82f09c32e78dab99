#pragma once

#include "engine/driver/section_worker.h"

namespace brindle {

// A worker that is never started: the main window creates it as the page-fetch
// context of a message model when it reads a group's message numbers outside a run.
class TAttachThread final : public SectionWorker {
public:
    TAttachThread(Setup setup, Services services)
        : SectionWorker(ContextOnly(std::move(setup)), std::move(services))
    {
    }

protected:
    void DownloadGroup(int, const QString &) override {}
    void ResetGroupCounters() override {}
    RowCounters GroupCounters() const override { return {}; }
    void FinalTexts() override {}

private:
    static Setup ContextOnly(Setup setup)
    {
        setup.contextOnly = true;
        return setup;
    }
};

} // namespace brindle
