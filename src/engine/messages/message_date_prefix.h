#pragma once

#include <QString>

namespace brindle {

// The date part of a message file name, read from the page's "Date:" fragment, e.g.
// "<b>Date:</b>&nbsp;Mon Jan 5, 2004 10:23 am<br>" gives "_01__05__2004_10_23_AM_".
// Empty when the text holds no "Date:<" fragment. Characters that are not allowed in
// a file name are replaced, so the prefix never names a folder.
QString MessageDatePrefix(const QString &text);

} // namespace brindle
