#pragma once

#include "common/section.h"

#include <QString>

namespace brindle {

// A user or group name made safe as one folder or file name: "/" and "\" become
// "_", and so does "..", so the name cannot leave the folder it is placed in.
QString SafePathName(const QString &name);

// The folder of a group's section in the archive, with a trailing "/":
//   root/ + section folder + "/" + group + "/"   (the usual layout)
//   root/ + group + "/" + section folder + "/"   (when oldFormat is set)
// The group name goes through SafePathName().
QString ArchiveFolder(const QString &root, Section section, const QString &group, bool oldFormat);
// The same with the layout chosen by the OldFormat setting.
QString ArchiveFolder(const QString &root, Section section, const QString &group);

} // namespace brindle
