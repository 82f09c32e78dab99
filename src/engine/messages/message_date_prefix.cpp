#include "engine/messages/message_date_prefix.h"

#include <QStringList>

#include <optional>

namespace brindle {

namespace {

constexpr int kFragmentLength = 200;
// Leaves room for the number and the extension within a file name's 255 bytes.
constexpr int kLongestPrefix = 60;

// Step 1 and 2: the text between "Date:<...>" and the next "<"; nothing when missing.
std::optional<QString> DateFragment(const QString &text)
{
    const int p = text.indexOf(QStringLiteral("Date:<"));
    if (p < 0)
        return std::nullopt;
    QString t = text.mid(p, kFragmentLength);
    const int close = t.indexOf(QLatin1Char('>'));
    if (close < 0)
        return std::nullopt;
    t = t.mid(close + 1, kFragmentLength);
    const int open = t.indexOf(QLatin1Char('<'));
    if (open < 0)
        return std::nullopt;
    return t.left(open);
}

bool IsDigitAt(const QString &t, int i)
{
    return i >= 0 && i < t.size() && t.at(i).isDigit();
}

// Step 4: a one-digit day becomes two digits; a short time part gets a leading zero.
void PadDayAndTime(QString &t)
{
    int c = t.lastIndexOf(QLatin1Char(','));
    if (c < 0)
        return;
    if (!(IsDigitAt(t, c - 2) && IsDigitAt(t, c - 1))) {
        t.insert(std::max(c - 1, 0), QLatin1Char('0'));
        c = t.lastIndexOf(QLatin1Char(','));
    }
    const int firstAfter = t.indexOf(QLatin1Char('_'), c + 1);
    const int lastAfter = t.lastIndexOf(QLatin1Char('_'));
    const int between = (firstAfter >= 0 && lastAfter > firstAfter) ? lastAfter - firstAfter - 1 : 0;
    if (between < 2) {
        const int lastUnderscore = t.lastIndexOf(QLatin1Char('_'));
        const int secondToLast = lastUnderscore > 0 ? t.lastIndexOf(QLatin1Char('_'), lastUnderscore - 1) : -1;
        if (secondToLast >= 0)
            t.insert(secondToLast + 1, QLatin1Char('0'));
    }
}

// Step 5: the month's abbreviation becomes its number; no month empties the text.
QString NumberTheMonth(QString t)
{
    static const QStringList months = {
        QStringLiteral("JAN"), QStringLiteral("FEB"), QStringLiteral("MAR"), QStringLiteral("APR"),
        QStringLiteral("MAY"), QStringLiteral("JUN"), QStringLiteral("JUL"), QStringLiteral("AUG"),
        QStringLiteral("SEP"), QStringLiteral("OCT"), QStringLiteral("NOV"), QStringLiteral("DEC"),
    };
    for (int m = 0; m < months.size(); ++m) {
        if (t.contains(months.at(m)))
            return t.replace(months.at(m), QStringLiteral("%1_").arg(m + 1, 2, 10, QLatin1Char('0')));
    }
    return {};
}

// The prefix comes from a page: keep it a plain part of one file name.
QString Portable(QString prefix)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    for (QChar &ch : prefix) {
        if (ch.unicode() < 0x20 || forbidden.contains(ch))
            ch = QLatin1Char('_');
    }
    prefix.replace(QStringLiteral(".."), QStringLiteral("_"));
    return prefix.left(kLongestPrefix);
}

} // namespace

QString MessageDatePrefix(const QString &text)
{
    const std::optional<QString> fragment = DateFragment(text);
    if (!fragment)
        return {};
    QString t = *fragment;

    t.remove(QStringLiteral("&nbsp;"));
    t.replace(QLatin1Char(' '), QLatin1Char('_'));
    t.remove(QLatin1Char('\r'));
    t.remove(QLatin1Char('\n'));
    t.replace(QLatin1Char(':'), QLatin1Char('_'));

    PadDayAndTime(t);

    t = NumberTheMonth(t.mid(4).toUpper());

    const int comma = t.indexOf(QLatin1Char(','));
    const QString head = comma >= 0 ? t.left(comma) : QString();
    QString tail = comma >= 0 ? t.mid(comma + 1) : t;
    const int underscore = tail.indexOf(QLatin1Char('_'));
    tail.insert(std::max(underscore, 0), QLatin1Char('_') + head + QLatin1Char('_'));
    return Portable(tail + QLatin1Char('_'));
}

} // namespace brindle
