#include "common/text_utils.h"

#include <QRegularExpression>

namespace brindle {

QString Trim(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20)
        --end;
    return text.mid(begin, end - begin);
}

bool SameText(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool ContainsText(const QString &haystack, const QString &needle)
{
    return haystack.contains(needle, Qt::CaseInsensitive);
}

static int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QString UrlDecode(const QString &text)
{
    const QByteArray in = text.toUtf8();
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in.at(i);
        if (c == '+') {
            out.append(' ');
        } else if (c == '%' && i + 1 < in.size() && in.at(i + 1) == '%') {
            out.append('%');
            ++i;
        } else if (c == '%' && i + 2 < in.size() && HexValue(in.at(i + 1)) >= 0 && HexValue(in.at(i + 2)) >= 0) {
            out.append(char(HexValue(in.at(i + 1)) * 16 + HexValue(in.at(i + 2))));
            i += 2;
        } else {
            out.append(c);
        }
    }
    return QString::fromUtf8(out);
}

QString DecodeAmpQuot(const QString &text)
{
    QString out = text;
    out.replace(QLatin1String("&amp;"), QLatin1String("&"), Qt::CaseInsensitive);
    out.replace(QLatin1String("&quot;"), QLatin1String("\""), Qt::CaseInsensitive);
    return out;
}

QString JoinPath(const QString &first, const QString &second)
{
    if (first.isEmpty())
        return second;
    if (second.isEmpty())
        return first;
    const bool a = first.endsWith(QLatin1Char('/'));
    const bool b = second.startsWith(QLatin1Char('/'));
    if (a && b)
        return first + second.mid(1);
    if (a || b)
        return first + second;
    return first + QLatin1Char('/') + second;
}

QString WithTrailingSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QStringList SplitLines(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    // A final line break ends the last line; it does not start an empty one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace brindle
