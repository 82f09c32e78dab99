#pragma once

#include <QString>

namespace brindle {

// Text rules for the service's addresses, shared by every site model.

// Upper case of the ASCII letters only, so positions in the result are positions
// in the original (full Unicode upper-casing may change the length).
QString AsciiUpper(const QString &text);

// Whether the address starts with "http://" or "https://" (without regard to case).
bool IsAbsoluteHttp(const QString &address);

// An https address in its http form, so that both schemes name the same page.
QString HttpForm(const QString &address);

// The host of an address ("uk.groups.yahoo.com"), lower case; empty when it has none.
QString HostOf(const QString &address);

// The regional prefix of a host on one of the service's hosts: the text in front of
// serviceHost ("uk." for "uk.groups.yahoo.com"); empty when the host is serviceHost
// itself or another host.
QString PrefixBeforeHost(const QString &host, const QString &serviceHost);

// The address up to, not including, the first "?".
QString CutQuery(const QString &address);

// The second-to-last path segment of an address without its query and without one
// trailing "/" (".../pic/123/view?x" gives "123").
QString ParentSegment(const QString &address);

// For ".../photos/browse/<album>?..." addresses: the album, else empty.
QString PhotoBrowseAlbum(const QString &address);

// For ".../photos/browse/<album>?k=N&..." addresses: N (0 when not a number), else 0.
int PhotoBrowseNumber(const QString &address);

// For ".../photos/browse?k=N&..." addresses: N (0 when not a number), else 0.
int PhotoBrowseQueryNumber(const QString &address);

// ".../photos/browse?..." addresses up to the first "&", ".../photos/browse/..."
// addresses up to the first "?"; other addresses unchanged.
QString StripPhotoBrowseQuery(const QString &address);

} // namespace brindle
