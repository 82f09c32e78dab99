// brindle-cli: the headless front end. Runs one section download of the given groups
// with the same core, options file, settings store and browser as the desktop program.

#include "app/cli/cli_arguments.h"
#include "app/cli/progress_printer.h"
#include "common/pacing.h"
#include "common/text_utils.h"
#include "engine/messages/text_thread.h"
#include "platform/browser/browser_environment.h"
#include "platform/browser/web_engine_browser.h"
#include "platform/dispatcher/dispatcher.h"
#include "platform/htmltext/html_text.h"
#include "platform/sound/sound_player.h"
#include "settings/diagnostics/log_file.h"
#include "settings/options/download_options.h"
#include "settings/store/program_settings.h"
#include "site/retrieval/browser_page_access.h"
#include "site/retrieval/page_retrieval.h"

#include <QApplication>
#include <QDir>
#include <QTextStream>

#include <atomic>
#include <csignal>

namespace {

// The browser engine runs without a display and without background traffic.
void PrepareHeadlessEnvironment()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine's start-up report is noise on a terminal.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.webenginecontext.info=false");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --disable-background-networking --disable-component-update");
    brindle::PrepareBrowserEnvironment();
}

std::atomic<brindle::SectionWorker *> g_runningWorker{nullptr};

// Ctrl-C stops the run the way the progress window's "stop all" does; a second one ends the program.
extern "C" void OnInterrupt(int)
{
    if (brindle::SectionWorker *worker = g_runningWorker.load())
        worker->RequestStopAll();
    std::signal(SIGINT, SIG_DFL);
}

brindle::SectionWorker::Setup MakeSetup(const brindle::CliRun &run, brindle::TYahooDownloadOptions &options)
{
    brindle::SectionWorker::Setup setup;
    // The desktop program's last user: groups of that user's list get their last
    // downloaded message recorded, as after a run of the desktop program.
    setup.userName = brindle::ReadUserName();
    setup.groups = run.groups;
    setup.options = &options;
    setup.debug = run.debug;
    return setup;
}

} // namespace

int main(int argc, char **argv)
{
    using namespace brindle;
    PrepareHeadlessEnvironment();
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    const CliParse parse = ParseCliArguments(app.arguments(), qEnvironmentVariable("BRINDLE_PACING"));
    if (parse.outcome == CliParse::Outcome::Help) {
        out << parse.text;
        return 0;
    }
    if (parse.outcome == CliParse::Outcome::Error) {
        err << "brindle-cli: " << parse.text << Qt::endl;
        return 2;
    }
    const CliRun &run = parse.run;
    CurrentPacing() = Pacing::scaled(run.pacing);

    TYahooDownloadOptions options;
    options.Load();
    InstallApplicationLog(options.m_boolEnableAppLogging);
    if (!run.dir.isEmpty())
        options.strSaveDir = WithTrailingSlash(QDir(run.dir).absolutePath());
    options.m_intMessageFormat = run.format < 0 ? 0 : run.format;
    options.SetSection(Section::Messages);

    WebEngineBrowser browser;
    PageRetrieval retrieval(browser);
    QtDispatcher dispatcher;
    BrowserPageAccess pages(retrieval, dispatcher);
    QtSoundPlayer sound;
    ProgressPrinter printer(run.groups, out);
    printer.SetOnRunEnded([&app] { app.quit(); });

    SectionWorker::Services services;
    services.pages = &pages;
    services.dispatcher = &dispatcher;
    services.progress = &printer;
    services.sound = &sound;
    services.pacing = CurrentPacing();
    const QList<int> to(run.groups.size(), run.to);
    const QList<int> from(run.groups.size(), run.from);
    TTextThread worker(MakeSetup(run, options), services, to, from, HtmlToPlainText);

    out << "Archive folder: " << options.strSaveDir << Qt::endl;
    g_runningWorker.store(&worker);
    std::signal(SIGINT, OnInterrupt);
    worker.Resume();
    app.exec();
    worker.Join();
    g_runningWorker.store(nullptr);

    printer.PrintTable();
    return printer.AllGroupsSucceeded() ? 0 : 1;
}
