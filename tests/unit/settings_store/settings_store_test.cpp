#include "settings/store/settings_store.h"
#include "settings_fixture.h"

#include <gtest/gtest.h>

using namespace brindle;

TEST(SettingPaths, KeyAndValueName)
{
    const struct {
        const char *path;
        const char *key;
        const char *name;
    } cases[] = {
        {"UMask", "Software\\Brindle2", "UMask"},
        {"\\UMask", "Software\\Brindle2", "UMask"},
        {"Profiles\\joe\\my group", "Software\\Brindle2\\Profiles\\joe", "my group"},
        {"\\Profiles\\joe\\my group", "Software\\Brindle2\\Profiles\\joe", "my group"},
        {"Software\\Brindle2\\frmYahooOptions\\nbOptions.ActivePage", "Software\\Brindle2\\frmYahooOptions", "nbOptions.ActivePage"},
        {"\\software\\Other\\X", "software\\Other", "X"},
        {"Software\\X", "Software", "X"},
        {"Software", "Software\\Brindle2", "Software"},
        {"Profiles\\", "Software\\Brindle2\\Profiles", ""},
        {"", "Software\\Brindle2", ""},
    };
    for (const auto &c : cases) {
        const SettingPath resolved = ResolveSettingPath(QString::fromLatin1(c.path));
        EXPECT_EQ(resolved.key, QString::fromLatin1(c.key)) << c.path;
        EXPECT_EQ(resolved.name, QString::fromLatin1(c.name)) << c.path;
    }
    const struct {
        const char *key;
        const char *resolved;
    } keys[] = {
        {"", "Software\\Brindle2"},
        {"\\", "Software\\Brindle2"},
        {"Profiles", "Software\\Brindle2\\Profiles"},
        {"\\Profiles\\joe", "Software\\Brindle2\\Profiles\\joe"},
        {"Software\\Brindle2\\Profiles", "Software\\Brindle2\\Profiles"},
        {"SOFTWARE", "SOFTWARE"},
    };
    for (const auto &k : keys)
        EXPECT_EQ(ResolveSettingKey(QString::fromLatin1(k.key)), QString::fromLatin1(k.resolved)) << k.key;
}

TEST_F(SettingsTest, OnePathManySpellings)
{
    ASSERT_TRUE(WriteSetting(QStringLiteral("\\FilesDLDir"), QStringLiteral("/archive")));
    for (const char *path : {"FilesDLDir", "filesdldir", "\\FILESDLDIR", "Software\\Brindle2\\FilesDLDir", "software\\brindle2\\filesdldir"})
        EXPECT_EQ(ReadSetting(QString::fromLatin1(path)), QStringLiteral("/archive")) << path;
    EXPECT_EQ(Store().Read(QStringLiteral("Software\\Brindle2"), QStringLiteral("FilesDLDir")), RegistryValue::FromString(QStringLiteral("/archive")));

    WriteSetting(QStringLiteral("Profiles\\Joe\\Beta"), QStringLiteral("C:N"));
    WriteSetting(QStringLiteral("Profiles\\joe\\alpha"), QStringLiteral("U:N"));
    WriteSetting(QStringLiteral("profiles\\JOE\\BETA"), QStringLiteral("C:F"));
    EXPECT_EQ(SettingValueNames(QStringLiteral("Profiles\\joe")), QStringList({QStringLiteral("Beta"), QStringLiteral("alpha")}));
    EXPECT_EQ(ReadSetting(QStringLiteral("Profiles\\joe\\beta")), QStringLiteral("C:F"));
    EXPECT_EQ(SettingKeyNames(QStringLiteral("Profiles")), QStringList({QStringLiteral("Joe")}));
    EXPECT_EQ(SettingKeyNames(QString()), QStringList({QStringLiteral("Profiles")}));
    EXPECT_EQ(SettingValueNames(QString()), QStringList({QStringLiteral("FilesDLDir")}));
}

TEST_F(SettingsTest, MissingAndMismatchedValues)
{
    EXPECT_EQ(ReadSetting(QStringLiteral("Profiles\\nobody\\group")), QString());
    EXPECT_FALSE(ReadTypedSetting(QStringLiteral("DLMode"), SettingType::Integer).isValid());
    EXPECT_FALSE(ReadTypedSetting(QStringLiteral("NoPass"), SettingType::Boolean).toBool());
    EXPECT_FALSE(SettingExists(QStringLiteral("UMask")));
    EXPECT_TRUE(DeleteSetting(QStringLiteral("UMask")));
    EXPECT_TRUE(SettingValueNames(QStringLiteral("Profiles\\nobody")).isEmpty());
    // Reads leave no keys behind.
    EXPECT_TRUE(SettingKeyNames(QString()).isEmpty());
    EXPECT_FALSE(Store().KeyExists(QStringLiteral("Software")));

    WriteTypedSetting(QStringLiteral("DLMode"), 3, SettingType::Integer);
    WriteSetting(QStringLiteral("Text"), QStringLiteral("7"));
    EXPECT_EQ(ReadSetting(QStringLiteral("DLMode")), QString());
    EXPECT_FALSE(ReadTypedSetting(QStringLiteral("Text"), SettingType::Integer).isValid());
    EXPECT_FALSE(ReadTypedSetting(QStringLiteral("DLMode"), SettingType::Date).isValid());
    EXPECT_FALSE(WriteTypedSetting(QStringLiteral("Bad"), QStringLiteral("not a number"), SettingType::Integer));
    EXPECT_FALSE(WriteTypedSetting(QStringLiteral("Bad"), QDate(), SettingType::Date));
    EXPECT_FALSE(SettingExists(QStringLiteral("Bad")));

    EXPECT_TRUE(SettingExists(QStringLiteral("dlmode")));
    EXPECT_TRUE(DeleteSetting(QStringLiteral("\\DLMODE")));
    EXPECT_FALSE(SettingExists(QStringLiteral("DLMode")));
}

// Each type is stored in the documented raw form (so the store stays readable by
// other tools and exports) and reads back as the same value.
TEST_F(SettingsTest, TypedValuesRoundTrip)
{
    const struct {
        SettingType type;
        QVariant written;
        QVariant read;
        const char *rawHex; // nullptr: not checked
    } cases[] = {
        {SettingType::Integer, 42, 42, "2a000000"},
        {SettingType::Integer, -1, -1, "ffffffff"},
        {SettingType::Boolean, true, true, "01000000"},
        {SettingType::Boolean, false, false, "00000000"},
        {SettingType::String, QStringLiteral("h\u00e9llo"), QStringLiteral("h\u00e9llo"), "68c3a96c6c6f00"},
        // 29 Feb 2024 is day 45351 after 30 Dec 1899.
        {SettingType::Date, QDate(2024, 2, 29), QDate(2024, 2, 29), "00000000e024e640"},
        {SettingType::Date, QDateTime(QDate(2024, 2, 29), QTime(6, 0)), QDate(2024, 2, 29), "00000000e824e640"},
        {SettingType::Date, QDate(1899, 12, 30), QDate(1899, 12, 30), "0000000000000000"},
        {SettingType::Date, QDate(1850, 1, 1), QDate(1850, 1, 1), nullptr},
        {SettingType::Time, QTime(18, 0), QTime(18, 0), "000000000000e83f"},
        {SettingType::Time, QTime(23, 59, 59, 999), QTime(23, 59, 59, 999), nullptr},
        {SettingType::Float, 3.25, 3.25, "0000000000000a40"},
        {SettingType::Currency, 12.3456, 12.3456, "40e2010000000000"},
        {SettingType::Currency, -0.5, -0.5, nullptr},
    };
    for (const auto &c : cases) {
        const QString path = QStringLiteral("Typed");
        ASSERT_TRUE(WriteTypedSetting(path, c.written, c.type)) << c.written.toString().toStdString();
        const QVariant read = ReadTypedSetting(path, c.type);
        EXPECT_EQ(read, c.read) << c.written.toString().toStdString() << " read as " << read.toString().toStdString();
        if (c.rawHex) {
            EXPECT_EQ(ReadRawSetting(path)->data.toHex(), QByteArray(c.rawHex)) << c.written.toString().toStdString();
        }
    }
    // A date written with a time of day reads as either part.
    WriteTypedSetting(QStringLiteral("When"), QDateTime(QDate(2024, 2, 29), QTime(18, 0)), SettingType::Date);
    EXPECT_EQ(ReadTypedSetting(QStringLiteral("When"), SettingType::Date), QDate(2024, 2, 29));
    EXPECT_EQ(ReadTypedSetting(QStringLiteral("When"), SettingType::Time), QTime(18, 0));
}
