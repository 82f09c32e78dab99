#include "support/test_env.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

#include <memory>

namespace brindle::test {

static std::unique_ptr<QTemporaryDir> &HomeDir()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

void UseTemporaryHome()
{
    auto &dir = HomeDir();
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/brindle-test-XXXXXX"));
    const QString root = dir->path();
    const auto set = [&](const char *name, const QString &sub) {
        const QString path = root + sub;
        QDir().mkpath(path);
        qputenv(name, path.toLocal8Bit());
    };
    set("HOME", QString());
    set("XDG_DATA_HOME", QStringLiteral("/.local/share"));
    set("XDG_CONFIG_HOME", QStringLiteral("/.config"));
    set("XDG_CACHE_HOME", QStringLiteral("/.cache"));
    set("XDG_RUNTIME_DIR", QStringLiteral("/runtime"));
    QFile::setPermissions(root + QStringLiteral("/runtime"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString TemporaryHome()
{
    const auto &dir = HomeDir();
    return dir ? dir->path() + QLatin1Char('/') : QString();
}

QString BinFolder()
{
    QString dir = qEnvironmentVariable("BRINDLE_BIN_DIR");
    if (dir.isEmpty())
        return {};
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

} // namespace brindle::test
