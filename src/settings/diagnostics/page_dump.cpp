#include "settings/diagnostics/page_dump.h"

#include "common/app_folders.h"
#include "common/text_utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace brindle {

namespace {

// Writes the lines, each ended by CRLF, to DebugFolder() + the relative path.
void WriteDump(const QString &relativePath, const QStringList &lines)
{
    const QString root = QDir::cleanPath(DebugFolder());
    const QString target = QDir::cleanPath(root + QLatin1Char('/') + relativePath);
    if (!target.startsWith(root + QLatin1Char('/')))
        return;
    if (!QDir().mkpath(QFileInfo(target).absolutePath()))
        return;
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    QFile file(target);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

void Dump(const QString &relativePath, const QStringList &lines)
{
    try {
        WriteDump(relativePath, lines);
    } catch (...) {
        // A dump never disturbs a download.
    }
}

} // namespace

bool IsPlainDumpName(const QString &name)
{
    static const QString forbidden = QStringLiteral("/\\:*?<>|\"");
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || forbidden.contains(c))
            return false;
    }
    return true;
}

void DumpPage(bool debugFlag, const QString &group, const QString &text, const QString &fileName)
{
    if (!debugFlag || !IsPlainDumpName(group) || !IsPlainDumpName(fileName))
        return;
    Dump(group + QLatin1Char('/') + fileName, SplitLines(text));
}

void DumpText(bool debugDownloads, const QString &fileName, const QString &text)
{
    if (!debugDownloads || !IsPlainDumpName(fileName))
        return;
    Dump(fileName, SplitLines(text));
}

void DumpLines(bool debugDownloads, const QString &fileName, const QStringList &lines)
{
    if (!debugDownloads || !IsPlainDumpName(fileName))
        return;
    Dump(fileName, lines);
}

} // namespace brindle
