#include "platform/registry/registry.h"
#include "support/test_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using namespace brindle;

namespace {

const QString kCrashKey = QStringLiteral("Software\\Brindle2\\Crash");

// Runs the writer from start until it has reported at least `returned` writes,
// kills it with SIGKILL and gives back every number it reported.
QList<long> WriteUntilKilled(const QString &file, long start, int returned)
{
    // The writer is built beside the test; BinFolder() is only set under CTest.
    const QString bin = test::BinFolder().isEmpty() ? QCoreApplication::applicationDirPath() + QLatin1Char('/') : test::BinFolder();
    QProcess writer;
    writer.start(bin + QStringLiteral("registry_crash_writer"),
                 {file, QString::number(start), QStringLiteral("100000000")});
    EXPECT_TRUE(writer.waitForStarted(10000)) << writer.errorString().toStdString();
    QByteArray out;
    while (out.count('\n') < returned && writer.state() == QProcess::Running) {
        writer.waitForReadyRead(5000);
        out += writer.readAllStandardOutput();
    }
    writer.kill();
    writer.waitForFinished(10000);
    out += writer.readAllStandardOutput();
    EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit) << "the writer ended before it was killed";

    QList<long> numbers;
    const QByteArray complete = out.left(out.lastIndexOf('\n') + 1);
    for (const QByteArray &line : complete.split('\n')) {
        if (!line.isEmpty())
            numbers.append(line.toLong());
    }
    return numbers;
}

} // namespace

// The writer is killed in the middle of its stream of writes, three times over the
// same file: each time the file must open cleanly and hold every write that had
// returned, with its full data.
TEST(RegistryCrash, KilledWriterKeepsEveryReturnedWrite)
{
    const QString folder = test::TemporaryHome() + QStringLiteral("crash/");
    const QString file = folder + QStringLiteral("registry.sqlite3");
    long next = 0;
    for (int round = 0; round < 3; ++round) {
        const QList<long> returned = WriteUntilKilled(file, next, 150 + 70 * round);
        ASSERT_GE(returned.size(), 150 + 70 * round);

        Registry registry(file);
        ASSERT_TRUE(registry.IsPersistent());
        for (long n : returned) {
            const QString name = QString::number(n);
            const auto value = registry.Read(kCrashKey, name);
            ASSERT_TRUE(value.has_value()) << "write " << n << " was lost in round " << round;
            EXPECT_EQ(value->data, name.toLatin1() + QByteArray(3000, 'x'));
        }
        next = returned.last() + 1;
    }
    EXPECT_TRUE(QDir(folder).entryList({QStringLiteral("*.corrupt-*")}).isEmpty()) << "a killed writer left a damaged file";
}
