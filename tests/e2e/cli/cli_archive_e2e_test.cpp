// brindle-cli against the simulated service: every message format, the message
// ranges, and the exit status. The mail files must hold each message exactly as the
// service's source shows it.
#include "groupsim/fixture_loader.h"
#include "support/groupsim_process.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

namespace brindle {
namespace {

using groupsim::SimData;
using groupsim::SimGroup;

QString FixturePath()
{
    return QStringLiteral(BRINDLE_SOURCE_DIR "/tools/groupsim/fixtures/demo.json");
}

// A mail message split the way RFC 5322 reads it: unfolded header fields and the body.
struct MailMessage {
    QList<QPair<QByteArray, QByteArray>> fields;
    QByteArray body;
};

// Lines end with CR LF; a field is "name:" + value, continued by lines that start
// with a blank or a tab; an empty line ends the header.
std::optional<MailMessage> ParseMail(const QByteArray &bytes, QString *why)
{
    MailMessage mail;
    qsizetype at = 0;
    for (;;) {
        const qsizetype end = bytes.indexOf("\r\n", at);
        if (end < 0) {
            *why = QStringLiteral("header not ended by an empty line");
            return std::nullopt;
        }
        const QByteArray line = bytes.mid(at, end - at);
        at = end + 2;
        if (line.isEmpty())
            break;
        if (line.contains('\n') || line.contains('\r')) {
            *why = QStringLiteral("bare line end in the header: ") + QString::fromUtf8(line);
            return std::nullopt;
        }
        if (line.startsWith(' ') || line.startsWith('\t')) {
            if (mail.fields.isEmpty()) {
                *why = QStringLiteral("continuation before the first field");
                return std::nullopt;
            }
            mail.fields.last().second += "\r\n" + line;
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || line.left(colon).contains(' ')) {
            *why = QStringLiteral("not a header field: ") + QString::fromUtf8(line);
            return std::nullopt;
        }
        mail.fields.append({line.left(colon), line.mid(colon + 1)});
    }
    mail.body = bytes.mid(at);
    return mail;
}

class CliArchive : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QString why;
        auto loaded = groupsim::LoadFixtureFile(FixturePath(), &why);
        ASSERT_TRUE(loaded) << why.toStdString();
        data = new SimData(std::move(*loaded));
        service = new test::GroupsimProcess({QStringLiteral("--data"), FixturePath()});
        ASSERT_TRUE(service->Started()) << service->Error().toStdString();
    }
    static void TearDownTestSuite()
    {
        delete service;
        service = nullptr;
        delete data;
        data = nullptr;
    }

    struct Result {
        int exitCode = -1;
        QString output;
        QString archive;
    };

    // Runs brindle-cli through the simulated service, with every wait scaled to zero.
    Result Download(const QStringList &groups, const QStringList &extra)
    {
        Result result;
        result.archive = folders.path() + QStringLiteral("/run%1").arg(++runs);
        QStringList arguments = {QStringLiteral("download"), QStringLiteral("--section"), QStringLiteral("messages"),
                                 QStringLiteral("--dir"), result.archive, QStringLiteral("--pacing"), QStringLiteral("0")};
        for (const QString &group : groups)
            arguments << QStringLiteral("--group") << group;
        arguments << extra;

        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY"})
            environment.insert(QString::fromLatin1(name), service->ProxyUrl());
        environment.insert(QStringLiteral("no_proxy"), QString());
        environment.remove(QStringLiteral("NO_PROXY"));
        cli.setProcessEnvironment(environment);
        cli.setProcessChannelMode(QProcess::MergedChannels);
        cli.start(test::BinFolder() + QStringLiteral("brindle-cli"), arguments);
        if (!cli.waitForStarted() || !cli.waitForFinished(150000)) {
            cli.kill();
            cli.waitForFinished();
            result.output = QString::fromUtf8(cli.readAll());
            ADD_FAILURE() << "brindle-cli did not finish: " << result.output.toStdString();
            return result;
        }
        result.output = QString::fromUtf8(cli.readAll());
        result.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
        return result;
    }

    static const SimGroup &Group(const char *name)
    {
        const SimGroup *group = data->Group(name);
        EXPECT_NE(group, nullptr) << name;
        return *group;
    }

    static QStringList ExpectedFiles(const SimGroup &group, const QString &extension, int from = 0, int to = 0)
    {
        QStringList names;
        for (const auto &[number, message] : group.messages) {
            if ((from > 0 && number < from) || (to > 0 && number > to))
                continue;
            names.append(QStringLiteral("%1.%2").arg(number, 7, 10, QLatin1Char('0')).arg(extension));
        }
        return names;
    }

    static QStringList Files(const QString &folder, const QString &pattern)
    {
        return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
    }

    static QByteArray Read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Every mail file of the group equals the service's source of its message.
    static void ExpectSameMessages(const QString &folder, const SimGroup &group)
    {
        for (const auto &[number, message] : group.messages) {
            SCOPED_TRACE(number);
            const QByteArray saved = Read(folder + QStringLiteral("/%1.eml").arg(number, 7, 10, QLatin1Char('0')));
            const QByteArray source = QByteArray::fromStdString(message.raw);
            QString why;
            const auto mail = ParseMail(saved, &why);
            ASSERT_TRUE(mail) << why.toStdString();
            const auto expected = ParseMail(source, &why);
            ASSERT_TRUE(expected) << why.toStdString();
            EXPECT_EQ(mail->fields, expected->fields);
            EXPECT_EQ(mail->body, expected->body);
            EXPECT_EQ(saved, source);
        }
    }

    static SimData *data;
    static test::GroupsimProcess *service;
    QTemporaryDir folders;
    int runs = 0;
};

SimData *CliArchive::data = nullptr;
test::GroupsimProcess *CliArchive::service = nullptr;

TEST_F(CliArchive, EveryMailFormatHoldsTheMessagesExactly)
{
    // A group on the main site, a regional one, and one behind the adult confirmation.
    const QStringList groups = {QStringLiteral("VintageRadio"), QStringLiteral("cocina-latina"),
                                QStringLiteral("NightOwlsClub")};
    for (const char *format : {"eml", "thunderbird", "windows-mail", "msg"}) {
        SCOPED_TRACE(format);
        const Result run = Download(groups, {QStringLiteral("--format"), QString::fromLatin1(format)});
        ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
        for (const QString &name : groups) {
            SCOPED_TRACE(name.toStdString());
            const SimGroup &group = Group(name.toUtf8().constData());
            const QString folder = run.archive + QStringLiteral("/Messages/") + name;
            EXPECT_EQ(Files(folder, QStringLiteral("*.eml")), ExpectedFiles(group, QStringLiteral("eml")));
            ExpectSameMessages(folder, group);
            if (QByteArray(format) == "msg" && QFileInfo::exists(test::BinFolder() + QStringLiteral("tessel"))) {
                EXPECT_EQ(Files(folder, QStringLiteral("*.msg")), ExpectedFiles(group, QStringLiteral("msg")));
            }
        }
    }
}

TEST_F(CliArchive, HtmlFormatKeepsEachMessagePage)
{
    const SimGroup &group = Group("VintageRadio");
    const Result run = Download({QStringLiteral("VintageRadio")}, {});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    const QString folder = run.archive + QStringLiteral("/Messages/VintageRadio");
    ASSERT_EQ(Files(folder, QStringLiteral("*")), ExpectedFiles(group, QStringLiteral("html")));
    for (const auto &[number, message] : group.messages) {
        const QString page = QString::fromUtf8(Read(folder + QStringLiteral("/%1.html").arg(number, 7, 10, QLatin1Char('0'))));
        EXPECT_TRUE(page.contains(QStringLiteral("/group/VintageRadio/message/"))) << number;
        EXPECT_FALSE(page.contains(QStringLiteral("source user"))) << number;
    }
    EXPECT_TRUE(run.output.contains(QStringLiteral("Completed"))) << run.output.toStdString();
}

TEST_F(CliArchive, FromAndToBoundTheRun)
{
    const SimGroup &group = Group("VintageRadio");
    const Result run = Download({QStringLiteral("VintageRadio")},
                                {QStringLiteral("--format"), QStringLiteral("eml"), QStringLiteral("--from"),
                                 QStringLiteral("4"), QStringLiteral("--to"), QStringLiteral("12")});
    ASSERT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_EQ(Files(run.archive + QStringLiteral("/Messages/VintageRadio"), QStringLiteral("*")),
              ExpectedFiles(group, QStringLiteral("eml"), 4, 12));
}

TEST_F(CliArchive, AGroupThatCannotBeArchivedFailsTheRun)
{
    // Members only, and this run has no login: the group's messages are not available.
    const Result run = Download({QStringLiteral("VintageRadio"), QStringLiteral("FamilyTree_Research")}, {});
    EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QRegularExpression(QStringLiteral("FamilyTree_Research +Not Available"))))
        << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(QRegularExpression(QStringLiteral("VintageRadio +Completed"))));
}

TEST_F(CliArchive, CommandLineErrorsAndHelp)
{
    QProcess cli;
    cli.start(test::BinFolder() + QStringLiteral("brindle-cli"), {QStringLiteral("--help")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 0);
    EXPECT_TRUE(cli.readAllStandardOutput().contains("--format"));
    cli.start(test::BinFolder() + QStringLiteral("brindle-cli"), {QStringLiteral("download"), QStringLiteral("--section"),
                                                                   QStringLiteral("messages")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitCode(), 2);
}

} // namespace
} // namespace brindle
