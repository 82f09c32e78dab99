#include "settings/store/group_profile.h"

#include "platform/registry/registry.h"
#include "settings/store/settings_store.h"

#include <QStringList>

#include <algorithm>
#include <functional>
#include <optional>

namespace brindle {

namespace {

struct MarkLetters {
    QLatin1Char on;
    QLatin1Char off;
};

MarkLetters LettersOf(GroupMark mark)
{
    return mark == GroupMark::Tick ? MarkLetters{QLatin1Char('C'), QLatin1Char('U')}
                                   : MarkLetters{QLatin1Char('F'), QLatin1Char('N')};
}

bool Holds(const QString &item, QLatin1Char letter)
{
    return item.contains(letter, Qt::CaseInsensitive);
}

QString KeyOf(const QString &user)
{
    return ResolveSettingKey(GroupListKey(user));
}

// Rewrites the group's string value with change, in one transaction. change gets
// the current text (empty when missing) and returns the new one, or nothing.
bool ChangeProfile(const QString &user, const QString &group, const std::function<std::optional<QString>(const QString &)> &change)
{
    return SettingsRegistry().Modify(KeyOf(user), group, [&](const std::optional<RegistryValue> &current) -> std::optional<RegistryValue> {
        const QString text = current ? current->ToString().value_or(QString()) : QString();
        const auto next = change(text);
        return next ? std::optional(RegistryValue::FromString(*next)) : std::nullopt;
    });
}

} // namespace

bool ProfileHasMark(const QString &profile, GroupMark mark)
{
    return Holds(profile, LettersOf(mark).on);
}

QString ProfileWithMark(const QString &profile, GroupMark mark, bool on)
{
    const MarkLetters letters = LettersOf(mark);
    const QLatin1Char wanted = on ? letters.on : letters.off;
    const QLatin1Char opposite = on ? letters.off : letters.on;
    if (profile.isEmpty())
        return QString(wanted);
    QString result;
    bool hasWanted = false;
    for (const QString &item : profile.split(QLatin1Char(':'))) {
        hasWanted = hasWanted || Holds(item, wanted);
        if (!item.isEmpty() && !Holds(item, opposite))
            result += QLatin1Char(':') + item;
    }
    if (!hasWanted)
        result += QLatin1Char(':') + QString(wanted);
    return result;
}

QString ProfileWithLastMessage(const QString &profile, int lastMessage)
{
    if (profile.isEmpty() || lastMessage <= 0)
        return profile;
    const QString item = QLatin1Char('A') + QString::number(lastMessage);
    QString result;
    bool hadItem = false;
    for (const QString &part : profile.split(QLatin1Char(':'))) {
        const bool isLast = Holds(part, QLatin1Char('A'));
        hadItem = hadItem || isLast;
        if (!part.isEmpty())
            result += QLatin1Char(':') + (isLast ? item : part);
    }
    if (!hadItem)
        result += QLatin1Char(':') + item;
    return result;
}

int LastMessageInProfile(const QString &profile)
{
    QString found;
    for (const QString &item : profile.split(QLatin1Char(':'))) {
        if (Holds(item, QLatin1Char('A')))
            found = item;
    }
    const QString digits = found.mid(1);
    if (digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return -1;
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? number : -1;
}

QString GroupListKey(const QString &user)
{
    return QStringLiteral("Profiles\\") + user;
}

QString ReadGroupProfile(const QString &user, const QString &group)
{
    const auto stored = SettingsRegistry().Read(KeyOf(user), group);
    return stored ? stored->ToString().value_or(QString()) : QString();
}

bool WriteGroupProfile(const QString &user, const QString &group, const QString &profile)
{
    return SettingsRegistry().Write(KeyOf(user), group, RegistryValue::FromString(profile));
}

bool SetGroupMark(const QString &user, const QString &group, GroupMark mark, bool on)
{
    return ChangeProfile(user, group, [&](const QString &profile) { return ProfileWithMark(profile, mark, on); });
}

bool StoreLastMessage(const QString &user, const QString &group, int lastMessage)
{
    return ChangeProfile(user, group, [&](const QString &profile) -> std::optional<QString> {
        if (profile.isEmpty() || lastMessage <= 0)
            return std::nullopt;
        return ProfileWithLastMessage(profile, lastMessage);
    });
}

int ReadLastMessage(const QString &user, const QString &group)
{
    return LastMessageInProfile(ReadGroupProfile(user, group));
}

} // namespace brindle
