#pragma once

#include <QString>

namespace brindle {

// What the message archive keeps in the settings store.

enum class GroupMark { Tick, Favourite };

// The archive layout switch "OldFormat" (missing: false).
bool OldFormatLayout();

// The group's profile record of the last message downloaded, for user's group list.
void StoreGroupLastMessage(const QString &userName, const QString &group, int n);
int ReadGroupLastMessage(const QString &userName, const QString &group);
void SetGroupProfileMark(const QString &userName, const QString &group, GroupMark kind, bool on);

// The names of other groups and the web addresses met in downloaded messages.
void RecordGrabbedGroup(const QString &name);
void RecordGrabbedURL(const QString &address);

} // namespace brindle
