#include "settings/options/download_options.h"

#include "common/app_folders.h"
#include "common/service_hosts.h"
#include "common/text_utils.h"
#include "platform/ini/ini_file.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace brindle {

namespace {

const QString kDownload = QStringLiteral("Download");
const QString kIncludeExtensions = QStringLiteral("IncludeExtensions");
const QString kExcludeExtensions = QStringLiteral("ExcludeExtensions");
const QString kIgnoreEmbbededSites = QStringLiteral("IgnoreEmbbededSites");
const QString kAutoClickButtons = QStringLiteral("AutoClickButtons");

QStringList TickedEntries(const QStringList &extensions)
{
    QStringList entries;
    for (const QString &extension : extensions)
        entries.append(MakeExtensionEntry(extension, true));
    return entries;
}

QStringList DefaultIncludeExtensions()
{
    return TickedEntries({"BMP", "GIF", "DIB", "JPG", "JPEG", "JPE", "JP2", "JPC", "J2K", "PCX",
                          "PNG", "TGA", "TIFF", "TIFF", "AVI", "MPEG", "MPG", "MPE", "MOV", "RM",
                          "RAM", "ASF", "ASX", "WM", "WMX", "WMP", "M1V", "MP2V", "MPV2", "IVF",
                          "WVX", "WAV", "DAT", "WMV", "M3U", "MP3", "ZIP", "RAR", "PDF", "EML"});
}

QStringList DefaultExcludeExtensions()
{
    return TickedEntries({"VBS", "VB", "JS", "CMD", "LNK", "COM", "BAT", "PIF", "BIN", "DLL", "EXE",
                          "SCR", "HTM", "HTML", "SHTML", "PHP", "ASP", "ASPX", "PL", "CGI", "TXT", "DOC"});
}

// Hosts whose links and pictures a message page scan does not follow: the
// service's own image, help, login and portal hosts, the group hosts, the
// service's former domain, other portals and list hosts, and ad servers.
QStringList DefaultIgnoredSites()
{
    const QString login = QString::fromLatin1(hosts::LOGIN_HOST);
    const QString domain = login.section(QLatin1Char('.'), 1); // the service's domain
    return {
        QString::fromLatin1(hosts::IMAGE_HOST) + "/",
        domain + "/img/",
        "help." + domain,
        login + "/",
        "rd." + domain + "/",
        "profiles." + domain,
        "clubs." + domain,
        "mail." + domain,
        "docs." + domain,
        QString::fromLatin1(hosts::PHOTO_HOST),
        QString::fromLatin1(hosts::GROUP_HOST),
        "egroups.com",
        "google.com",
        "hotmail.com",
        "aol.com",
        "topica.com",
        "listbot.com",
        "doubleclick.net",
        "atdmt.com",
        "valueclick.com",
        "googlesyndication.com",
        "javascript",
    };
}

QStringList UpperCase(QStringList entries)
{
    for (QString &entry : entries)
        entry = entry.toUpper();
    return entries;
}

// A stored list replaces the current one only when it has entries.
void ReadList(const IniFile &ini, const QString &section, QStringList &list)
{
    const QStringList stored = ini.ReadStringList(section);
    if (!stored.isEmpty())
        list = stored;
    list = UpperCase(list);
}

void Read(const IniFile &ini, const QString &key, bool &field)
{
    field = ini.ReadBool(kDownload, key, field);
}

void Read(const IniFile &ini, const QString &key, int &field)
{
    field = ini.ReadInteger(kDownload, key, field);
}

void Read(const IniFile &ini, const QString &key, QString &field)
{
    field = ini.ReadString(kDownload, key, field);
}

void Write(IniFile &ini, const QString &key, bool value)
{
    ini.WriteBool(kDownload, key, value);
}

void Write(IniFile &ini, const QString &key, int value)
{
    ini.WriteInteger(kDownload, key, value);
}

void Write(IniFile &ini, const QString &key, const QString &value)
{
    ini.WriteString(kDownload, key, value);
}

// The login form strings keep their built-in value unless a non-empty one is stored.
void ReadNonEmpty(const IniFile &ini, const QString &key, QString &field)
{
    const QString stored = ini.ReadString(kDownload, key, QString());
    if (!stored.isEmpty())
        field = stored;
}

std::uint8_t FileNameFormatFromFile(int stored)
{
    return (stored == 0 || stored == 2 || stored == 3 || stored == 4) ? static_cast<std::uint8_t>(stored) : 1;
}

int FileNameFormatForFile(std::uint8_t value)
{
    return (value >= 1 && value <= 4) ? value : 0;
}

// The extension of a name's last path part, without dots, in upper case.
QString NameExtension(const QString &name)
{
    QString path = name;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.indexOf(QLatin1Char('\\'), dot) >= 0)
        return {};
    return path.mid(dot + 1).toUpper();
}

bool HasTickedEntry(const QStringList &entries, const QString &extension)
{
    return std::any_of(entries.begin(), entries.end(), [&](const QString &entry) {
        return IsTickedExtension(entry) && SameText(ExtensionOfEntry(entry), extension);
    });
}

} // namespace

QString DefaultSaveDir()
{
    return HomeFolder() + QStringLiteral("Yahoo Groups Files/");
}

bool IsTickedExtension(const QString &entry)
{
    return entry.contains(QLatin1String("C:"), Qt::CaseInsensitive);
}

QString ExtensionOfEntry(const QString &entry)
{
    return QString(entry).remove(QLatin1String("C:"), Qt::CaseInsensitive);
}

QString MakeExtensionEntry(const QString &extension, bool ticked)
{
    return ticked ? QStringLiteral("C:") + extension : extension;
}

TYahooDownloadOptions::TYahooDownloadOptions()
    : strSaveDir(DefaultSaveDir())
    , IncludeExtensions(DefaultIncludeExtensions())
    , ExcludeExtensions(DefaultExcludeExtensions())
    , IgnoreEmbbededSites(DefaultIgnoredSites())
    , AutoClickButtons{QStringLiteral("http://") + hosts::GROUP_HOST + QStringLiteral("/adultconf     I Accept")}
    , strAutoLoginURL(QStringLiteral("http://") + hosts::LOGIN_HOST)
    , strAutoLoginErrorURL(QString::fromLatin1(hosts::LOGIN_HOST) + QStringLiteral("/config/login"))
    , strSucessWaveFile(ProgramFolder() + QStringLiteral("ok.wav"))
    , strErrorWaveFile(ProgramFolder() + QStringLiteral("error.wav"))
{
}

QString TYahooDownloadOptions::FilePath()
{
    return DataFolder() + QStringLiteral("Options.ini");
}

void TYahooDownloadOptions::ApplyLimits()
{
    intThreadCount = std::clamp(intThreadCount, 1, 9);
    intTimeOut = std::clamp(intTimeOut, 10, 120);
    intDownloadDelay = std::clamp(intDownloadDelay, 10, 500);
    m_intLoginProcess = std::min(m_intLoginProcess, 2); // no lower bound
    if (!m_boolReloginBeforeDownload)
        m_boolClearCacheBeforeDownload = false;
    if (m_intAdvDownloadDelayInMins < 1)
        m_intAdvDownloadDelayInMins = 5;
    if (m_intAdvMessageCount < 1)
        m_intAdvMessageCount = 100;
    if (m_intAdvPhotoFilesCount < 1)
        m_intAdvPhotoFilesCount = 50;
}

bool TYahooDownloadOptions::Load(const QString &path)
{
    const QString file = path.isEmpty() ? FilePath() : path;
    if (!QFileInfo::exists(file))
        return true;
    const IniFile ini(file);
    if (ini.Loaded() != IniFile::LoadResult::Read)
        return false;

    Read(ini, QStringLiteral("strSaveDir"), strSaveDir);
    if (strSaveDir.isEmpty())
        strSaveDir = DefaultSaveDir();
    Read(ini, QStringLiteral("boolDebugDownloads"), boolDebugDownloads);
    Read(ini, QStringLiteral("boolAllowOverwrite"), boolAllowOverwrite);
    Read(ini, QStringLiteral("boolUseMessageDateFormat"), boolUseMessageDateFormat);
    Read(ini, QStringLiteral("boolIgnoreDuplicated"), boolIgnoreDuplicated);
    Read(ini, QStringLiteral("m_boolIgnoreViewer"), m_boolIgnoreViewer);

    Read(ini, QStringLiteral("intThreadCount"), intThreadCount);
    Read(ini, QStringLiteral("intTimeOut"), intTimeOut);
    Read(ini, QStringLiteral("boolEnableDownloadDelay"), boolEnableDownloadDelay);
    Read(ini, QStringLiteral("intDownloadDelay"), intDownloadDelay);
    Read(ini, QStringLiteral("boolGrabOtherGroups"), boolGrabOtherGroups);
    Read(ini, QStringLiteral("boolGrabOtherURLs"), boolGrabOtherURLs);

    fileNameFormatObj = FileNameFormatFromFile(ini.ReadInteger(kDownload, QStringLiteral("fileNameFormatObj"), 4));
    Read(ini, QStringLiteral("boolDownloadAllFiles"), boolDownloadAllFiles);

    ReadList(ini, kIncludeExtensions, IncludeExtensions);
    ReadList(ini, kExcludeExtensions, ExcludeExtensions);
    ReadList(ini, kIgnoreEmbbededSites, IgnoreEmbbededSites);
    Read(ini, QStringLiteral("boolEnableAutoClick"), boolEnableAutoClick);
    ReadList(ini, kAutoClickButtons, AutoClickButtons);

    ReadNonEmpty(ini, QStringLiteral("strAutoLoginURL"), strAutoLoginURL);
    ReadNonEmpty(ini, QStringLiteral("strAutoLoginErrorURL"), strAutoLoginErrorURL);
    ReadNonEmpty(ini, QStringLiteral("strAutoLoginUserName"), strAutoLoginUserName);
    ReadNonEmpty(ini, QStringLiteral("strAutoLoginPassword"), strAutoLoginPassword);
    ReadNonEmpty(ini, QStringLiteral("strAutoLoginSavePassword"), strAutoLoginSavePassword);
    ReadNonEmpty(ini, QStringLiteral("strAutoLoginSignInName"), strAutoLoginSignInName);
    ReadNonEmpty(ini, QStringLiteral("strAutoLoginSignInText"), strAutoLoginSignInText);

    Read(ini, QStringLiteral("boolEnableSoundEvents"), boolEnableSoundEvents);
    Read(ini, QStringLiteral("strSucessWaveFile"), strSucessWaveFile);
    Read(ini, QStringLiteral("strErrorWaveFile"), strErrorWaveFile);

    Read(ini, QStringLiteral("m_intLoginProcess"), m_intLoginProcess);
    Read(ini, QStringLiteral("m_boolReloginBeforeDownload"), m_boolReloginBeforeDownload);
    if (m_boolReloginBeforeDownload)
        Read(ini, QStringLiteral("m_boolClearCacheBeforeDownload"), m_boolClearCacheBeforeDownload);
    else
        m_boolClearCacheBeforeDownload = false;

    Read(ini, QStringLiteral("m_boolExtendedLoginCheck"), m_boolExtendedLoginCheck);
    Read(ini, QStringLiteral("m_boolEnableAppLogging"), m_boolEnableAppLogging);
    Read(ini, QStringLiteral("m_boolDownloadDetailMessage"), m_boolDownloadDetailMessage);
    Read(ini, QStringLiteral("m_boolDownloadDiffSizeDuplicates"), m_boolDownloadDiffSizeDuplicates);
    Read(ini, QStringLiteral("m_boolMinTrayAfterCompletion"), m_boolMinTrayAfterCompletion);
    Read(ini, QStringLiteral("m_boolLogoutAfterCompletion"), m_boolLogoutAfterCompletion);
    Read(ini, QStringLiteral("m_boolEnableAdvDownloadDelay"), m_boolEnableAdvDownloadDelay);
    Read(ini, QStringLiteral("m_boolKillViewerAfterCompletion"), m_boolKillViewerAfterCompletion);

    Read(ini, QStringLiteral("m_intAdvDownloadDelayInMins"), m_intAdvDownloadDelayInMins);
    Read(ini, QStringLiteral("m_intAdvMessageCount"), m_intAdvMessageCount);
    Read(ini, QStringLiteral("m_intAdvPhotoFilesCount"), m_intAdvPhotoFilesCount);

    // Every clamp depends on its own field only, so clamping once here gives
    // what clamping after each read would.
    ApplyLimits();
    return true;
}

bool TYahooDownloadOptions::Save(const QString &path)
{
    const QString file = path.isEmpty() ? FilePath() : path;
    if (!QFileInfo::exists(file))
        QDir().mkpath(QFileInfo(file).absolutePath());
    ApplyLimits();

    IniFile ini(file);
    const auto write = [&ini](const QString &key, const auto &value) { Write(ini, key, value); };
    write(QStringLiteral("strSaveDir"), strSaveDir);
    write(QStringLiteral("boolDebugDownloads"), boolDebugDownloads);
    write(QStringLiteral("boolAllowOverwrite"), boolAllowOverwrite);
    write(QStringLiteral("boolUseMessageDateFormat"), boolUseMessageDateFormat);
    write(QStringLiteral("boolIgnoreDuplicated"), boolIgnoreDuplicated);
    write(QStringLiteral("m_boolIgnoreViewer"), m_boolIgnoreViewer);
    write(QStringLiteral("intThreadCount"), intThreadCount);
    write(QStringLiteral("intTimeOut"), intTimeOut);
    write(QStringLiteral("boolEnableDownloadDelay"), boolEnableDownloadDelay);
    write(QStringLiteral("intDownloadDelay"), intDownloadDelay);
    write(QStringLiteral("boolGrabOtherGroups"), boolGrabOtherGroups);
    write(QStringLiteral("boolGrabOtherURLs"), boolGrabOtherURLs);
    write(QStringLiteral("fileNameFormatObj"), FileNameFormatForFile(fileNameFormatObj));
    write(QStringLiteral("boolDownloadAllFiles"), boolDownloadAllFiles);
    ini.WriteStringList(kIncludeExtensions, IncludeExtensions);
    ini.WriteStringList(kExcludeExtensions, ExcludeExtensions);
    ini.WriteStringList(kIgnoreEmbbededSites, IgnoreEmbbededSites);
    write(QStringLiteral("boolEnableAutoClick"), boolEnableAutoClick);
    ini.WriteStringList(kAutoClickButtons, AutoClickButtons);
    write(QStringLiteral("strAutoLoginURL"), strAutoLoginURL);
    write(QStringLiteral("strAutoLoginErrorURL"), strAutoLoginErrorURL);
    write(QStringLiteral("strAutoLoginUserName"), strAutoLoginUserName);
    write(QStringLiteral("strAutoLoginPassword"), strAutoLoginPassword);
    write(QStringLiteral("strAutoLoginSavePassword"), strAutoLoginSavePassword);
    write(QStringLiteral("strAutoLoginSignInName"), strAutoLoginSignInName);
    write(QStringLiteral("strAutoLoginSignInText"), strAutoLoginSignInText);
    write(QStringLiteral("boolEnableSoundEvents"), boolEnableSoundEvents);
    write(QStringLiteral("strSucessWaveFile"), strSucessWaveFile);
    write(QStringLiteral("strErrorWaveFile"), strErrorWaveFile);
    write(QStringLiteral("m_intLoginProcess"), m_intLoginProcess);
    write(QStringLiteral("m_boolReloginBeforeDownload"), m_boolReloginBeforeDownload);
    write(QStringLiteral("m_boolClearCacheBeforeDownload"), m_boolClearCacheBeforeDownload);
    write(QStringLiteral("m_boolExtendedLoginCheck"), m_boolExtendedLoginCheck);
    write(QStringLiteral("m_boolEnableAppLogging"), m_boolEnableAppLogging);
    write(QStringLiteral("m_boolDownloadDetailMessage"), m_boolDownloadDetailMessage);
    write(QStringLiteral("m_boolDownloadDiffSizeDuplicates"), m_boolDownloadDiffSizeDuplicates);
    write(QStringLiteral("m_boolMinTrayAfterCompletion"), m_boolMinTrayAfterCompletion);
    write(QStringLiteral("m_boolLogoutAfterCompletion"), m_boolLogoutAfterCompletion);
    write(QStringLiteral("m_boolKillViewerAfterCompletion"), m_boolKillViewerAfterCompletion);
    write(QStringLiteral("m_boolEnableAdvDownloadDelay"), m_boolEnableAdvDownloadDelay);
    write(QStringLiteral("m_intAdvDownloadDelayInMins"), m_intAdvDownloadDelayInMins);
    write(QStringLiteral("m_intAdvMessageCount"), m_intAdvMessageCount);
    write(QStringLiteral("m_intAdvPhotoFilesCount"), m_intAdvPhotoFilesCount);
    return ini.Save();
}

void TYahooDownloadOptions::FilterByExtension(QStringList &names) const
{
    QStringList kept;
    for (const QString &name : names) {
        const QString extension = NameExtension(name);
        if (HasTickedEntry(ExcludeExtensions, extension))
            continue;
        if (!boolDownloadAllFiles && !HasTickedEntry(IncludeExtensions, extension))
            continue;
        kept.append(name);
    }
    names = kept;
}

} // namespace brindle
