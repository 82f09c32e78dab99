#pragma once

#include "common/section.h"

#include <QList>
#include <QString>

namespace brindle {

// The named values directly below "Software\Brindle2" and its "Profiles",
// "GrabbedGroups" and "GrabbedURLs" keys.

// The program's version as recorded in StartValue.
QString ProgramVersionText(); // "4.3"
// Writes StartValue when it differs from the program's version; true when it wrote.
bool UpdateStartValue();

// Credentials are stored scrambled, as binary values, so a scrambled form holding
// a zero byte reads back whole. A string value (one character per scrambled byte)
// is read as well. Texts are scrambled in their UTF-8 form.

// UMask: the user name, scrambled with kUserNameScrambleKey.
bool StoreUserName(const QString &userName);
QString ReadUserName();
// Persistence: the password, scrambled with kPasswordScrambleKey. Nothing is written
// while NoPass holds true.
bool StorePassword(const QString &password);
QString ReadPassword();

// NoPass, OldFormat: switches the program only reads; missing counts as false.
bool IsNoPass();
bool IsOldFormat();

// UseCache: the "Use cached My Groups" choice; missing counts as false.
bool ReadUseCache();
bool WriteUseCache(bool useCache);

// DLMode: the section shown in the main window, stored as 0 Files, 1 Photos,
// 2 Messages, 3 Attachments; a missing or other number gives Files.
Section SectionFromDLMode(int dlMode);
int DLModeFromSection(Section section);
Section ReadDLMode();
bool WriteDLMode(Section section);

// FilesDLDir, PhotoDLDir, MessageDLDir: the archive folder last chosen for the
// section. Attachments keeps none: its name is empty, reads give "" and writes
// do nothing.
QString DownloadFolderSettingName(Section section);
QString ReadDownloadFolder(Section section);
bool WriteDownloadFolder(Section section, const QString &folder);

// Login profiles: the values of "Profiles", value name = user name, data = the
// password scrambled with kUserNameScrambleKey.
struct LoginProfile {
    QString userName;
    QString password;
    bool operator==(const LoginProfile &) const = default;
};
QList<LoginProfile> ReadLoginProfiles();
// Replaces every stored profile with these, in order, in one transaction; of
// several profiles with one user name the last one's password is kept.
bool SaveLoginProfiles(const QList<LoginProfile> &profiles);

// Names of other groups and web addresses found in downloaded messages: values
// with empty data in "GrabbedGroups" and "GrabbedURLs".
bool AddGrabbedGroup(const QString &groupName);
bool AddGrabbedUrl(const QString &url);

} // namespace brindle
