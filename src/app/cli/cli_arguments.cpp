#include "app/cli/cli_arguments.h"

#include "common/text_utils.h"

#include <QCommandLineParser>

namespace brindle {

namespace {

const char kUsage[] = R"(Usage: brindle-cli download --section messages --group NAME [--group NAME ...]
                   [--dir DIR] [--format html|eml|msg|thunderbird|windows-mail]
                   [--from N] [--to N] [--debug] [--pacing FACTOR]
       brindle-cli --help

Archives groups without the desktop window. It uses the same options file
($XDG_DATA_HOME/Brindle2/Data/Options.ini) and settings store
($XDG_CONFIG_HOME/brindle/registry.sqlite3) as the desktop program and reads the
service through the same embedded browser, which runs without a display.

Commands:
  download            Download one section of the given groups.

Options of download:
  --section NAME      The section to download. Only "messages" is available.
  --group NAME        A group to download; repeat it for more groups, which are
                      downloaded in the order given.
  --dir DIR           Archive folder for this run (the options' folder otherwise;
                      the options file is not changed).
  --format NAME       Message format: html (the page, .html, the default), eml
                      (Outlook Express mail), msg (mail, then converted to .msg
                      by "tessel" beside the program), thunderbird, windows-mail
                      (both mail files, .eml).
  --from N            Start each group at message N, or at the first existing
                      message after it (0: the group's first message).
  --to N              End each group once the walk passes message N (0: the
                      group's last message). For a group in the list of the
                      desktop program's last user, the last message downloaded
                      is recorded (the desktop's group order dialog shows it);
                      --from set to that number plus one continues a run where
                      the last one stopped.
  --debug             Keep a copy of every page fetched in the debug folder.
  --pacing FACTOR     Scale every fixed wait (1 = the documented waits, 0 = none;
                      for tests and demonstrations). Also BRINDLE_PACING.
  -h, --help          Show this text.

Progress is printed as it happens; at the end a table shows each group with its
status and counts. The exit status is 0 only when every group ended Completed or
Ok, 1 otherwise, and 2 for a command line error.
)";

struct Formats {
    const char *name;
    int value;
};

constexpr Formats kFormats[] = {
    {"html", 0}, {"eml", 1}, {"msg", 2}, {"thunderbird", 3}, {"windows-mail", 4},
};

CliParse Error(const QString &text)
{
    CliParse parse;
    parse.outcome = CliParse::Outcome::Error;
    parse.text = text;
    return parse;
}

bool ReadNumber(const QString &text, int &number)
{
    bool ok = false;
    number = text.toInt(&ok);
    return ok && number >= 0;
}

bool ReadPacing(const QString &text, double &factor)
{
    bool ok = false;
    factor = text.toDouble(&ok);
    return ok && factor >= 0;
}

} // namespace

int MessageFormatByName(const QString &name)
{
    for (const Formats &f : kFormats) {
        if (name.compare(QLatin1String(f.name), Qt::CaseInsensitive) == 0)
            return f.value;
    }
    return -1;
}

CliParse ParseCliArguments(const QStringList &arguments, const QString &pacingFromEnvironment)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption section(QStringLiteral("section"), {}, QStringLiteral("NAME"));
    const QCommandLineOption group(QStringLiteral("group"), {}, QStringLiteral("NAME"));
    const QCommandLineOption dir(QStringLiteral("dir"), {}, QStringLiteral("DIR"));
    const QCommandLineOption format(QStringLiteral("format"), {}, QStringLiteral("NAME"));
    const QCommandLineOption from(QStringLiteral("from"), {}, QStringLiteral("N"));
    const QCommandLineOption to(QStringLiteral("to"), {}, QStringLiteral("N"));
    const QCommandLineOption debug(QStringLiteral("debug"), {});
    const QCommandLineOption pacing(QStringLiteral("pacing"), {}, QStringLiteral("FACTOR"));
    parser.addOptions({help, section, group, dir, format, from, to, debug, pacing});

    if (!parser.parse(arguments))
        return Error(parser.errorText());

    CliParse result;
    result.text = QString::fromUtf8(kUsage);
    if (parser.isSet(help)) {
        result.outcome = CliParse::Outcome::Help;
        return result;
    }
    const QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return Error(QStringLiteral("No command given; see brindle-cli --help."));
    if (words.size() > 1 || words.first() != QStringLiteral("download"))
        return Error(QStringLiteral("Unknown command: ") + words.join(QLatin1Char(' ')));

    CliRun &run = result.run;
    run.section = parser.value(section).toLower();
    if (run.section != QStringLiteral("messages"))
        return Error(QStringLiteral("--section: only \"messages\" is available"));
    for (const QString &name : parser.values(group)) {
        if (!Trim(name).isEmpty())
            run.groups.append(Trim(name));
    }
    if (run.groups.isEmpty())
        return Error(QStringLiteral("--group: give at least one group"));
    run.dir = parser.value(dir);
    if (parser.isSet(format)) {
        run.format = MessageFormatByName(parser.value(format));
        if (run.format < 0)
            return Error(QStringLiteral("--format: unknown format ") + parser.value(format));
    }
    if (parser.isSet(from) && !ReadNumber(parser.value(from), run.from))
        return Error(QStringLiteral("--from: not a message number: ") + parser.value(from));
    if (parser.isSet(to) && !ReadNumber(parser.value(to), run.to))
        return Error(QStringLiteral("--to: not a message number: ") + parser.value(to));
    run.debug = parser.isSet(debug);
    const QString pacingText = parser.isSet(pacing) ? parser.value(pacing) : pacingFromEnvironment;
    if (!pacingText.isEmpty() && !ReadPacing(pacingText, run.pacing))
        return Error(QStringLiteral("--pacing: not a factor of 0 or more: ") + pacingText);
    result.outcome = CliParse::Outcome::Run;
    return result;
}

} // namespace brindle
