#pragma once

// A query parameter's value from the text a user gave for it, typed by the
// parameter's declared type as Access converts a typed-in answer.

#include "host/vb/value.h"

#include <QHash>
#include <QString>

// declaredType as a query declares it ("Text", "Long", "Integer", "Byte",
// "Double", "Single", "Currency", "DateTime", "YesNo"; empty or unknown:
// text). Numbers take "." as decimal point; dates are yyyy/MM/dd or
// yyyy-MM-dd, optionally with H:mm[:ss]; YesNo takes True/False, Yes/No,
// -1/0. A text that does not convert raises 13 naming the parameter.
Value parameterValue(const QString &name, const QString &text, const QString &declaredType);

// A parameter prompt answering from name=value pairs (names compared
// without regard to case, as Access does); a parameter with no value
// raises 2501 naming it.
std::function<Value(const QString &, const QString &)>
promptFromValues(const QHash<QString, QString> &values);
