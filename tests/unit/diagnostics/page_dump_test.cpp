#include "common/app_folders.h"
#include "settings/diagnostics/page_dump.h"
#include "support/test_env.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

using namespace brindle;

namespace {

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file and folder below the temporary home, with file sizes.
QStringList HomeTree()
{
    QStringList entries;
    QDirIterator it(test::TemporaryHome(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        entries << it.filePath() + QLatin1Char(' ') + QString::number(it.fileInfo().size());
    }
    entries.sort();
    return entries;
}

class PageDumpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(DebugFolder()).removeRecursively();
        QDir().mkpath(DebugFolder());
    }
};

} // namespace

TEST_F(PageDumpTest, SiteModelDumpGoesBelowTheGroupFolder)
{
    const QString target = DebugFolder() + "mygroup/FirstReq.html";
    WriteFile(target, "an older and much longer page that must disappear");

    DumpPage(true, QStringLiteral("mygroup"), QStringLiteral("<html>\nline two\r\nline three"), QStringLiteral("FirstReq.html"));
    EXPECT_EQ(ReadFile(target), QByteArray("<html>\r\nline two\r\nline three\r\n"));

    DumpPage(true, QStringLiteral("new group"), QStringLiteral("caf\u00e9"), QStringLiteral("Photos Dir - First--0.html"));
    EXPECT_EQ(ReadFile(DebugFolder() + "new group/Photos Dir - First--0.html"), QByteArray("caf\xc3\xa9\r\n"));
}

TEST_F(PageDumpTest, MainWindowDumpsGoToTheDebugFolder)
{
    DumpText(true, QStringLiteral("FirstPage.html"), QStringLiteral("a\nb\n"));
    EXPECT_EQ(ReadFile(DebugFolder() + "FirstPage.html"), QByteArray("a\r\nb\r\n"));

    DumpLines(true, QStringLiteral("login.html"), {QStringLiteral("one"), QString(), QStringLiteral("three")});
    EXPECT_EQ(ReadFile(DebugFolder() + "login.html"), QByteArray("one\r\n\r\nthree\r\n"));

    DumpLines(true, QStringLiteral("login.html"), {QStringLiteral("x")});
    EXPECT_EQ(ReadFile(DebugFolder() + "login.html"), QByteArray("x\r\n"));
}

TEST_F(PageDumpTest, DebugOffWritesNothing)
{
    QDir(DebugFolder()).removeRecursively();
    const QStringList before = HomeTree();
    DumpPage(false, QStringLiteral("mygroup"), QStringLiteral("page"), QStringLiteral("FirstReq.html"));
    DumpText(false, QStringLiteral("FirstPage.html"), QStringLiteral("page"));
    DumpLines(false, QStringLiteral("login.html"), {QStringLiteral("page")});
    EXPECT_EQ(HomeTree(), before);
}

TEST_F(PageDumpTest, HostileNamesWriteNothingAnywhere)
{
    const QString groups[] = {
        "../x", "a/b", "a:b", "..", ".", "", "/abs", "a\\b", "a*b", "a?b", "a<b", "a>b", "a|b", "a\"b",
        QStringLiteral("a") + QChar(0) + QStringLiteral("b"), "tab\there", "line\nbreak",
    };
    const QStringList before = HomeTree();
    for (const QString &group : groups)
        DumpPage(true, group, QStringLiteral("page"), QStringLiteral("FirstReq.html"));
    for (const QString &file : {QStringLiteral("../evil.html"), QStringLiteral("sub/x.html"), QStringLiteral(".."),
                                QStringLiteral("a:b.html"), QString()}) {
        DumpPage(true, QStringLiteral("mygroup"), QStringLiteral("page"), file);
        DumpText(true, file, QStringLiteral("page"));
        DumpLines(true, file, {QStringLiteral("page")});
    }
    EXPECT_EQ(HomeTree(), before);
}

TEST_F(PageDumpTest, FolderThatCannotBeMadeWritesNothing)
{
    // A file stands where the group's folder would go.
    WriteFile(DebugFolder() + "blocked", "keep me");
    const QStringList before = HomeTree();
    DumpPage(true, QStringLiteral("blocked"), QStringLiteral("page"), QStringLiteral("FirstReq.html"));
    EXPECT_EQ(HomeTree(), before);
    EXPECT_EQ(ReadFile(DebugFolder() + "blocked"), QByteArray("keep me"));
}
