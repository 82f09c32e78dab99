#include "common/app_folders.h"

#include "common/text_utils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace brindle {

QString ProgramFolder()
{
    QString dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    else
        dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return WithTrailingSlash(dir);
}

static QString EnvFolder(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    // XDG: a relative path is invalid and must be ignored.
    if (value.isEmpty() || !QDir::isAbsolutePath(value))
        return {};
    return WithTrailingSlash(value);
}

QString HomeFolder()
{
    const QString home = EnvFolder("HOME");
    return home.isEmpty() ? ProgramFolder() : home;
}

QString AppDataFolder()
{
    QString dir = EnvFolder("XDG_DATA_HOME");
    if (dir.isEmpty()) {
        const QString home = EnvFolder("HOME");
        if (!home.isEmpty())
            dir = home + QStringLiteral(".local/share/");
    }
    return dir.isEmpty() ? ProgramFolder() : dir;
}

QString DataFolder()
{
    return AppDataFolder() + QStringLiteral("Brindle2/Data/");
}

QString DebugFolder()
{
    return AppDataFolder() + QStringLiteral("Brindle2 Debug/");
}

QString ConfigFolder()
{
    QString dir = EnvFolder("XDG_CONFIG_HOME");
    if (dir.isEmpty()) {
        const QString home = EnvFolder("HOME");
        if (!home.isEmpty())
            dir = home + QStringLiteral(".config/");
    }
    return dir.isEmpty() ? ProgramFolder() : dir;
}

} // namespace brindle
