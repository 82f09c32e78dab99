#pragma once

#include <QString>

namespace brindle {

// The "source user" cell shows a message's raw text, its lines separated by "<br>".
// Rendered as ordinary HTML, runs of blanks and the blanks that start a line would
// collapse, which breaks folded header lines and changes the body. This makes the
// cell's markup preformatted, so the HTML engine keeps every blank and tab: the
// markup's own line breaks after a "<br>" are dropped, others become a blank (as
// they would render), and the whole is put in a <pre> element.
QString PreformattedSourceCell(const QString &cellHtml);

// The text with every line ended by CR LF, as a mail message's lines are.
QString WithMailLineEnds(const QString &text);

} // namespace brindle
