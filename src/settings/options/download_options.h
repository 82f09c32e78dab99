#pragma once

#include "common/section.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace brindle {

// The user settings every download reads, with their defaults, kept in
// "Options.ini" of the data folder. The main window owns one instance for the
// program's life; runs read it without locking while no dialog can change it.
//
// Extension entries of IncludeExtensions and ExcludeExtensions are an upper-case
// extension without the dot, prefixed with "C:" when ticked ("C:JPG").
class TYahooDownloadOptions {
public:
    TYahooDownloadOptions();

    // DataFolder() + "Options.ini".
    static QString FilePath();

    // Reads the options file (FilePath() when path is empty). A missing file
    // leaves every value as it is; false when the file exists but cannot be
    // read as INI text (the values then stay as they are too).
    bool Load(const QString &path = QString());
    // Clamps the values and writes the options file, creating its folder when
    // needed; false when the file could not be written (the old file stays).
    bool Save(const QString &path = QString());

    Section GetSection() const { return m_intSection; }
    void SetSection(Section section) { m_intSection = section; }

    // Removes, in place and keeping order, every name that must not be downloaded.
    void FilterByExtension(QStringList &names) const;

    Section m_intSection = Section::Attachments;
    QString strSaveDir;
    int intThreadCount = 1;
    int m_intMessageFormat = 0;
    int intTimeOut = 60;
    bool boolEnableDownloadDelay = false;
    int intDownloadDelay = 30;
    bool boolGrabOtherGroups = true;
    bool boolGrabOtherURLs = true;
    bool boolDownloadAllFiles = true;
    QStringList IncludeExtensions;
    QStringList ExcludeExtensions;
    std::uint8_t fileNameFormatObj = 4;
    bool boolUseMessageDateFormat = false;
    bool boolAllowOverwrite = false;
    bool boolDebugDownloads = false;
    QStringList IgnoreEmbbededSites;
    bool boolEnableAutoClick = true;
    QStringList AutoClickButtons;
    QString strAutoLoginURL;
    QString strAutoLoginErrorURL;
    QString strAutoLoginUserName = QStringLiteral("login");
    QString strAutoLoginPassword = QStringLiteral("passwd");
    QString strAutoLoginSavePassword = QStringLiteral(".persistent");
    QString strAutoLoginSignInName = QStringLiteral(".save");
    QString strAutoLoginSignInText = QStringLiteral("Sign In");
    bool boolEnableSoundEvents = false;
    QString strSucessWaveFile;
    QString strErrorWaveFile;
    bool boolIgnoreDuplicated = true;
    bool m_boolIgnoreViewer = false;
    int m_intLoginProcess = 2;
    bool m_boolReloginBeforeDownload = false;
    bool m_boolClearCacheBeforeDownload = false;
    bool m_boolLastLoginAutomated = false;
    bool m_boolExtendedLoginCheck = true;
    bool m_boolEnableAppLogging = false;
    bool m_boolDownloadDetailMessage = false;
    bool m_boolDownloadDiffSizeDuplicates = false;
    bool m_boolMinTrayAfterCompletion = false;
    bool m_boolLogoutAfterCompletion = false;
    bool m_boolKillViewerAfterCompletion = false;
    bool m_boolEnableAdvDownloadDelay = false;
    int m_intAdvDownloadDelayInMins = 10;
    int m_intAdvMessageCount = 100;
    int m_intAdvPhotoFilesCount = 50;

private:
    void ApplyLimits();
};

// "~/Yahoo Groups Files/": the archive root until the user picks another.
QString DefaultSaveDir();

// An extension entry is ticked when it holds "C:" anywhere (any case); its
// extension is the entry with every "C:" removed.
bool IsTickedExtension(const QString &entry);
QString ExtensionOfEntry(const QString &entry);
QString MakeExtensionEntry(const QString &extension, bool ticked);

} // namespace brindle
