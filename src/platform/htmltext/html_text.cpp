#include "platform/htmltext/html_text.h"

#include <QTextDocument>

namespace brindle {

QString HtmlToPlainText(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}

} // namespace brindle
