#include "settings/store/group_profile.h"
#include "settings_fixture.h"

#include <gtest/gtest.h>

using namespace brindle;

TEST(GroupProfileRules, SetGroupMark)
{
    const struct {
        const char *before;
        GroupMark mark;
        bool on;
        const char *after;
    } cases[] = {
        {":C:N", GroupMark::Favourite, true, ":C:F"},
        {":C:F", GroupMark::Tick, false, ":F:U"},
        {"", GroupMark::Tick, false, "U"},
        {"U", GroupMark::Favourite, false, ":U:N"},
        {"", GroupMark::Favourite, true, "F"},
        {"C:N", GroupMark::Tick, true, ":C:N"},
        {":C:N:A12", GroupMark::Favourite, true, ":C:A12:F"},
        {"::C::N:", GroupMark::Tick, false, ":N:U"},
        // Lower-case letters count as marks when read, so they are replaced too.
        {":c:n", GroupMark::Tick, false, ":n:U"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ProfileWithMark(QString::fromLatin1(c.before), c.mark, c.on), QString::fromLatin1(c.after)) << c.before;
}

TEST(GroupProfileRules, LastMessage)
{
    const struct {
        const char *before;
        int n;
        const char *after;
    } stores[] = {
        {"C:N", 57, ":C:N:A57"},
        {":C:N:A12", 57, ":C:N:A57"},
        {"", 57, ""},
        {"C:N", 0, "C:N"},
        {"C:N", -3, "C:N"},
        {":A1:C:a2", 9, ":A9:C:A9"},
    };
    for (const auto &c : stores)
        EXPECT_EQ(ProfileWithLastMessage(QString::fromLatin1(c.before), c.n), QString::fromLatin1(c.after)) << c.before;

    const struct {
        const char *profile;
        int last;
    } reads[] = {
        {":C:N:A57", 57}, {":C:N", -1}, {":C:N:Ax", -1}, {"", -1}, {":A5:C:A7", 7},
        {":C:A", -1}, {":C:A-5", -1}, {":C:A99999999999", -1}, {":C:A 5", -1}, {"A0012", 12},
    };
    for (const auto &r : reads)
        EXPECT_EQ(LastMessageInProfile(QString::fromLatin1(r.profile)), r.last) << r.profile;
}

TEST(GroupProfileRules, ReadMarks)
{
    EXPECT_TRUE(ProfileHasMark(QStringLiteral("C:N"), GroupMark::Tick));
    EXPECT_TRUE(ProfileHasMark(QStringLiteral(":u:c"), GroupMark::Tick));
    EXPECT_FALSE(ProfileHasMark(QStringLiteral(":U:F"), GroupMark::Tick));
    EXPECT_TRUE(ProfileHasMark(QStringLiteral(":U:f"), GroupMark::Favourite));
    EXPECT_FALSE(ProfileHasMark(QStringLiteral(":C:N:A5"), GroupMark::Favourite));
    EXPECT_FALSE(ProfileHasMark(QString(), GroupMark::Tick));
}

TEST_F(SettingsTest, GroupProfilesInTheUsersList)
{
    const QString user = QStringLiteral("joe");
    // A group without a value: clearing the tick writes "U", then the favourite mark.
    ASSERT_TRUE(SetGroupMark(user, QStringLiteral("Knitters"), GroupMark::Tick, false));
    EXPECT_EQ(ReadSetting(QStringLiteral("Profiles\\joe\\Knitters")), QStringLiteral("U"));
    SetGroupMark(user, QStringLiteral("KNITTERS"), GroupMark::Favourite, false);
    EXPECT_EQ(ReadGroupProfile(QStringLiteral("Joe"), QStringLiteral("knitters")), QStringLiteral(":U:N"));

    // The last message is only recorded for a group that has a profile.
    EXPECT_TRUE(StoreLastMessage(user, QStringLiteral("Unknown"), 57));
    EXPECT_FALSE(SettingExists(QStringLiteral("Profiles\\joe\\Unknown")));
    WriteGroupProfile(user, QStringLiteral("Empty"), QString());
    StoreLastMessage(user, QStringLiteral("Empty"), 57);
    EXPECT_EQ(ReadGroupProfile(user, QStringLiteral("Empty")), QString());

    WriteGroupProfile(user, QStringLiteral("Quilts"), QStringLiteral("C:N"));
    EXPECT_EQ(ReadLastMessage(user, QStringLiteral("Quilts")), -1);
    StoreLastMessage(user, QStringLiteral("Quilts"), 57);
    EXPECT_EQ(ReadGroupProfile(user, QStringLiteral("Quilts")), QStringLiteral(":C:N:A57"));
    StoreLastMessage(user, QStringLiteral("quilts"), 0);
    SetGroupMark(user, QStringLiteral("Quilts"), GroupMark::Favourite, true);
    EXPECT_EQ(ReadGroupProfile(user, QStringLiteral("Quilts")), QStringLiteral(":C:A57:F"));
    EXPECT_EQ(ReadLastMessage(user, QStringLiteral("QUILTS")), 57);
    EXPECT_EQ(ReadLastMessage(user, QStringLiteral("Unknown")), -1);

    EXPECT_EQ(SettingValueNames(GroupListKey(user)), QStringList({QStringLiteral("Knitters"), QStringLiteral("Empty"), QStringLiteral("Quilts")}));
}
