#include "platform/html/html_entities.h"

#include <QStringList>

#include <gumbo.h>

namespace brindle {

namespace {

QString DecodePiece(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    // Inside a textarea the parser resolves references but reads no tags.
    const QByteArray utf8 = text.toUtf8();
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0;
    options.fragment_context = GUMBO_TAG_TEXTAREA;
    GumboOutput *output = gumbo_parse_with_options(&options, utf8.constData(), size_t(utf8.size()));
    QString decoded;
    const GumboVector &children = output->root->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto *node = static_cast<const GumboNode *>(children.data[i]);
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE)
            decoded += QString::fromUtf8(node->v.text.text);
    }
    gumbo_destroy_output(&options, output);
    return decoded;
}

} // namespace

QString DecodeCharacterReferences(const QString &text)
{
    // The parser turns every carriage return into a line feed; a reference never
    // spans one, so the pieces between them are decoded on their own.
    if (!text.contains(QLatin1Char('\r')))
        return DecodePiece(text);
    QStringList pieces = text.split(QLatin1Char('\r'));
    for (QString &piece : pieces)
        piece = DecodePiece(piece);
    return pieces.join(QLatin1Char('\r'));
}

} // namespace brindle
