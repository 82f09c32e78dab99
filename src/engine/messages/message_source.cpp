#include "engine/messages/message_source.h"

#include <QRegularExpression>

namespace brindle {

QString PreformattedSourceCell(const QString &cellHtml)
{
    static const QRegularExpression breakThenNewline(QStringLiteral("(<br\\s*/?>)(\\r\\n|\\n|\\r)"),
                                                     QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression newline(QStringLiteral("\\r\\n|\\n|\\r"));
    QString html = cellHtml;
    html.replace(breakThenNewline, QStringLiteral("\\1"));
    html.replace(newline, QStringLiteral(" "));
    return QStringLiteral("<pre>") + html + QStringLiteral("</pre>");
}

QString WithMailLineEnds(const QString &text)
{
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\n|\\r"));
    QString result = text;
    return result.replace(lineEnd, QStringLiteral("\r\n"));
}

} // namespace brindle
