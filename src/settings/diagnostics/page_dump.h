#pragma once

#include <QString>
#include <QStringList>

namespace brindle {

// Copies of fetched pages, written to the debug folder while debugging is on, so a
// failed download can be examined afterwards. A dump holds the page's lines, each
// ended by CRLF; an existing dump is overwritten. Nothing is ever written outside
// DebugFolder(): a group or file name that is not a plain, portable name (empty,
// "." or "..", or holding "/", "\", ":", "*", "?", "<", ">", "|", '"' or a control
// character) writes nothing. Failures are swallowed; no caller needs a result.

// Site model dump: DebugFolder() + group + "/" + fileName, missing folders created.
void DumpPage(bool debugFlag, const QString &group, const QString &text, const QString &fileName);

// Main-window dumps: DebugFolder() + fileName. The flag is boolDebugDownloads of the options.
void DumpText(bool debugDownloads, const QString &fileName, const QString &text);
void DumpLines(bool debugDownloads, const QString &fileName, const QStringList &lines);

// True when name can be used as one folder or file name of the debug folder.
bool IsPlainDumpName(const QString &name);

} // namespace brindle
