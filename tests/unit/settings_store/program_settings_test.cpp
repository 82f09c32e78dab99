#include "common/app_folders.h"
#include "settings/store/archive_layout.h"
#include "settings/store/data_files.h"
#include "settings/store/program_settings.h"
#include "settings/store/scrambler.h"
#include "settings_fixture.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <functional>

using namespace brindle;

namespace {

// The shortest lower-case text whose scrambled form holds a zero byte.
QByteArray CredentialScrambledWithZero(std::uint16_t key)
{
    for (int length = 1; length <= 3; ++length) {
        QByteArray text(length, 'a');
        std::function<bool(int)> search = [&](int at) {
            if (at == length)
                return Scramble(text, key).contains('\0');
            for (char c = 'a'; c <= 'z'; ++c) {
                text[at] = c;
                if (search(at + 1))
                    return true;
            }
            return false;
        };
        if (search(0))
            return text;
    }
    return {};
}

} // namespace

TEST(Scrambler, KeepsItsStoredForm)
{
    // "abc" (61 62 63) with key 8462 (0x210e):
    //   61 xor 21 = 40; k = ((0x40 + 8462) * 52845 + 22719) mod 65536 = 19189 (0x4af5)
    //   62 xor 4a = 28; k = ((0x28 + 19189) * 52845 + 22719) mod 65536 = 43544 (0xaa18)
    //   63 xor aa = c9
    EXPECT_EQ(Scramble("abc", kUserNameScrambleKey).toHex(), QByteArray("4028c9"));
    // With key 7319 (0x1c97): 61^1c = 7d, k = 53827 (0xd243); 62^d2 = b0, k = 46134 (0xb436); 63^b4 = d7.
    EXPECT_EQ(Scramble("abc", kPasswordScrambleKey).toHex(), QByteArray("7db0d7"));
    EXPECT_EQ(Unscramble(QByteArray::fromHex("4028c9"), kUserNameScrambleKey), QByteArray("abc"));
}

TEST(Scrambler, RoundTrips)
{
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte.append(char(b));
    QByteArray random(512, '\0');
    for (char &c : random)
        c = char(QRandomGenerator::global()->bounded(256));
    for (const QByteArray &text : {QByteArray(), everyByte, random, QByteArray("p\xc3\xa4ssw\0rd", 9)}) {
        for (std::uint16_t key : {kUserNameScrambleKey, kPasswordScrambleKey, std::uint16_t(0), std::uint16_t(0xffff)}) {
            const QByteArray scrambled = Scramble(text, key);
            EXPECT_EQ(scrambled.size(), text.size());
            EXPECT_EQ(Unscramble(scrambled, key), text) << key;
        }
    }
}

// A credential whose scrambled form holds a zero byte reads back whole, because
// credentials are stored as binary values.
TEST_F(SettingsTest, CredentialsWithAZeroInTheirScrambledForm)
{
    const QByteArray user = CredentialScrambledWithZero(kUserNameScrambleKey);
    const QByteArray password = CredentialScrambledWithZero(kPasswordScrambleKey);
    ASSERT_FALSE(user.isEmpty());
    ASSERT_FALSE(password.isEmpty());
    const QString userName = QString::fromLatin1(user) + QStringLiteral("\u00e9x");
    const QString secret = QString::fromLatin1(password) + QStringLiteral("!");

    ASSERT_TRUE(StoreUserName(userName));
    ASSERT_TRUE(StorePassword(secret));
    EXPECT_EQ(ReadUserName(), userName);
    EXPECT_EQ(ReadPassword(), secret);
    const auto stored = ReadRawSetting(QStringLiteral("UMask"));
    EXPECT_EQ(stored->type, RegistryType::Binary);
    EXPECT_TRUE(stored->data.contains('\0'));
    EXPECT_EQ(stored->data, Scramble(userName.toUtf8(), kUserNameScrambleKey));

    SaveLoginProfiles({{userName, secret}});
    EXPECT_EQ(ReadLoginProfiles(), QList<LoginProfile>({{userName, secret}}));
}

TEST_F(SettingsTest, CredentialsStoredAsTextStillRead)
{
    // One character per scrambled byte, as a string value.
    WriteSetting(QStringLiteral("UMask"), QString::fromLatin1(Scramble("joe", kUserNameScrambleKey)));
    WriteSetting(QStringLiteral("Persistence"), QString::fromLatin1(Scramble("s\xe9same", kPasswordScrambleKey)));
    WriteSetting(QStringLiteral("Profiles\\ann"), QString::fromLatin1(Scramble("pw", kUserNameScrambleKey)));
    EXPECT_EQ(ReadUserName(), QStringLiteral("joe"));
    EXPECT_EQ(ReadPassword(), QStringLiteral("s\u00e9same"));
    EXPECT_EQ(ReadLoginProfiles(), QList<LoginProfile>({{QStringLiteral("ann"), QStringLiteral("pw")}}));
    // Nothing stored reads as empty.
    DeleteSetting(QStringLiteral("UMask"));
    EXPECT_EQ(ReadUserName(), QString());
}

TEST_F(SettingsTest, NoPassKeepsThePasswordOut)
{
    ASSERT_TRUE(StorePassword(QStringLiteral("first")));
    WriteTypedSetting(QStringLiteral("NoPass"), true, SettingType::Boolean);
    EXPECT_TRUE(IsNoPass());
    EXPECT_FALSE(StorePassword(QStringLiteral("second")));
    EXPECT_EQ(ReadPassword(), QStringLiteral("first"));
    WriteTypedSetting(QStringLiteral("NoPass"), 0, SettingType::Integer);
    EXPECT_TRUE(StorePassword(QStringLiteral("third")));
    EXPECT_EQ(ReadPassword(), QStringLiteral("third"));
}

TEST_F(SettingsTest, LoginProfilesReplaceEachOtherWhole)
{
    WriteSetting(QStringLiteral("Profiles\\joe\\Knitters"), QStringLiteral("C:N"));
    SaveLoginProfiles({{QStringLiteral("old"), QStringLiteral("x")}});
    ASSERT_TRUE(SaveLoginProfiles({{QStringLiteral("ann"), QStringLiteral("1")},
                                   {QStringLiteral("bob"), QStringLiteral("2")},
                                   {QStringLiteral("ANN"), QStringLiteral("3")}}));
    EXPECT_EQ(ReadLoginProfiles(), QList<LoginProfile>({{QStringLiteral("ann"), QStringLiteral("3")}, {QStringLiteral("bob"), QStringLiteral("2")}}));
    EXPECT_EQ(ReadRawSetting(QStringLiteral("Profiles\\bob"))->data, Scramble("2", kUserNameScrambleKey));
    // The users' group lists below the same key are untouched.
    EXPECT_EQ(ReadSetting(QStringLiteral("Profiles\\joe\\Knitters")), QStringLiteral("C:N"));
    SaveLoginProfiles({});
    EXPECT_TRUE(ReadLoginProfiles().isEmpty());
    EXPECT_EQ(SettingKeyNames(QStringLiteral("Profiles")), QStringList({QStringLiteral("joe")}));
}

TEST_F(SettingsTest, DLModeMapsToSections)
{
    const struct {
        std::optional<int> stored;
        Section section;
    } reads[] = {
        {std::nullopt, Section::Files}, {0, Section::Files}, {1, Section::Photos}, {2, Section::Messages},
        {3, Section::Attachments}, {7, Section::Files}, {-1, Section::Files},
    };
    for (const auto &r : reads) {
        if (r.stored)
            WriteTypedSetting(QStringLiteral("DLMode"), *r.stored, SettingType::Integer);
        else
            DeleteSetting(QStringLiteral("DLMode"));
        EXPECT_EQ(ReadDLMode(), r.section) << r.stored.value_or(-99);
    }
    const std::pair<Section, int> writes[] = {
        {Section::Files, 0}, {Section::Photos, 1}, {Section::Messages, 2}, {Section::Attachments, 3}};
    for (const auto &[section, number] : writes) {
        WriteDLMode(section);
        EXPECT_EQ(ReadTypedSetting(QStringLiteral("DLMode"), SettingType::Integer), number);
        EXPECT_EQ(ReadDLMode(), section);
    }
}

TEST_F(SettingsTest, SimpleNamedValues)
{
    EXPECT_TRUE(UpdateStartValue());
    EXPECT_EQ(ReadSetting(QStringLiteral("StartValue")), QStringLiteral("4.3"));
    EXPECT_FALSE(UpdateStartValue());
    WriteSetting(QStringLiteral("StartValue"), QStringLiteral("4.2"));
    EXPECT_TRUE(UpdateStartValue());

    EXPECT_FALSE(ReadUseCache());
    WriteUseCache(true);
    EXPECT_TRUE(ReadUseCache());
    EXPECT_EQ(ReadRawSetting(QStringLiteral("UseCache")), RegistryValue::FromDword(1));

    const std::pair<Section, const char *> folders[] = {
        {Section::Files, "FilesDLDir"}, {Section::Photos, "PhotoDLDir"}, {Section::Messages, "MessageDLDir"}};
    for (const auto &[section, name] : folders) {
        ASSERT_TRUE(WriteDownloadFolder(section, QStringLiteral("/archive/") + QLatin1String(name)));
        EXPECT_EQ(ReadSetting(QLatin1String(name)), QStringLiteral("/archive/") + QLatin1String(name));
        EXPECT_EQ(ReadDownloadFolder(section), QStringLiteral("/archive/") + QLatin1String(name));
    }
    EXPECT_FALSE(WriteDownloadFolder(Section::Attachments, QStringLiteral("/x")));
    EXPECT_EQ(ReadDownloadFolder(Section::Attachments), QString());

    AddGrabbedGroup(QStringLiteral("knitters"));
    AddGrabbedGroup(QStringLiteral("Knitters"));
    AddGrabbedUrl(QStringLiteral("http://example.com/a\\b?c=d"));
    EXPECT_EQ(SettingValueNames(QStringLiteral("GrabbedGroups")), QStringList({QStringLiteral("knitters")}));
    EXPECT_EQ(SettingValueNames(QStringLiteral("GrabbedURLs")), QStringList({QStringLiteral("http://example.com/a\\b?c=d")}));
    EXPECT_EQ(Store().Read(QStringLiteral("Software\\Brindle2\\GrabbedGroups"), QStringLiteral("knitters"))->ToString(), QString());
}

TEST_F(SettingsTest, ArchiveLayout)
{
    const struct {
        const char *root;
        Section section;
        const char *group;
        bool oldFormat;
        const char *folder;
    } cases[] = {
        {"/home/u/Yahoo Groups Files", Section::Files, "knitters", false, "/home/u/Yahoo Groups Files/Files/knitters/"},
        {"/home/u/Yahoo Groups Files/", Section::Messages, "knitters", false, "/home/u/Yahoo Groups Files/Messages/knitters/"},
        {"/a/", Section::Photos, "knitters", true, "/a/knitters/Photos/"},
        {"/a", Section::Attachments, "knitters", true, "/a/knitters/Attachments/"},
        {"/a/", Section::Files, "../../etc", false, "/a/Files/____etc/"},
        {"/a/", Section::Files, "x\\..\\y", true, "/a/x___y/Files/"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ArchiveFolder(QLatin1String(c.root), c.section, QLatin1String(c.group), c.oldFormat), QLatin1String(c.folder)) << c.group;

    EXPECT_FALSE(IsOldFormat());
    EXPECT_EQ(ArchiveFolder(QStringLiteral("/a"), Section::Files, QStringLiteral("g")), QStringLiteral("/a/Files/g/"));
    WriteTypedSetting(QStringLiteral("OldFormat"), true, SettingType::Boolean);
    EXPECT_EQ(ArchiveFolder(QStringLiteral("/a"), Section::Files, QStringLiteral("g")), QStringLiteral("/a/g/Files/"));
}

TEST(DataFiles, PathsBelowTheDataFolder)
{
    EXPECT_EQ(SectionRecordFile(Section::Files, QStringLiteral("joe"), QStringLiteral("knitters")),
              DataFolder() + QStringLiteral("Files/joe/knitters.ini"));
    EXPECT_EQ(SectionRecordFile(Section::Attachments, QStringLiteral("joe"), QStringLiteral("k")), DataFolder() + QStringLiteral("Attachments/joe/k.ini"));
    EXPECT_EQ(SectionRecordFile(Section::Photos, QStringLiteral("../x"), QStringLiteral("a/b")), DataFolder() + QStringLiteral("Photos/__x/a_b.ini"));
    EXPECT_EQ(SectionRecordFile(Section::Messages, QStringLiteral("joe"), QStringLiteral("k")), QString());
    EXPECT_EQ(GrabbedGroupsFile(), DataFolder() + QStringLiteral("GrabbedGroups.ini"));
    EXPECT_EQ(GrabbedUrlsFile(), DataFolder() + QStringLiteral("GrabbedURLs.ini"));
    EXPECT_TRUE(DataFolder().startsWith(test::TemporaryHome()));

    // Without a data folder nor a home, data paths are built on the program's folder.
    const QByteArray home = qgetenv("HOME");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qunsetenv("HOME");
    qunsetenv("XDG_DATA_HOME");
    const QString record = SectionRecordFile(Section::Files, QStringLiteral("joe"), QStringLiteral("k"));
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", data);
    EXPECT_EQ(record, ProgramFolder() + QStringLiteral("Brindle2/Data/Files/joe/k.ini"));
}
