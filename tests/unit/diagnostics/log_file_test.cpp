#include "common/app_folders.h"
#include "common/log.h"
#include "settings/diagnostics/log_file.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <thread>

using namespace brindle;

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of a log file; every line must end in CRLF.
QStringList LogLines(const QString &path)
{
    const QString text = QString::fromUtf8(ReadFile(path));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    lines.removeLast();
    for (const QString &line : lines)
        EXPECT_FALSE(line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n'))) << line.toStdString();
    return lines;
}

// Splits an entry line into its date-and-time prefix and its text, checking the
// prefix is today's (or, across midnight, yesterday's) short date and a time.
QString EntryText(const QString &line)
{
    const qsizetype separator = line.indexOf(QStringLiteral(" \t "));
    EXPECT_GT(separator, 0) << line.toStdString();
    const QString stamp = line.left(separator);
    const QLocale locale = QLocale::system();
    const QDate today = QDate::currentDate();
    const bool dated = stamp.startsWith(locale.toString(today, QLocale::ShortFormat) + ' ')
        || stamp.startsWith(locale.toString(today.addDays(-1), QLocale::ShortFormat) + ' ');
    EXPECT_TRUE(dated) << stamp.toStdString();
    EXPECT_TRUE(stamp.contains(QRegularExpression(QStringLiteral("\\d{1,2}:\\d{2}:\\d{2}")))) << stamp.toStdString();
    EXPECT_FALSE(stamp.contains(QLatin1Char('\t')));
    return line.mid(separator + 3);
}

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(DebugFolder()).removeRecursively(); }
    void TearDown() override { SetLogSink({}); }

    const QString path = LogFile::DefaultPath();
};

} // namespace

TEST_F(LogFileTest, PathIsInTheDebugFolder)
{
    EXPECT_EQ(path, AppDataFolder() + "Brindle2 Debug/Brindle_LogFile.log");
}

TEST_F(LogFileTest, ConcurrentEntriesStayWholeLines)
{
    InstallApplicationLog(true);
    const int perThread = 1000;
    auto writer = [&](const QString &name) {
        for (int i = 0; i < perThread; ++i)
            Log(name + QStringLiteral(" entry ") + QString::number(i));
    };
    std::thread first(writer, QStringLiteral("first"));
    std::thread second(writer, QStringLiteral("second"));
    first.join();
    second.join();

    const QStringList lines = LogLines(path);
    ASSERT_EQ(lines.size(), 1 + 2 * perThread);
    EXPECT_EQ(lines.first(), QStringLiteral("Created New Log File"));
    const QRegularExpression entry(QStringLiteral("^(first|second) entry (\\d+)$"));
    QHash<QString, int> next;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const auto match = entry.match(EntryText(lines[i]));
        ASSERT_TRUE(match.hasMatch()) << lines[i].toStdString();
        // Each thread's entries appear once and in the order written.
        EXPECT_EQ(match.captured(2).toInt(), next[match.captured(1)]++);
    }
    EXPECT_EQ(next.value(QStringLiteral("first")), perThread);
    EXPECT_EQ(next.value(QStringLiteral("second")), perThread);
}

TEST_F(LogFileTest, RemovedFileOrFolderIsRecreatedWithFirstLine)
{
    const struct { const char *what; bool wholeFolder; } cases[] = {{"file", false}, {"folder", true}};
    for (const auto &c : cases) {
        QFile::remove(path);
        LogFile log(path, true);
        log.write(QStringLiteral("before"));
        ASSERT_EQ(LogLines(path).size(), 2) << c.what;
        if (c.wholeFolder)
            ASSERT_TRUE(QDir(DebugFolder()).removeRecursively());
        else
            ASSERT_TRUE(QFile::remove(path));
        log.write(QStringLiteral("after"));
        const QStringList lines = LogLines(path);
        ASSERT_EQ(lines.size(), 2) << c.what;
        EXPECT_EQ(lines[0], QStringLiteral("Created New Log File")) << c.what;
        EXPECT_EQ(EntryText(lines[1]), QStringLiteral("after")) << c.what;
    }
}

TEST_F(LogFileTest, ExistingLogIsAppendedTo)
{
    QDir().mkpath(DebugFolder());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old line\r\n");
    file.close();

    LogFile(path, true).write(QStringLiteral("new"));
    const QStringList lines = LogLines(path);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("old line"));
    EXPECT_EQ(EntryText(lines[1]), QStringLiteral("new"));
}

TEST_F(LogFileTest, LoggingOffWritesNothingUntilSwitchedOn)
{
    InstallApplicationLog(false);
    Log(QStringLiteral("hidden"));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(QDir(DebugFolder()).exists());

    SetLoggingEnabled(true);
    Log(QStringLiteral("shown"));
    SetLoggingEnabled(false);
    Log(QStringLiteral("hidden again"));
    const QStringList lines = LogLines(path);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(EntryText(lines[1]), QStringLiteral("shown"));
}

TEST_F(LogFileTest, UnwritableLogIsSwallowed)
{
    // A folder where the log file should be: the entry is lost, nothing fails.
    ASSERT_TRUE(QDir().mkpath(path));
    LogFile(path, true).write(QStringLiteral("lost"));
    EXPECT_TRUE(QFileInfo(path).isDir());
}
