#pragma once

#include "common/section.h"

#include <QString>

namespace brindle {

// Files in the program's data folder (DataFolder(): AppDataFolder() + "Brindle2/Data/").

// The record of a group's downloads in the Files, Attachments or Photos section:
// DataFolder() + section folder + "/" + user + "/" + group + ".ini". Empty for
// Messages, which keeps no record file. Both names go through SafePathName().
QString SectionRecordFile(Section section, const QString &userName, const QString &group);

// DataFolder() + "GrabbedGroups.ini" and + "GrabbedURLs.ini".
QString GrabbedGroupsFile();
QString GrabbedUrlsFile();

} // namespace brindle
