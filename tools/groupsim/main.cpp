// groupsim: the simulated service for tests, the demo and benchmarks.
//   groupsim --port P (--data FILE | --generate RECIPE) [--log] [--log-file FILE]
#include "groupsim/data_generator.h"
#include "groupsim/fixture_loader.h"
#include "groupsim/groupsim_server.h"

#include <QString>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <pthread.h>
#include <thread>

using namespace brindle::groupsim;

namespace {

const char kUsage[] =
    "usage: groupsim --port P (--data FILE | --generate RECIPE) [--log] [--log-file FILE]\n"
    "  --port P           port on 127.0.0.1 (0 picks a free one); default 0\n"
    "  --data FILE        JSON fixture with groups, messages, files, users and faults\n"
    "  --generate RECIPE  generated data, e.g. \"groups=3,messages=2000,seed=7\"\n"
    "  --log              one line per request on standard output\n"
    "  --log-file FILE    the same lines into a file\n"
    "The first line on standard output is \"groupsim listening on 127.0.0.1:PORT\".\n"
    "Stops on SIGTERM, SIGINT or POST http://groupsim.control/shutdown.\n";

struct Options {
    int port = 0;
    QString dataFile;
    std::string generate;
    bool log = false;
    std::string logFile;
};

bool ParseArguments(int argc, char **argv, Options &options, std::string &error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--log") {
            options.log = true;
        } else if (arg == "--help" || arg == "-h") {
            error.clear();
            return false;
        } else if (!hasValue) {
            error = arg + " is unknown or lacks its value";
            return false;
        } else if (arg == "--port") {
            bool ok = false;
            options.port = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || options.port < 0 || options.port > 65535) {
                error = "--port needs a port number";
                return false;
            }
        } else if (arg == "--data") {
            options.dataFile = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--generate") {
            options.generate = argv[++i];
        } else if (arg == "--log-file") {
            options.logFile = argv[++i];
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.dataFile.isEmpty() && options.generate.empty()) {
        error = "give --data FILE or --generate RECIPE";
        return false;
    }
    return true;
}

bool LoadData(const Options &options, SimData &data, std::string &error)
{
    QString why;
    if (!options.dataFile.isEmpty()) {
        auto loaded = LoadFixtureFile(options.dataFile, &why);
        if (!loaded) {
            error = why.toStdString();
            return false;
        }
        data.Merge(std::move(*loaded));
    }
    if (!options.generate.empty()) {
        const auto recipe = ParseGeneratorRecipe(options.generate, &why);
        if (!recipe) {
            error = why.toStdString();
            return false;
        }
        data.Merge(Generate(*recipe));
    }
    return true;
}

// Waits for SIGTERM or SIGINT (blocked in every thread) and stops the server.
void WatchSignals(GroupsimServer &server, const std::atomic<bool> &done)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    const timespec poll{0, 200 * 1000 * 1000};
    while (!done) {
        if (sigtimedwait(&set, nullptr, &poll) > 0) {
            server.RequestStop();
            return;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    std::string error;
    if (!ParseArguments(argc, argv, options, error)) {
        std::cerr << (error.empty() ? "" : "groupsim: " + error + "\n") << kUsage;
        return error.empty() ? 0 : 2;
    }
    SimData data;
    if (!LoadData(options, data, error)) {
        std::cerr << "groupsim: " << error << "\n";
        return 2;
    }

    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    GroupsimServer server(std::move(data));
    std::mutex logMutex;
    std::ofstream logFile;
    if (!options.logFile.empty()) {
        logFile.open(options.logFile, std::ios::app);
        if (!logFile) {
            std::cerr << "groupsim: cannot write " << options.logFile << "\n";
            return 2;
        }
    }
    if (options.log || logFile.is_open())
        server.SetRequestLog([&](const std::string &line) {
            std::lock_guard lock(logMutex);
            if (options.log)
                std::cout << line << std::endl;
            if (logFile.is_open())
                logFile << line << std::endl;
        });
    const int port = server.Start(options.port);
    if (port < 0) {
        std::cerr << "groupsim: cannot listen on 127.0.0.1:" << options.port << "\n";
        return 1;
    }
    std::cout << "groupsim listening on 127.0.0.1:" << port << std::endl;

    std::atomic<bool> done{false};
    std::thread watcher(WatchSignals, std::ref(server), std::cref(done));
    server.Wait();
    done = true;
    watcher.join();
    return 0;
}
