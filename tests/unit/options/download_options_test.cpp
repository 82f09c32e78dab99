#include "settings/options/download_options.h"

#include "common/app_folders.h"
#include "common/service_hosts.h"
#include "platform/ini/ini_file.h"
#include "support/test_env.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <gtest/gtest.h>

using namespace brindle;

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

class DownloadOptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = test::TemporaryHome() + "options/" + info->name() + "/";
        QDir(folder).removeRecursively();
        path = folder + "Options.ini";
    }

    // Writes an options file whose "Download" section holds the given lines.
    void WriteDownloadSection(const QByteArray &lines, const QByteArray &more = {}) const
    {
        QDir().mkpath(folder);
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("[Download]\n" + lines + "\n" + more);
    }

    TYahooDownloadOptions Loaded() const
    {
        TYahooDownloadOptions options;
        EXPECT_TRUE(options.Load(path));
        return options;
    }

    QString folder;
    QString path;
};

// Every value the options file keeps, so two instances can be compared.
QStringList StoredValues(const TYahooDownloadOptions &o)
{
    QStringList values{o.strSaveDir, o.IncludeExtensions.join('|'), o.ExcludeExtensions.join('|'),
                       o.IgnoreEmbbededSites.join('|'), o.AutoClickButtons.join('|'), o.strAutoLoginURL,
                       o.strAutoLoginErrorURL, o.strAutoLoginUserName, o.strAutoLoginPassword,
                       o.strAutoLoginSavePassword, o.strAutoLoginSignInName, o.strAutoLoginSignInText,
                       o.strSucessWaveFile, o.strErrorWaveFile};
    for (int number : {o.intThreadCount, o.intTimeOut, o.intDownloadDelay, int(o.fileNameFormatObj), o.m_intLoginProcess,
                       o.m_intAdvDownloadDelayInMins, o.m_intAdvMessageCount, o.m_intAdvPhotoFilesCount})
        values.append(QString::number(number));
    for (bool flag : {o.boolEnableDownloadDelay, o.boolGrabOtherGroups, o.boolGrabOtherURLs, o.boolDownloadAllFiles,
                      o.boolUseMessageDateFormat, o.boolAllowOverwrite, o.boolDebugDownloads, o.boolEnableAutoClick,
                      o.boolEnableSoundEvents, o.boolIgnoreDuplicated, o.m_boolIgnoreViewer, o.m_boolReloginBeforeDownload,
                      o.m_boolClearCacheBeforeDownload, o.m_boolExtendedLoginCheck, o.m_boolEnableAppLogging,
                      o.m_boolDownloadDetailMessage, o.m_boolDownloadDiffSizeDuplicates, o.m_boolMinTrayAfterCompletion,
                      o.m_boolLogoutAfterCompletion, o.m_boolKillViewerAfterCompletion, o.m_boolEnableAdvDownloadDelay})
        values.append(flag ? "1" : "0");
    return values;
}

} // namespace

TEST_F(DownloadOptionsTest, DefaultsOfANewInstance)
{
    const TYahooDownloadOptions o;
    EXPECT_EQ(o.GetSection(), Section::Attachments);
    EXPECT_EQ(o.strSaveDir, test::TemporaryHome() + "Yahoo Groups Files/");
    EXPECT_EQ(o.strSucessWaveFile, ProgramFolder() + "ok.wav");
    EXPECT_EQ(o.strErrorWaveFile, ProgramFolder() + "error.wav");
    EXPECT_EQ(TYahooDownloadOptions::FilePath(), test::TemporaryHome() + ".local/share/Brindle2/Data/Options.ini");
    EXPECT_EQ(o.intThreadCount, 1);
    EXPECT_EQ(o.intTimeOut, 60);
    EXPECT_EQ(o.intDownloadDelay, 30);
    EXPECT_EQ(o.fileNameFormatObj, 4);
    EXPECT_EQ(o.m_intLoginProcess, 2);
    EXPECT_EQ(o.m_intAdvDownloadDelayInMins, 10);
    EXPECT_EQ(o.m_intAdvMessageCount, 100);
    EXPECT_EQ(o.m_intAdvPhotoFilesCount, 50);
    EXPECT_TRUE(o.boolGrabOtherGroups && o.boolGrabOtherURLs && o.boolDownloadAllFiles && o.boolEnableAutoClick
                && o.boolIgnoreDuplicated && o.m_boolExtendedLoginCheck);
    EXPECT_FALSE(o.boolEnableDownloadDelay || o.boolDebugDownloads || o.m_boolReloginBeforeDownload
                 || o.m_boolClearCacheBeforeDownload || o.m_boolLastLoginAutomated || o.m_boolEnableAdvDownloadDelay);
    EXPECT_EQ(o.strAutoLoginURL, QStringLiteral("http://") + hosts::LOGIN_HOST);
    EXPECT_EQ(o.strAutoLoginErrorURL, QString(hosts::LOGIN_HOST) + "/config/login");
    EXPECT_EQ((QStringList{o.strAutoLoginUserName, o.strAutoLoginPassword, o.strAutoLoginSavePassword,
                           o.strAutoLoginSignInName, o.strAutoLoginSignInText}),
              (QStringList{"login", "passwd", ".persistent", ".save", "Sign In"}));
    EXPECT_EQ(o.AutoClickButtons, QStringList{QStringLiteral("http://") + hosts::GROUP_HOST + "/adultconf     I Accept"});

    EXPECT_EQ(o.IncludeExtensions.size(), 40);
    EXPECT_EQ(o.IncludeExtensions.first(), "C:BMP");
    EXPECT_EQ(o.IncludeExtensions.last(), "C:EML");
    EXPECT_EQ(o.ExcludeExtensions.size(), 22);
    EXPECT_EQ(o.ExcludeExtensions.first(), "C:VBS");
    EXPECT_EQ(o.ExcludeExtensions.last(), "C:DOC");

    EXPECT_EQ(o.IgnoreEmbbededSites.size(), 22);
    EXPECT_EQ(QSet<QString>(o.IgnoreEmbbededSites.begin(), o.IgnoreEmbbededSites.end()).size(), 22);
    EXPECT_EQ(o.IgnoreEmbbededSites.first(), QString(hosts::IMAGE_HOST) + "/");
    EXPECT_EQ(o.IgnoreEmbbededSites.last(), "javascript");
    for (const char *host : {hosts::PHOTO_HOST, hosts::GROUP_HOST})
        EXPECT_TRUE(o.IgnoreEmbbededSites.contains(QString(host))) << host;
    EXPECT_TRUE(o.IgnoreEmbbededSites.contains(QString(hosts::LOGIN_HOST) + "/"));
}

TEST_F(DownloadOptionsTest, WithoutAFileLoadChangesNothingAndSaveCreatesFolderAndFile)
{
    TYahooDownloadOptions o;
    o.intThreadCount = 5;
    o.strSaveDir = "/somewhere/else/";
    EXPECT_TRUE(o.Load(path));
    EXPECT_EQ(o.intThreadCount, 5);
    EXPECT_EQ(o.strSaveDir, "/somewhere/else/");

    ASSERT_FALSE(QDir(folder).exists());
    EXPECT_TRUE(o.Save(path));
    EXPECT_TRUE(QFile::exists(path));
    const TYahooDownloadOptions reloaded = Loaded();
    EXPECT_EQ(reloaded.intThreadCount, 5);
    EXPECT_EQ(reloaded.strSaveDir, "/somewhere/else/");
}

TEST_F(DownloadOptionsTest, DefaultFileInTheDataFolder)
{
    QDir(DataFolder()).removeRecursively();
    TYahooDownloadOptions o;
    o.intTimeOut = 99;
    EXPECT_TRUE(o.Save());
    EXPECT_TRUE(QFile::exists(DataFolder() + "Options.ini"));
    TYahooDownloadOptions reloaded;
    EXPECT_TRUE(reloaded.Load());
    EXPECT_EQ(reloaded.intTimeOut, 99);
    QDir(DataFolder()).removeRecursively();
}

TEST_F(DownloadOptionsTest, LoadClampsAndMapsStoredValues)
{
    const struct {
        const char *line;
        int TYahooDownloadOptions::*field;
        int expected;
    } cases[] = {
        {"intThreadCount=0", &TYahooDownloadOptions::intThreadCount, 1},
        {"intThreadCount=12", &TYahooDownloadOptions::intThreadCount, 9},
        {"intThreadCount=0x5", &TYahooDownloadOptions::intThreadCount, 5},
        {"intThreadCount=many", &TYahooDownloadOptions::intThreadCount, 1},
        {"intTimeOut=500", &TYahooDownloadOptions::intTimeOut, 120},
        {"intTimeOut=9", &TYahooDownloadOptions::intTimeOut, 10},
        {"intDownloadDelay=5", &TYahooDownloadOptions::intDownloadDelay, 10},
        {"intDownloadDelay=501", &TYahooDownloadOptions::intDownloadDelay, 500},
        {"m_intLoginProcess=5", &TYahooDownloadOptions::m_intLoginProcess, 2},
        {"m_intLoginProcess=-3", &TYahooDownloadOptions::m_intLoginProcess, -3},
        {"m_intLoginProcess=0", &TYahooDownloadOptions::m_intLoginProcess, 0},
        {"m_intAdvDownloadDelayInMins=0", &TYahooDownloadOptions::m_intAdvDownloadDelayInMins, 5},
        {"m_intAdvDownloadDelayInMins=3", &TYahooDownloadOptions::m_intAdvDownloadDelayInMins, 3},
        {"m_intAdvMessageCount=-1", &TYahooDownloadOptions::m_intAdvMessageCount, 100},
        {"m_intAdvPhotoFilesCount=0", &TYahooDownloadOptions::m_intAdvPhotoFilesCount, 50},
    };
    for (const auto &c : cases) {
        WriteDownloadSection(c.line);
        EXPECT_EQ(Loaded().*c.field, c.expected) << c.line;
    }

    const struct { const char *line; int expected; } formats[] = {
        {"fileNameFormatObj=7", 1}, {"fileNameFormatObj=1", 1}, {"fileNameFormatObj=0", 0}, {"fileNameFormatObj=2", 2},
        {"fileNameFormatObj=3", 3}, {"fileNameFormatObj=-1", 1}, {"fileNameFormatObj=junk", 4}, {"", 4},
    };
    for (const auto &c : formats) {
        WriteDownloadSection(c.line);
        EXPECT_EQ(Loaded().fileNameFormatObj, c.expected) << c.line;
    }
}

TEST_F(DownloadOptionsTest, LoadKeepsBuiltInValuesForEmptyOrMissingEntries)
{
    WriteDownloadSection("strSaveDir=\nstrAutoLoginUserName=\nstrAutoLoginPassword=pw\nstrSucessWaveFile=\n");
    const TYahooDownloadOptions o = Loaded();
    EXPECT_EQ(o.strSaveDir, test::TemporaryHome() + "Yahoo Groups Files/");
    EXPECT_EQ(o.strAutoLoginUserName, "login");
    EXPECT_EQ(o.strAutoLoginPassword, "pw");
    EXPECT_EQ(o.strAutoLoginSignInText, "Sign In");
    EXPECT_EQ(o.strSucessWaveFile, "") << "sound files are taken as stored";
    EXPECT_EQ(o.intTimeOut, 60);
}

TEST_F(DownloadOptionsTest, ClearCacheNeedsRelogin)
{
    const struct { const char *lines; bool relogin; bool clearCache; } cases[] = {
        {"m_boolReloginBeforeDownload=0\nm_boolClearCacheBeforeDownload=1", false, false},
        {"m_boolReloginBeforeDownload=1\nm_boolClearCacheBeforeDownload=1", true, true},
        {"m_boolReloginBeforeDownload=7\nm_boolClearCacheBeforeDownload=0", true, false},
        {"m_boolClearCacheBeforeDownload=1", false, false},
    };
    for (const auto &c : cases) {
        WriteDownloadSection(c.lines);
        const TYahooDownloadOptions o = Loaded();
        EXPECT_EQ(o.m_boolReloginBeforeDownload, c.relogin) << c.lines;
        EXPECT_EQ(o.m_boolClearCacheBeforeDownload, c.clearCache) << c.lines;
    }

    TYahooDownloadOptions o;
    o.m_boolClearCacheBeforeDownload = true;
    ASSERT_TRUE(o.Save(path));
    EXPECT_FALSE(o.m_boolClearCacheBeforeDownload);
    EXPECT_EQ(IniFile(path).ReadString("Download", "m_boolClearCacheBeforeDownload", ""), "0");
}

TEST_F(DownloadOptionsTest, SaveClampsTheFieldsAndMapsTheFileNameFormat)
{
    TYahooDownloadOptions o;
    o.intThreadCount = 20;
    o.intTimeOut = 1;
    o.intDownloadDelay = 1000;
    o.m_intLoginProcess = 9;
    o.m_intAdvDownloadDelayInMins = 0;
    o.m_intAdvMessageCount = 0;
    o.m_intAdvPhotoFilesCount = -4;
    o.fileNameFormatObj = 9;
    ASSERT_TRUE(o.Save(path));
    EXPECT_EQ(o.intThreadCount, 9);
    EXPECT_EQ(o.intTimeOut, 10);
    EXPECT_EQ(o.intDownloadDelay, 500);
    EXPECT_EQ(o.m_intLoginProcess, 2);
    EXPECT_EQ(o.m_intAdvDownloadDelayInMins, 5);
    EXPECT_EQ(o.m_intAdvMessageCount, 100);
    EXPECT_EQ(o.m_intAdvPhotoFilesCount, 50);

    const IniFile ini(path);
    EXPECT_EQ(ini.ReadString("Download", "intThreadCount", ""), "9");
    EXPECT_EQ(ini.ReadString("Download", "fileNameFormatObj", ""), "0");

    const struct { int field; const char *written; int loaded; } formats[] = {{0, "0", 0}, {1, "1", 1}, {4, "4", 4}, {9, "0", 0}};
    for (const auto &c : formats) {
        TYahooDownloadOptions f;
        f.fileNameFormatObj = static_cast<std::uint8_t>(c.field);
        ASSERT_TRUE(f.Save(path));
        EXPECT_EQ(IniFile(path).ReadString("Download", "fileNameFormatObj", ""), c.written) << c.field;
        EXPECT_EQ(Loaded().fileNameFormatObj, c.loaded) << c.field;
    }
}

TEST_F(DownloadOptionsTest, SaveWritesEveryKeyInItsOrder)
{
    ASSERT_TRUE(TYahooDownloadOptions().Save(path));
    const IniFile ini(path);
    EXPECT_EQ(ini.Sections(), (QStringList{"Download", "IncludeExtensions", "ExcludeExtensions", "IgnoreEmbbededSites",
                                           "AutoClickButtons"}));
    EXPECT_EQ(ini.Keys("Download"),
              (QStringList{"strSaveDir", "boolDebugDownloads", "boolAllowOverwrite", "boolUseMessageDateFormat",
                           "boolIgnoreDuplicated", "m_boolIgnoreViewer", "intThreadCount", "intTimeOut",
                           "boolEnableDownloadDelay", "intDownloadDelay", "boolGrabOtherGroups", "boolGrabOtherURLs",
                           "fileNameFormatObj", "boolDownloadAllFiles", "boolEnableAutoClick", "strAutoLoginURL",
                           "strAutoLoginErrorURL", "strAutoLoginUserName", "strAutoLoginPassword",
                           "strAutoLoginSavePassword", "strAutoLoginSignInName", "strAutoLoginSignInText",
                           "boolEnableSoundEvents", "strSucessWaveFile", "strErrorWaveFile", "m_intLoginProcess",
                           "m_boolReloginBeforeDownload", "m_boolClearCacheBeforeDownload", "m_boolExtendedLoginCheck",
                           "m_boolEnableAppLogging", "m_boolDownloadDetailMessage", "m_boolDownloadDiffSizeDuplicates",
                           "m_boolMinTrayAfterCompletion", "m_boolLogoutAfterCompletion",
                           "m_boolKillViewerAfterCompletion", "m_boolEnableAdvDownloadDelay",
                           "m_intAdvDownloadDelayInMins", "m_intAdvMessageCount", "m_intAdvPhotoFilesCount"}));
    EXPECT_EQ(ini.ReadString("Download", "boolGrabOtherGroups", ""), "1");
    EXPECT_EQ(ini.ReadString("Download", "boolDebugDownloads", ""), "0");
    EXPECT_EQ(ini.ReadInteger("IgnoreEmbbededSites", "Count", 0), 22);
}

TEST_F(DownloadOptionsTest, EveryValueSurvivesSaveAndLoad)
{
    TYahooDownloadOptions o;
    o.strSaveDir = "/archive/";
    o.intThreadCount = 4;
    o.intTimeOut = 33;
    o.intDownloadDelay = 44;
    o.fileNameFormatObj = 2;
    o.m_intLoginProcess = -1;
    o.m_intAdvDownloadDelayInMins = 7;
    o.m_intAdvMessageCount = 8;
    o.m_intAdvPhotoFilesCount = 9;
    o.strAutoLoginURL = "http://login.example.invalid";
    o.strAutoLoginSignInText = "Go";
    o.strErrorWaveFile = "/sounds/err.wav";
    o.IgnoreEmbbededSites = QStringList{"ADS.EXAMPLE", "TRACKER/"};
    o.AutoClickButtons = QStringList{"HTTP://A/B     OK"};
    for (bool *flag : {&o.boolEnableDownloadDelay, &o.boolUseMessageDateFormat, &o.boolAllowOverwrite,
                       &o.boolDebugDownloads, &o.boolEnableSoundEvents, &o.m_boolIgnoreViewer,
                       &o.m_boolReloginBeforeDownload, &o.m_boolClearCacheBeforeDownload, &o.m_boolEnableAppLogging,
                       &o.m_boolDownloadDetailMessage, &o.m_boolDownloadDiffSizeDuplicates,
                       &o.m_boolMinTrayAfterCompletion, &o.m_boolLogoutAfterCompletion,
                       &o.m_boolKillViewerAfterCompletion, &o.m_boolEnableAdvDownloadDelay})
        *flag = true;
    for (bool *flag : {&o.boolGrabOtherGroups, &o.boolGrabOtherURLs, &o.boolDownloadAllFiles, &o.boolEnableAutoClick,
                       &o.boolIgnoreDuplicated, &o.m_boolExtendedLoginCheck})
        *flag = false;
    ASSERT_TRUE(o.Save(path));
    EXPECT_EQ(StoredValues(Loaded()), StoredValues(o));
}

TEST_F(DownloadOptionsTest, RunTimeValuesAreNotStored)
{
    TYahooDownloadOptions o;
    o.SetSection(Section::Photos);
    o.m_intMessageFormat = 3;
    o.m_boolLastLoginAutomated = true;
    ASSERT_TRUE(o.Save(path));
    const TYahooDownloadOptions reloaded = Loaded();
    EXPECT_EQ(reloaded.GetSection(), Section::Attachments);
    EXPECT_EQ(reloaded.m_intMessageFormat, 0);
    EXPECT_FALSE(reloaded.m_boolLastLoginAutomated);
    const IniFile ini(path);
    for (const char *key : {"m_intSection", "m_intMessageFormat", "m_boolLastLoginAutomated"})
        EXPECT_FALSE(ini.ValueExists("Download", key)) << key;
}

TEST_F(DownloadOptionsTest, StoredListsReplaceTheDefaultsOnlyWhenTheyHaveEntries)
{
    const TYahooDownloadOptions defaults;
    const struct { const char *section; QStringList expected; } cases[] = {
        {"[IgnoreEmbbededSites]\nCount=0\n", defaults.IgnoreEmbbededSites},
        {"[IgnoreEmbbededSites]\n", defaults.IgnoreEmbbededSites},
        {"[IgnoreEmbbededSites]\nCount=2\n1=ads.example.com\n2=Tracker.Net/\n", {"ADS.EXAMPLE.COM", "TRACKER.NET/"}},
    };
    for (const auto &c : cases) {
        WriteDownloadSection("", c.section);
        QStringList expected = c.expected;
        for (QString &entry : expected)
            entry = entry.toUpper();
        EXPECT_EQ(Loaded().IgnoreEmbbededSites, expected) << c.section;
    }

    WriteDownloadSection("", "[AutoClickButtons]\nCount=1\n1=http://x/y  Yes please\n");
    EXPECT_EQ(Loaded().AutoClickButtons, QStringList{"HTTP://X/Y  YES PLEASE"});
}

TEST_F(DownloadOptionsTest, ExtensionTicksSurviveSaveAndLoad)
{
    TYahooDownloadOptions o;
    o.ExcludeExtensions.replace(o.ExcludeExtensions.indexOf("C:EXE"), "EXE");
    o.IncludeExtensions.append("c:webp");
    ASSERT_TRUE(o.Save(path));

    const TYahooDownloadOptions reloaded = Loaded();
    EXPECT_TRUE(reloaded.ExcludeExtensions.contains("EXE"));
    EXPECT_FALSE(reloaded.ExcludeExtensions.contains("C:EXE"));
    EXPECT_EQ(reloaded.IncludeExtensions.last(), "C:WEBP");

    WriteDownloadSection("", "[ExcludeExtensions]\nCount=0\n[IncludeExtensions]\n");
    EXPECT_EQ(Loaded().ExcludeExtensions, TYahooDownloadOptions().ExcludeExtensions);
    EXPECT_EQ(Loaded().IncludeExtensions, TYahooDownloadOptions().IncludeExtensions);
}

TEST_F(DownloadOptionsTest, ExtensionEntries)
{
    const struct { const char *entry; bool ticked; const char *extension; } cases[] = {
        {"C:JPG", true, "JPG"}, {"JPG", false, "JPG"}, {"c:jpg", true, "jpg"}, {"JPGC:", true, "JPG"},
        {"C:C:GIF", true, "GIF"}, {"C:", true, ""},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(IsTickedExtension(c.entry), c.ticked) << c.entry;
        EXPECT_EQ(ExtensionOfEntry(c.entry), c.extension) << c.entry;
    }
    EXPECT_EQ(MakeExtensionEntry("PNG", true), "C:PNG");
    EXPECT_EQ(MakeExtensionEntry("PNG", false), "PNG");
}

TEST_F(DownloadOptionsTest, FilterByExtension)
{
    const QStringList names{"photo.gif", "setup.exe", "readme.txt", "data.xyz", "noextension", "Picture.Jpg",
                            "dir.exe/inner", "archive.tar.ZIP", "trailingdot.", "http://host/path/file.GIF",
                            "a\\b.exe", "scan.tiff"};
    const struct { bool downloadAll; QStringList kept; } cases[] = {
        {true, {"photo.gif", "data.xyz", "noextension", "Picture.Jpg", "dir.exe/inner", "archive.tar.ZIP", "trailingdot.",
                "http://host/path/file.GIF", "scan.tiff"}},
        {false, {"photo.gif", "Picture.Jpg", "archive.tar.ZIP", "http://host/path/file.GIF", "scan.tiff"}},
    };
    for (const auto &c : cases) {
        TYahooDownloadOptions o;
        o.boolDownloadAllFiles = c.downloadAll;
        QStringList list = names;
        o.FilterByExtension(list);
        EXPECT_EQ(list, c.kept) << "download all: " << c.downloadAll;
    }
}

TEST_F(DownloadOptionsTest, UntickedEntriesDoNotCountAndLastOnlyAsLongAsTheInstance)
{
    TYahooDownloadOptions o;
    o.ExcludeExtensions.replace(o.ExcludeExtensions.indexOf("C:EXE"), "EXE");
    QStringList list{"setup.exe", "notes.txt"};
    o.FilterByExtension(list);
    EXPECT_EQ(list, QStringList{"setup.exe"});

    o.boolDownloadAllFiles = false;
    o.IncludeExtensions.replace(o.IncludeExtensions.indexOf("C:GIF"), "GIF");
    list = QStringList{"a.gif", "a.png", "setup.exe"};
    o.FilterByExtension(list);
    EXPECT_EQ(list, QStringList{"a.png"});

    QStringList fresh{"setup.exe"};
    TYahooDownloadOptions().FilterByExtension(fresh);
    EXPECT_TRUE(fresh.isEmpty());
}

TEST_F(DownloadOptionsTest, DamagedOptionsFileLeavesTheValuesAndIsRepairedBySave)
{
    QDir().mkpath(folder);
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray(3, '\0') + "[Download]\nintThreadCount=7\n");
    }
    TYahooDownloadOptions o;
    EXPECT_FALSE(o.Load(path));
    EXPECT_EQ(StoredValues(o), StoredValues(TYahooDownloadOptions()));
    o.intThreadCount = 3;
    EXPECT_TRUE(o.Save(path));
    EXPECT_EQ(Loaded().intThreadCount, 3);

    // A folder in the file's place can be neither read nor replaced.
    const QString blocked = folder + "blocked.ini";
    ASSERT_TRUE(QDir().mkpath(blocked));
    EXPECT_FALSE(o.Load(blocked));
    EXPECT_FALSE(o.Save(blocked));
    EXPECT_TRUE(QFileInfo(blocked).isDir());
}
