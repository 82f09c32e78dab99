#pragma once

#include "platform/registry/registry_value.h"
#include "settings/store/typed_setting.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace brindle {

class Registry;

// The program's settings: values of the registry below HKEY_CURRENT_USER
// "Software\Brindle2".
//
// A setting path names a key and a value together: the part after the last "\"
// is the value name, the part before it the key below "Software\Brindle2"
// ("Profiles\joe\mygroup" is the value "mygroup" of "Software\Brindle2\Profiles\joe").
// A leading "\" changes nothing. A path that starts with "Software\" names its key
// from HKEY_CURRENT_USER instead ("Software\Brindle2\frmYahooOptions\x").
// Names compare without regard to case.
//
// Reads never create keys; writes create missing keys. Failures are logged and
// otherwise only reported by the boolean results, which callers may ignore.

// "Software\Brindle2"
QString SettingsRootKey();

struct SettingPath {
    QString key;  // from HKEY_CURRENT_USER
    QString name; // value name
};
SettingPath ResolveSettingPath(const QString &path);
// A key named as above (no value part), from HKEY_CURRENT_USER.
QString ResolveSettingKey(const QString &key);

// The registry every function here works on: the user's registry file unless
// another was installed. SetSettingsRegistry(nullptr) returns to the user's file.
// Install only while no other thread uses settings (start-up, tests).
Registry &SettingsRegistry();
void SetSettingsRegistry(Registry *registry);

// The text of a string value; empty when missing or not a string.
QString ReadSetting(const QString &path);
bool WriteSetting(const QString &path, const QString &text);

// The value read as the type says (see SettingType); an invalid variant when the
// value is missing or stored as another type.
QVariant ReadTypedSetting(const QString &path, SettingType type);
// False (and nothing written) when value does not convert to the type.
bool WriteTypedSetting(const QString &path, const QVariant &value, SettingType type);

// A value of any type, as stored.
std::optional<RegistryValue> ReadRawSetting(const QString &path);
bool WriteRawSetting(const QString &path, const RegistryValue &value);

bool SettingExists(const QString &path);
// Deletes the value; true when it is gone.
bool DeleteSetting(const QString &path);

// Names of the key's values and of its subkeys, in creation order; the key is
// named like a setting path without its value part ("" is "Software\Brindle2").
QStringList SettingValueNames(const QString &key);
QStringList SettingKeyNames(const QString &key);

} // namespace brindle
