#pragma once

#include <QString>

namespace brindle {

// Resolves the character references of a text as a browser does in text content
// ("&amp;" "&lt;" "&nbsp;" "&#65;" "&#x42;", and the legacy forms without ";").
// Markup in the text is left as it is.
QString DecodeCharacterReferences(const QString &text);

} // namespace brindle
