#include "platform/browser/form_scripts.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace brindle::form_scripts {

// The elements of a form in document order: every control that belongs to it,
// image buttons and controls placed outside the form element included.
static const char kElementsOf[] =
    "function elementsOf(form) {"
    "  var all = document.querySelectorAll('button,fieldset,input,object,output,select,textarea');"
    "  return Array.prototype.filter.call(all, function (e) { return e.form === form; });"
    "}";

static QString WithElement(int form, int index, const QString &action)
{
    return QStringLiteral("(function () { %1"
                          "  var form = document.forms[%2]; if (!form) return false;"
                          "  var e = elementsOf(form)[%3]; if (!e) return false;"
                          "  %4 return true; })()")
        .arg(QLatin1String(kElementsOf))
        .arg(form)
        .arg(index)
        .arg(action);
}

static QString JsString(const QString &text)
{
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json) + QStringLiteral("[0]");
}

QString CountForms()
{
    return QStringLiteral("document.getElementsByTagName('FORM').length");
}

QString ListElements()
{
    return QStringLiteral("(function () { %1"
                          "  var out = [];"
                          "  for (var f = 0; f < document.forms.length; ++f) {"
                          "    var els = elementsOf(document.forms[f]);"
                          "    for (var i = 0; i < els.length; ++i) {"
                          "      try {"
                          "        var e = els[i];"
                          "        out.push([f, i, e.name == null ? '' : String(e.name),"
                          "                  e.value == null ? '' : String(e.value), !!e.checked,"
                          "                  String(e.tagName).toUpperCase()]);"
                          "      } catch (x) {}"
                          "    }"
                          "  }"
                          "  return out; })()")
        .arg(QLatin1String(kElementsOf));
}

QString Click(int form, int index)
{
    return WithElement(form, index, QStringLiteral("e.click();"));
}

QString SetValue(int form, int index, const QString &value)
{
    return WithElement(form, index, QStringLiteral("e.value = %1;").arg(JsString(value)));
}

QString SetChecked(int form, int index, bool checked)
{
    return WithElement(form, index, QStringLiteral("e.checked = %1;").arg(checked ? "true" : "false"));
}

QList<FormElement> ParseElements(const QVariant &result)
{
    QList<FormElement> elements;
    const QVariantList rows = result.toList();
    for (const QVariant &row : rows) {
        const QVariantList f = row.toList();
        if (f.size() != 6)
            continue;
        FormElement e;
        e.form = f[0].toInt();
        e.index = f[1].toInt();
        e.name = f[2].toString();
        e.value = f[3].toString();
        e.checked = f[4].toBool();
        e.tagName = f[5].toString();
        elements.append(e);
    }
    return elements;
}

} // namespace brindle::form_scripts
