#include "platform/processes/processes.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace brindle;
using namespace std::chrono_literals;

namespace {

bool WaitUntil(const std::function<bool()> &condition)
{
    QDeadlineTimer limit(20s);
    while (!condition()) {
        if (limit.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace

TEST(Processes, RunAndWaitGivesTheExitCode)
{
    const struct { QString program; QStringList arguments; int expected; } cases[] = {
        {"/bin/sh", {"-c", "exit 3"}, 3},
        {"/bin/sh", {"-c", "echo noise; echo more >&2"}, 0},
        // Arguments reach the program as they are, never through a shell.
        {"/bin/sh", {"-c", "test \"$0\" = 'a b;$HOME'", "a b;$HOME"}, 0},
        {"/nonexistent/program", {}, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RunAndWait(c.program, c.arguments), c.expected) << c.arguments.join(' ').toStdString();
}

TEST(Processes, RunAndWaitEndsAProgramThatOverrunsItsTime)
{
    EXPECT_EQ(RunAndWait("/bin/sh", {"-c", "sleep 30"}, 100ms), -1);
}

TEST(Processes, FindAndTerminateByExecutableName)
{
    // A uniquely named copy of sleep, so only the process started here can match.
    QTemporaryDir dir;
    const QString name = QStringLiteral("brindle-sleeper-%1").arg(QCoreApplication::applicationPid());
    const QString program = dir.filePath(name);
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), program));

    EXPECT_TRUE(FindProcessesByName(name).isEmpty());
    qint64 pid = 0;
    ASSERT_TRUE(StartDetached(program, {QStringLiteral("60")}, &pid));
    const bool found = WaitUntil([&] { return FindProcessesByName(name).contains(pid); });
    if (!found)
        ::kill(pid_t(pid), SIGKILL);
    ASSERT_TRUE(found);

    EXPECT_EQ(TerminateProcessesByName(name), 1);
    EXPECT_TRUE(WaitUntil([&] { return FindProcessesByName(name).isEmpty(); }));
    EXPECT_TRUE(FindProcessesByName(QString()).isEmpty());
}

TEST(Processes, StartDetachedReportsAMissingProgram)
{
    EXPECT_FALSE(StartDetached(QStringLiteral("/nonexistent/glimmer"), {QStringLiteral("-minimize")}));
}
