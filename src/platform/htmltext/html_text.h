#pragma once

#include <QString>

namespace brindle {

// The plain text of an HTML fragment's body: markup removed, character entities
// resolved, "<br>" and block ends as line breaks, a non-breaking space as a blank.
// Safe to call from any thread.
QString HtmlToPlainText(const QString &html);

} // namespace brindle
