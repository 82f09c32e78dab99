#include "settings/store/archive_layout.h"

#include "common/text_utils.h"
#include "settings/store/program_settings.h"

namespace brindle {

QString SafePathName(const QString &name)
{
    QString safe = name;
    safe.replace(QLatin1Char('/'), QLatin1Char('_'));
    safe.replace(QLatin1Char('\\'), QLatin1Char('_'));
    safe.replace(QLatin1String(".."), QLatin1String("_"));
    return safe;
}

QString ArchiveFolder(const QString &root, Section section, const QString &group, bool oldFormat)
{
    const QString sectionFolder = SectionFolderName(section) + QLatin1Char('/');
    const QString groupFolder = SafePathName(group) + QLatin1Char('/');
    return WithTrailingSlash(root) + (oldFormat ? groupFolder + sectionFolder : sectionFolder + groupFolder);
}

QString ArchiveFolder(const QString &root, Section section, const QString &group)
{
    return ArchiveFolder(root, section, group, IsOldFormat());
}

} // namespace brindle
