#pragma once

#include <QString>
#include <QStringList>

namespace brindle {

// Removes leading and trailing characters at or below the space character
// (blanks, tabs, line breaks and other control characters).
QString Trim(const QString &text);

// Comparison without regard to case.
bool SameText(const QString &a, const QString &b);
bool ContainsText(const QString &haystack, const QString &needle);

// URL decoding as the service's addresses need it: "%XX" gives that byte,
// "%%" gives "%", "+" gives a space. The bytes are read as UTF-8.
QString UrlDecode(const QString &text);

// Decodes the two entities the program meets in names taken from pages.
QString DecodeAmpQuot(const QString &text);

// Joins path pieces with exactly one "/" between them.
QString JoinPath(const QString &first, const QString &second);
template <typename... Rest>
QString JoinPath(const QString &first, const QString &second, const Rest &...rest)
{
    return JoinPath(JoinPath(first, second), rest...);
}

// The folder with exactly one trailing "/".
QString WithTrailingSlash(const QString &folder);

// Splits text into lines at CRLF, LF or CR, as a text file would be read.
QStringList SplitLines(const QString &text);

} // namespace brindle
