#include "engine/messages/message_files.h"

#include "common/app_folders.h"
#include "common/log.h"
#include "common/text_utils.h"
#include "settings/store/archive_layout.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

namespace brindle {

QString MessageFolder(const QString &root, const QString &group, bool oldFormat)
{
    const QString folderName = SafePathName(Trim(group));
    if (root.isEmpty() || folderName.isEmpty() || folderName == QStringLiteral("."))
        return {};
    return ArchiveFolder(root, Section::Messages, folderName, oldFormat);
}

QString MessageFileName(const QString &prefix, int number, bool mail)
{
    return prefix + QStringLiteral("%1").arg(number, 7, 10, QLatin1Char('0'))
        + (mail ? QStringLiteral(".eml") : QStringLiteral(".html"));
}

bool WriteMessageFile(const QString &path, const QString &text)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString ConverterProgram()
{
    return ProgramFolder() + QStringLiteral("tessel");
}

bool ConvertMailToMessage(const QString &mailFile, const QString &messageFile, const QString &converter)
{
    if (!QFileInfo(converter).isExecutable()) {
        Log(QStringLiteral("Message converter not found: ") + converter + QStringLiteral(" - kept ") + mailFile);
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(converter, {mailFile, messageFile});
    if (!process.waitForStarted()) {
        Log(QStringLiteral("Message converter could not start: ") + converter);
        return false;
    }
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        Log(QStringLiteral("Message converter failed on ") + mailFile);
        return false;
    }
    return true;
}

} // namespace brindle
