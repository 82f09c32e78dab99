#include "platform/browser/browser_profile.h"

#include "common/app_folders.h"
#include "platform/browser/cookie_mirror.h"

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
        // No cache on disk: nothing of one run's pages is served to the next. (Every
        // cache type change is made here, before the first page exists, because the
        // engine rebuilds its network context on such a change.)
        profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        ApplySecurityPolicy(profile->settings());
        MirrorCookies(profile->cookieStore());
    }
    return profile;
}

void ApplySecurityPolicy(QWebEngineSettings *settings)
{
    settings->setAttribute(QWebEngineSettings::AutoLoadImages, false);
    settings->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    settings->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
}

} // namespace brindle
