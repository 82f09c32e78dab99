#pragma once

#include <QString>
#include <QStringList>

namespace brindle {

// One `brindle-cli download` run as the command line asks for it.
struct CliRun {
    QString section;          // "messages"
    QStringList groups;       // in download order
    QString dir;              // archive root; empty: the options' folder
    int format = -1;          // message format 0..4; -1: HTML (the start dialog's default)
    int from = 0;             // 0: each group's first message
    int to = 0;               // 0: each group's last message
    bool debug = false;       // page dumps
    double pacing = 1.0;      // scale of every fixed wait; 1 = the documented values
};

// The result of reading the command line: a run, help, or an error text.
struct CliParse {
    enum class Outcome { Run, Help, Error } outcome = Outcome::Error;
    CliRun run;
    QString text;             // the help text, or the error
};

// Reads arguments (program name first). BRINDLE_PACING in env is the pacing
// default; --pacing overrides it.
CliParse ParseCliArguments(const QStringList &arguments, const QString &pacingFromEnvironment);

// "html", "eml", "msg", "thunderbird", "windows-mail" -> 0..4; -1 when unknown.
int MessageFormatByName(const QString &name);

} // namespace brindle
