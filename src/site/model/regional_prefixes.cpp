#include "site/model/regional_prefixes.h"

#include <QStringList>

namespace brindle {

bool IsRegionalPrefix(const QString &prefix)
{
    if (prefix.isEmpty())
        return false;
    // Whole entries only: "k." is a piece of "uk." but no site of its own.
    static const QStringList entries = QString::fromLatin1(kRegionalPrefixes).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return entries.contains(prefix, Qt::CaseInsensitive);
}

} // namespace brindle
