#include "settings/store/settings_store.h"

#include "platform/registry/registry.h"

#include <atomic>

namespace brindle {

namespace {

const QLatin1Char kSeparator('\\');

std::atomic<Registry *> &InstalledRegistry()
{
    static std::atomic<Registry *> installed{nullptr};
    return installed;
}

} // namespace

QString SettingsRootKey()
{
    return QStringLiteral("Software\\Brindle2");
}

static QString WithoutLeadingSeparators(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start) == kSeparator)
        ++start;
    return text.mid(start);
}

static bool NamesFromUserRoot(const QString &text)
{
    return text.startsWith(QLatin1String("Software\\"), Qt::CaseInsensitive);
}

static QString BelowRoot(const QString &relative)
{
    return relative.isEmpty() ? SettingsRootKey() : SettingsRootKey() + kSeparator + relative;
}

QString ResolveSettingKey(const QString &key)
{
    const QString relative = WithoutLeadingSeparators(key);
    if (NamesFromUserRoot(relative) || relative.compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0)
        return relative;
    return BelowRoot(relative);
}

SettingPath ResolveSettingPath(const QString &path)
{
    const QString relative = WithoutLeadingSeparators(path);
    const QString full = NamesFromUserRoot(relative) ? relative : SettingsRootKey() + kSeparator + relative;
    const qsizetype last = full.lastIndexOf(kSeparator);
    return {full.left(last), full.mid(last + 1)};
}

Registry &SettingsRegistry()
{
    if (Registry *installed = InstalledRegistry().load())
        return *installed;
    static Registry user;
    return user;
}

void SetSettingsRegistry(Registry *registry)
{
    InstalledRegistry().store(registry);
}

std::optional<RegistryValue> ReadRawSetting(const QString &path)
{
    const SettingPath where = ResolveSettingPath(path);
    return SettingsRegistry().Read(where.key, where.name);
}

bool WriteRawSetting(const QString &path, const RegistryValue &value)
{
    const SettingPath where = ResolveSettingPath(path);
    return SettingsRegistry().Write(where.key, where.name, value);
}

QString ReadSetting(const QString &path)
{
    const auto stored = ReadRawSetting(path);
    return stored ? stored->ToString().value_or(QString()) : QString();
}

bool WriteSetting(const QString &path, const QString &text)
{
    return WriteRawSetting(path, RegistryValue::FromString(text));
}

QVariant ReadTypedSetting(const QString &path, SettingType type)
{
    const auto stored = ReadRawSetting(path);
    return stored ? FromStoredSetting(*stored, type) : QVariant();
}

bool WriteTypedSetting(const QString &path, const QVariant &value, SettingType type)
{
    const auto stored = ToStoredSetting(value, type);
    return stored && WriteRawSetting(path, *stored);
}

bool SettingExists(const QString &path)
{
    return ReadRawSetting(path).has_value();
}

bool DeleteSetting(const QString &path)
{
    const SettingPath where = ResolveSettingPath(path);
    return SettingsRegistry().DeleteValue(where.key, where.name);
}

QStringList SettingValueNames(const QString &key)
{
    return SettingsRegistry().ValueNames(ResolveSettingKey(key));
}

QStringList SettingKeyNames(const QString &key)
{
    return SettingsRegistry().KeyNames(ResolveSettingKey(key));
}

} // namespace brindle
