#include "app/cli/cli_arguments.h"
#include "app/cli/progress_printer.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace brindle {
namespace {

CliParse Parse(QStringList words, const QString &pacingEnv = {})
{
    words.prepend("brindle-cli");
    return ParseCliArguments(words, pacingEnv);
}

TEST(CliArguments, FullDownloadCommand)
{
    const CliParse p = Parse({"download", "--section", "messages", "--group", " alpha ", "--group", "beta",
                              "--dir", "/tmp/a", "--format", "windows-mail", "--from", "10", "--to", "20",
                              "--debug", "--pacing", "0.5"});
    ASSERT_EQ(p.outcome, CliParse::Outcome::Run) << p.text.toStdString();
    EXPECT_EQ(p.run.groups, QStringList({"alpha", "beta"}));
    EXPECT_EQ(p.run.dir, "/tmp/a");
    EXPECT_EQ(p.run.format, 4);
    EXPECT_EQ(p.run.from, 10);
    EXPECT_EQ(p.run.to, 20);
    EXPECT_TRUE(p.run.debug);
    EXPECT_DOUBLE_EQ(p.run.pacing, 0.5);
}

TEST(CliArguments, DefaultsAndEnvironmentPacing)
{
    const CliParse p = Parse({"download", "--section", "messages", "--group", "g"}, "0");
    ASSERT_EQ(p.outcome, CliParse::Outcome::Run);
    EXPECT_EQ(p.run.format, -1);
    EXPECT_EQ(p.run.from, 0);
    EXPECT_EQ(p.run.to, 0);
    EXPECT_FALSE(p.run.debug);
    EXPECT_DOUBLE_EQ(p.run.pacing, 0.0);
    EXPECT_DOUBLE_EQ(Parse({"download", "--section", "messages", "--group", "g", "--pacing", "2"}, "0").run.pacing, 2.0);
}

TEST(CliArguments, HelpAndErrors)
{
    const CliParse help = Parse({"--help"});
    EXPECT_EQ(help.outcome, CliParse::Outcome::Help);
    for (const char *option : {"--section", "--group", "--dir", "--format", "--from", "--to", "--debug", "--pacing"})
        EXPECT_TRUE(help.text.contains(option)) << option;

    const QList<QStringList> bad = {
        {},
        {"upload", "--section", "messages", "--group", "g"},
        {"download", "--section", "files", "--group", "g"},
        {"download", "--section", "messages"},
        {"download", "--section", "messages", "--group", "  "},
        {"download", "--section", "messages", "--group", "g", "--format", "pdf"},
        {"download", "--section", "messages", "--group", "g", "--from", "x"},
        {"download", "--section", "messages", "--group", "g", "--to", "-3"},
        {"download", "--section", "messages", "--group", "g", "--pacing", "-1"},
        {"download", "--section", "messages", "--group", "g", "--bogus"},
    };
    for (const QStringList &words : bad)
        EXPECT_EQ(Parse(words).outcome, CliParse::Outcome::Error) << words.join(' ').toStdString();
}

TEST(CliArguments, FormatNames)
{
    EXPECT_EQ(MessageFormatByName("html"), 0);
    EXPECT_EQ(MessageFormatByName("EML"), 1);
    EXPECT_EQ(MessageFormatByName("msg"), 2);
    EXPECT_EQ(MessageFormatByName("thunderbird"), 3);
    EXPECT_EQ(MessageFormatByName("windows-mail"), 4);
    EXPECT_EQ(MessageFormatByName("outlook"), -1);
}

TEST(ProgressPrinter, TableAndOutcome)
{
    QString text;
    QTextStream out(&text);
    ProgressPrinter printer({"alpha", "beta", "gamma"}, out);
    printer.GroupRow(0, dsDownloading, {{"First", 1}, {"Last", 3}, {"Saved", 0}});
    printer.GroupRow(0, dsDownloading, {{"Saved", 2}});
    printer.GroupRow(0, dsCompleted, {{"Saved", 3}});
    printer.GroupRow(1, dsOk, {});
    EXPECT_FALSE(printer.AllGroupsSucceeded());   // gamma never reported
    printer.GroupRow(2, dsSkipped, {});
    EXPECT_FALSE(printer.AllGroupsSucceeded());
    printer.GroupRow(2, dsCompleted, {});
    EXPECT_TRUE(printer.AllGroupsSucceeded());
    printer.PrintTable();
    out.flush();
    EXPECT_EQ(text.count("[alpha] Downloading"), 1);
    EXPECT_TRUE(text.contains("[alpha] Completed"));
    EXPECT_TRUE(text.contains(QRegularExpression("alpha +Completed +1 +3 +3")));
    EXPECT_TRUE(text.contains(QRegularExpression("\\nbeta +Ok *\\n")));
}

} // namespace
} // namespace brindle
