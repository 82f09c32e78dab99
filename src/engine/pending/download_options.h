#pragma once
// Temporary stand-in for the download options class until settings/options lands.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace brindle {

class TYahooDownloadOptions {
public:
    std::uint8_t m_intSection = 0;
    QString strSaveDir = QStringLiteral("/tmp/Yahoo Groups Files/");
    int m_intMessageFormat = 0;
    bool boolGrabOtherGroups = true;
    bool boolGrabOtherURLs = true;
    bool boolUseMessageDateFormat = false;
    bool boolDebugDownloads = false;
    QStringList IgnoreEmbbededSites;
    bool boolEnableSoundEvents = false;
    QString strSucessWaveFile;
    QString strErrorWaveFile;
    bool m_boolIgnoreViewer = false;
    bool m_boolReloginBeforeDownload = false;
    bool m_boolClearCacheBeforeDownload = false;
    bool m_boolLastLoginAutomated = false;
    bool m_boolDownloadDetailMessage = false;
    bool m_boolEnableAdvDownloadDelay = false;
    int m_intAdvDownloadDelayInMins = 10;
    int m_intAdvMessageCount = 100;
    int m_intAdvPhotoFilesCount = 50;
};

} // namespace brindle
