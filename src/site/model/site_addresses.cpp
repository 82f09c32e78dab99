#include "site/model/site_addresses.h"

#include "common/text_utils.h"

#include <QUrl>

namespace brindle {

namespace {

const QString kPhotoBrowseFolder = QStringLiteral("/photos/browse/");
const QString kPhotoBrowseQuery = QStringLiteral("/photos/browse?");

// The first value of the query: the text after the first "=" up to the next "&".
int FirstQueryNumber(const QString &address)
{
    const qsizetype query = address.indexOf(QLatin1Char('?'));
    if (query < 0)
        return 0;
    const qsizetype equals = address.indexOf(QLatin1Char('='), query + 1);
    if (equals < 0)
        return 0;
    const qsizetype amp = address.indexOf(QLatin1Char('&'), equals + 1);
    const QString value = address.mid(equals + 1, amp < 0 ? -1 : amp - equals - 1);
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : 0;
}

} // namespace

QString AsciiUpper(const QString &text)
{
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return upper;
}

bool IsAbsoluteHttp(const QString &address)
{
    return address.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QString HttpForm(const QString &address)
{
    if (!address.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return address;
    return QLatin1String("http://") + address.mid(8);
}

QString HostOf(const QString &address)
{
    return QUrl(Trim(address)).host();
}

QString PrefixBeforeHost(const QString &host, const QString &serviceHost)
{
    const QString lower = Trim(host).toLower();
    if (lower == serviceHost)
        return QString();
    const qsizetype at = lower.indexOf(serviceHost);
    return at < 0 ? QString() : lower.left(at);
}

QString CutQuery(const QString &address)
{
    const qsizetype query = address.indexOf(QLatin1Char('?'));
    return query < 0 ? address : address.left(query);
}

QString ParentSegment(const QString &address)
{
    QString path = CutQuery(address);
    if (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    const qsizetype last = path.lastIndexOf(QLatin1Char('/'));
    if (last < 0)
        return QString();
    path.truncate(last);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString PhotoBrowseAlbum(const QString &address)
{
    if (!ContainsText(address, kPhotoBrowseFolder))
        return QString();
    const QString path = CutQuery(address);
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

int PhotoBrowseNumber(const QString &address)
{
    if (!ContainsText(address, kPhotoBrowseFolder) || PhotoBrowseAlbum(address).isEmpty())
        return 0;
    return FirstQueryNumber(address);
}

int PhotoBrowseQueryNumber(const QString &address)
{
    return ContainsText(address, kPhotoBrowseQuery) ? FirstQueryNumber(address) : 0;
}

QString StripPhotoBrowseQuery(const QString &address)
{
    if (ContainsText(address, kPhotoBrowseQuery)) {
        const qsizetype amp = address.indexOf(QLatin1Char('&'));
        return amp < 0 ? address : address.left(amp);
    }
    if (ContainsText(address, kPhotoBrowseFolder))
        return CutQuery(address);
    return address;
}

} // namespace brindle
