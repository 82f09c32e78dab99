#include "settings/store/program_settings.h"

#include "platform/registry/registry.h"
#include "settings/store/scrambler.h"
#include "settings/store/settings_store.h"

#include <QStringDecoder>

namespace brindle {

namespace {

const QString kStartValue = QStringLiteral("StartValue");
const QString kUserName = QStringLiteral("UMask");
const QString kPassword = QStringLiteral("Persistence");
const QString kProfiles = QStringLiteral("Profiles");

RegistryValue ScrambledCredential(const QString &text, std::uint16_t key)
{
    return RegistryValue::FromBinary(Scramble(text.toUtf8(), key));
}

// UTF-8 when the bytes are UTF-8; otherwise one character per byte, so a
// credential from elsewhere still comes back as the characters it was made of.
QString CredentialText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

QString UnscrambledCredential(const std::optional<RegistryValue> &stored, std::uint16_t key)
{
    if (!stored)
        return {};
    QByteArray scrambled;
    if (stored->type == RegistryType::Binary)
        scrambled = stored->data;
    else if (const auto text = stored->ToString())
        scrambled = text->toLatin1();
    return CredentialText(Unscramble(scrambled, key));
}

bool ReadSwitch(const QString &path)
{
    return ReadTypedSetting(path, SettingType::Boolean).toBool();
}

} // namespace

QString ProgramVersionText()
{
    return QStringLiteral("4.3");
}

bool UpdateStartValue()
{
    if (ReadSetting(kStartValue) == ProgramVersionText())
        return false;
    return WriteSetting(kStartValue, ProgramVersionText());
}

bool StoreUserName(const QString &userName)
{
    return WriteRawSetting(kUserName, ScrambledCredential(userName, kUserNameScrambleKey));
}

QString ReadUserName()
{
    return UnscrambledCredential(ReadRawSetting(kUserName), kUserNameScrambleKey);
}

bool StorePassword(const QString &password)
{
    if (IsNoPass())
        return false;
    return WriteRawSetting(kPassword, ScrambledCredential(password, kPasswordScrambleKey));
}

QString ReadPassword()
{
    return UnscrambledCredential(ReadRawSetting(kPassword), kPasswordScrambleKey);
}

bool IsNoPass()
{
    return ReadSwitch(QStringLiteral("NoPass"));
}

bool IsOldFormat()
{
    return ReadSwitch(QStringLiteral("OldFormat"));
}

bool ReadUseCache()
{
    return ReadSwitch(QStringLiteral("UseCache"));
}

bool WriteUseCache(bool useCache)
{
    return WriteTypedSetting(QStringLiteral("UseCache"), useCache, SettingType::Boolean);
}

Section SectionFromDLMode(int dlMode)
{
    switch (dlMode) {
    case 1: return Section::Photos;
    case 2: return Section::Messages;
    case 3: return Section::Attachments;
    default: return Section::Files;
    }
}

int DLModeFromSection(Section section)
{
    switch (section) {
    case Section::Files: return 0;
    case Section::Photos: return 1;
    case Section::Messages: return 2;
    case Section::Attachments: return 3;
    }
    return 0;
}

Section ReadDLMode()
{
    const QVariant stored = ReadTypedSetting(QStringLiteral("DLMode"), SettingType::Integer);
    return SectionFromDLMode(stored.isValid() ? stored.toInt() : 0);
}

bool WriteDLMode(Section section)
{
    return WriteTypedSetting(QStringLiteral("DLMode"), DLModeFromSection(section), SettingType::Integer);
}

QString DownloadFolderSettingName(Section section)
{
    switch (section) {
    case Section::Files: return QStringLiteral("FilesDLDir");
    case Section::Photos: return QStringLiteral("PhotoDLDir");
    case Section::Messages: return QStringLiteral("MessageDLDir");
    case Section::Attachments: break;
    }
    return {};
}

QString ReadDownloadFolder(Section section)
{
    const QString name = DownloadFolderSettingName(section);
    return name.isEmpty() ? QString() : ReadSetting(name);
}

bool WriteDownloadFolder(Section section, const QString &folder)
{
    const QString name = DownloadFolderSettingName(section);
    return !name.isEmpty() && WriteSetting(name, folder);
}

QList<LoginProfile> ReadLoginProfiles()
{
    const QString key = ResolveSettingKey(kProfiles);
    Registry &registry = SettingsRegistry();
    QList<LoginProfile> profiles;
    for (const QString &user : registry.ValueNames(key))
        profiles.append({user, UnscrambledCredential(registry.Read(key, user), kUserNameScrambleKey)});
    return profiles;
}

bool SaveLoginProfiles(const QList<LoginProfile> &profiles)
{
    // A repeated user name rewrites the value in place, so the last password wins.
    QList<std::pair<QString, RegistryValue>> values;
    for (const LoginProfile &profile : profiles)
        values.append({profile.userName, ScrambledCredential(profile.password, kUserNameScrambleKey)});
    return SettingsRegistry().ReplaceValues(ResolveSettingKey(kProfiles), values);
}

bool AddGrabbedGroup(const QString &groupName)
{
    return SettingsRegistry().Write(ResolveSettingKey(QStringLiteral("GrabbedGroups")), groupName, RegistryValue::FromString(QString()));
}

bool AddGrabbedUrl(const QString &url)
{
    return SettingsRegistry().Write(ResolveSettingKey(QStringLiteral("GrabbedURLs")), url, RegistryValue::FromString(QString()));
}

} // namespace brindle
