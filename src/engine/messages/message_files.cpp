#include "engine/messages/message_files.h"

#include "common/app_folders.h"
#include "common/log.h"
#include "common/text_utils.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

namespace brindle {

static bool IsOneFolderName(const QString &name)
{
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar ch) {
        return ch == QLatin1Char('/') || ch == QLatin1Char('\\') || ch.unicode() < 0x20;
    });
}

QString MessageFolder(const QString &root, const QString &group, bool oldFormat)
{
    if (root.isEmpty() || !IsOneFolderName(group))
        return {};
    const QString messages = QStringLiteral("Messages");
    return WithTrailingSlash(oldFormat ? JoinPath(root, group, messages) : JoinPath(root, messages, group));
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
