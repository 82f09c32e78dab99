#include "common/app_folders.h"
#include "common/download_status.h"
#include "common/text_utils.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

using namespace brindle;

TEST(DownloadStatus, TextsAndOutOfRange)
{
    const char *expected[] = {"Waiting", "Starting", "Downloading", "Completed", "Stopped", "Blocked", "Not Available",
                              "Error", "Ok", "NetworkError", "Skipped", "Timeout", "W/O Dups", "Wrong Password"};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(StatusText(i), QString::fromLatin1(expected[i])) << i;
    EXPECT_TRUE(StatusText(14).isEmpty());
    EXPECT_TRUE(StatusText(-1).isEmpty());
    EXPECT_TRUE(StatusText(255).isEmpty());
}

TEST(TextUtils, TrimRemovesControlCharactersAndBlanks)
{
    EXPECT_EQ(Trim(QStringLiteral("\t\r\n  a b \x01\n")), QStringLiteral("a b"));
    EXPECT_EQ(Trim(QStringLiteral("   ")), QString());
}

TEST(TextUtils, UrlDecodeCases)
{
    const struct { const char *in; const char *out; } cases[] = {
        {"a%20b", "a b"}, {"a+b", "a b"}, {"100%%", "100%"}, {"%41%42", "AB"},
        {"bad%zz", "bad%zz"}, {"end%4", "end%4"}, {"caf%C3%A9", "caf\xC3\xA9"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(UrlDecode(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(TextUtils, EntitiesAndPaths)
{
    EXPECT_EQ(DecodeAmpQuot(QStringLiteral("Tom &amp; &quot;Jerry&QUOT;")), QStringLiteral("Tom & \"Jerry\""));
    EXPECT_EQ(JoinPath(QStringLiteral("/a/"), QStringLiteral("/b"), QStringLiteral("c")), QStringLiteral("/a/b/c"));
    EXPECT_EQ(SplitLines(QStringLiteral("a\r\nb\nc\r")), (QStringList{"a", "b", "c"}));
}

TEST(AppFolders, FollowXdgThenHomeThenProgramFolder)
{
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    EXPECT_EQ(AppDataFolder(), QString::fromLocal8Bit(savedData) + "/");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(AppDataFolder(), QString::fromLocal8Bit(savedHome) + "/.local/share/");
    qunsetenv("HOME");
    EXPECT_EQ(AppDataFolder(), ProgramFolder());
    EXPECT_EQ(DataFolder(), ProgramFolder() + "Brindle2/Data/");
    qputenv("HOME", savedHome);
    qputenv("XDG_DATA_HOME", savedData);
}
