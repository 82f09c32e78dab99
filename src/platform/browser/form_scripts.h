#pragma once

#include "platform/browser/browser.h"

#include <QString>
#include <QVariant>

namespace brindle::form_scripts {

// Scripts that read and work the document's forms. They run in the program's own
// script world, which works while the page's scripts are switched off.

QString CountForms();
QString ListElements();
QString Click(int form, int index);
QString SetValue(int form, int index, const QString &value);
QString SetChecked(int form, int index, bool checked);

// Turns the result of ListElements() into elements; malformed entries are skipped.
QList<FormElement> ParseElements(const QVariant &result);

} // namespace brindle::form_scripts
