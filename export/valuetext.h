#pragma once

// The texts of values in the text formats. Dates are written in the
// Japanese general date form with the time always given, as Access's
// delimited export writes them ("2024/01/05 0:00:00"); numbers as VB's CStr
// writes them, currency with up to four decimals, so no digit is lost.

#include "host/vb/value.h"

#include <QString>

// yyyy/MM/dd H:mm:ss of an OLE date, the time always given.
QString generalDateText(double oleDate);

// Appends the delimited text of a value that is not text (see
// delimitedText) to `out` as ASCII, without building a QString: the
// delimited writer's path for numbers, dates and Booleans.
void appendBareText(QByteArray &out, const Value &value);

// The text of a value in delimited text: Null and binary empty, Boolean -1
// or 0, numbers as CStr, dates as generalDateText, text as it is.
QString delimitedText(const Value &value);

// The text of a value in a rich-text table, as a datasheet shows it: Null
// and binary empty, Boolean Yes or No, dates as CStr (the time only when
// there is one), the rest as in delimited text.
QString displayText(const Value &value);
