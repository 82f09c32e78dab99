#include "engine/messages/message_date_prefix.h"
#include "engine/messages/message_files.h"
#include "engine/messages/message_page_scan.h"
#include "engine/messages/message_source.h"

#include "qt_print.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brindle {
namespace {

struct PrefixCase {
    const char *page;
    const char *prefix;
};

class DatePrefix : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(DatePrefix, FromPageFragment)
{
    EXPECT_EQ(MessageDatePrefix(QString::fromUtf8(GetParam().page)), QString::fromUtf8(GetParam().prefix));
}

INSTANTIATE_TEST_SUITE_P(Examples, DatePrefix, ::testing::Values(
    PrefixCase{"<tr><td><b>Date:</b>&nbsp;Mon Jan 5, 2004 10:23 am<br></td></tr>", "_01__05__2004_10_23_AM_"},
    PrefixCase{"<b>Date:</b>&nbsp;Fri Dec 24, 2004 9:05 pm<br>", "_12__24__2004_9_05_PM_"},
    PrefixCase{"<b>Date:</b>&nbsp;sometime last week<br>", "___"},
    PrefixCase{"<b>Date:</b><br>", "___"},
    // No "Date:<" at all, as in mail source text: no prefix.
    PrefixCase{"Date: Mon, 5 Jan 2004 10:23:00 +0000\r\nSubject: hi", ""},
    PrefixCase{"<b>Date:</b>&nbsp;Mon Jan 5, 2004 10:23 am", ""}));

TEST(DatePrefix, StaysOnePlainNamePart)
{
    const QString prefix = MessageDatePrefix("<b>Date:</b>&nbsp;Mon Jan 5, ../../..\\etc/x\x01*?<br>");
    EXPECT_FALSE(prefix.isEmpty());
    for (const char *bad : {"/", "\\", "..", "*", "?", "\x01"})
        EXPECT_FALSE(prefix.contains(QString::fromUtf8(bad))) << prefix.toStdString();
}

TEST(MessageFiles, LayoutsAndNames)
{
    EXPECT_EQ(MessageFolder("/a/root/", "foo", false), "/a/root/Messages/foo/");
    EXPECT_EQ(MessageFolder("/a/root", "foo", true), "/a/root/foo/Messages/");
    EXPECT_EQ(MessageFileName({}, 1234, true), "0001234.eml");
    EXPECT_EQ(MessageFileName({}, 1, false), "0000001.html");
    EXPECT_EQ(MessageFileName("_01__05__2004_10_23_AM_", 1234, false), "_01__05__2004_10_23_AM_0001234.html");
    EXPECT_EQ(MessageFileName({}, 12345678, true), "12345678.eml");
    // Names never leave the archive root.
    EXPECT_EQ(MessageFolder("/root/", "a/b", false), "/root/Messages/a_b/");
    EXPECT_EQ(MessageFolder("/root/", "../x", true), "/root/__x/Messages/");
    EXPECT_EQ(MessageFolder("/root/", "..", false), "/root/Messages/_/");
    for (const char *bad : {"", " ", "."})
        EXPECT_TRUE(MessageFolder("/root/", QString::fromUtf8(bad), false).isEmpty()) << bad;
}

TEST(MessageFiles, WriteReplacesWholeFileAndCreatesFolder)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/Messages/g/0000001.eml";
    ASSERT_TRUE(WriteMessageFile(path, QStringLiteral("Subject: a\r\n\r\nfirst body that is long\r\n")));
    ASSERT_TRUE(WriteMessageFile(path, QStringLiteral("Subject: \u00e9\n\nx\n")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("Subject: \xc3\xa9\n\nx\n"));
    EXPECT_EQ(QDir(dir.path() + "/Messages/g").entryList(QDir::Files).size(), 1);
}

TEST(MessageFiles, WriteFailsWhenFolderCannotBeMade)
{
    QTemporaryDir dir;
    QFile blocker(dir.path() + "/Messages");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(WriteMessageFile(dir.path() + "/Messages/g/0000001.eml", "x"));
}

TEST(MessageSource, CellBecomesPreformattedAndLinesEndWithCrLf)
{
    EXPECT_EQ(PreformattedSourceCell("Received: a<br>\n\tby b<BR/>\r\nX:  two\nthree"),
              "<pre>Received: a<br>\tby b<BR/>X:  two three</pre>");
    EXPECT_EQ(WithMailLineEnds("a\nb\r\nc\rd\n"), "a\r\nb\r\nc\r\nd\r\n");
}

TEST(GroupNameScan, FindsGroupAddresses)
{
    QStringList names;
    GetValidYahooGroupNamesFrom(
        "  Post to sample-owner@yahoogroups.com or <a href=\"mailto:Other.Group@yahoogroups.com\">x</a>\n"
        "join mod_list-Subscribe@yahoogroups.com, again sample@yahoogroups.com;"
        " not me@example.com, nor lost@yahoogroups.org; b-MODERATOR@yahoogroupsXcom",
        names);
    EXPECT_EQ(names, QStringList({"sample", "Other.Group", "mod_list", "sample", "b"}));
}

TEST(GroupNameScan, LettersMatchWithCase)
{
    QStringList names;
    GetValidYahooGroupNamesFrom("x@YAHOOGROUPS.COM and @yahoogroups.com alone", names);
    EXPECT_TRUE(names.isEmpty());
}

TEST(UrlGrab, SkipsLocalMailAndIgnoredSites)
{
    const QStringList links = {
        "http://www.example.org/page", "/group/foo/message/2", "MAILTO:someone@example.org",
        "http://XA.YIMG.COM/kq/groups/1/x.jpg", "javascript:void(0)", "https://other.example/a?b=c",
        "#top",
    };
    const QStringList ignored = {"XA.YIMG.COM/", "JAVASCRIPT", ""};
    EXPECT_EQ(GrabbedURLs(links, ignored),
              QStringList({"http://www.example.org/page", "https://other.example/a?b=c", "#top"}));
}

} // namespace
} // namespace brindle
