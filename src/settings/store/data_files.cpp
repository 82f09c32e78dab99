#include "settings/store/data_files.h"

#include "common/app_folders.h"
#include "settings/store/archive_layout.h"

namespace brindle {

QString SectionRecordFile(Section section, const QString &userName, const QString &group)
{
    if (section == Section::Messages)
        return {};
    return DataFolder() + SectionFolderName(section) + QLatin1Char('/') + SafePathName(userName) + QLatin1Char('/')
           + SafePathName(group) + QStringLiteral(".ini");
}

QString GrabbedGroupsFile()
{
    return DataFolder() + QStringLiteral("GrabbedGroups.ini");
}

QString GrabbedUrlsFile()
{
    return DataFolder() + QStringLiteral("GrabbedURLs.ini");
}

} // namespace brindle
