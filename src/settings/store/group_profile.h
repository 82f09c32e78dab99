#pragma once

#include <QString>

namespace brindle {

// A group's profile string in a user's group list: ":"-separated items, "C"
// (ticked) or "U", "F" (favourite) or "N", and "A" + the number of the last
// downloaded message, e.g. ":C:N:A1234". A newly listed group has "C:N".
// Letters are matched without regard to case, anywhere in an item.

// The profile of a group newly added to a user's list.
inline QString NewGroupProfile()
{
    return QStringLiteral("C:N");
}

enum class GroupMark {
    Tick,      // "C" on, "U" off
    Favourite, // "F" on, "N" off
};

// The profile string's rules, without the store.
bool ProfileHasMark(const QString &profile, GroupMark mark);
// Empty profile: the new letter alone; otherwise ":" + every non-empty item not
// holding the opposite letter, then ":" + the new letter unless an item held it.
QString ProfileWithMark(const QString &profile, GroupMark mark, bool on);
// Empty profile or n <= 0: the profile unchanged. Otherwise every "A" item becomes
// "A" + n, each non-empty item is written as ":" + item, and ":A" + n is added
// when there was no "A" item.
QString ProfileWithLastMessage(const QString &profile, int lastMessage);
// The digits after the first character of the last item holding "A"; -1 when
// there is none or they are not a number.
int LastMessageInProfile(const QString &profile);

// The key of a user's group list, as a setting key: "Profiles\" + user.
QString GroupListKey(const QString &user);

// The same on the group's value in the user's group list. Each update reads and
// rewrites the value in one transaction.
QString ReadGroupProfile(const QString &user, const QString &group);
bool WriteGroupProfile(const QString &user, const QString &group, const QString &profile);
bool SetGroupMark(const QString &user, const QString &group, GroupMark mark, bool on);
// Writes nothing when n <= 0 or the group has no (or an empty) profile.
bool StoreLastMessage(const QString &user, const QString &group, int lastMessage);
int ReadLastMessage(const QString &user, const QString &group);

} // namespace brindle
