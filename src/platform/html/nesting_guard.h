#pragma once

#include <QByteArray>

namespace brindle {

// How deep elements may nest before the rest is flattened (browsers stop at the same depth).
inline constexpr int kMaxNestingDepth = 512;

// Markup that opens elements over and over without closing them ("<div>" a
// million times) makes an HTML5 parser slow, since every new tag looks through the
// open elements, and can exhaust the stack when the tree is freed. Like a browser,
// the program caps the nesting before parsing: a start tag that would open an
// element deeper than maxDepth is overwritten with blanks, and so is one following
// end tag for each of them (their content stays, as text of the element above). The text keeps its length, so every position in the
// result is a position in the original. Text that nests less deeply comes back
// unchanged (shared, not copied).
QByteArray LimitNesting(const QByteArray &utf8, int maxDepth = kMaxNestingDepth);

} // namespace brindle
