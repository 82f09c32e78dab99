#include "platform/browser/browser_profile.h"

#include "common/app_folders.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace brindle {

static QString CacheFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (folder.isEmpty())
        folder = AppDataFolder() + QStringLiteral("cache");
    return folder + QStringLiteral("/brindle/browser");
}

QWebEngineProfile *BrowserProfile()
{
    static QPointer<QWebEngineProfile> profile;
    if (!profile) {
        profile = new QWebEngineProfile(QStringLiteral("brindle"), QCoreApplication::instance());
        profile->setPersistentStoragePath(AppDataFolder() + QStringLiteral("brindle/browser"));
        profile->setCachePath(CacheFolder());
        profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        ApplySecurityPolicy(profile->settings());
    }
    return profile;
}

void ApplySecurityPolicy(QWebEngineSettings *settings)
{
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
}

} // namespace brindle
