#pragma once

// VBA's Format(expression, format) as queries use it, with the Japanese
// locale this build fixes in host/vb/vb.h (short date yyyy/MM/dd, long date
// yyyy年M月d日, currency ¥ without decimals, "." and ","):
//   named formats "General Number", "Currency", "Fixed", "Standard",
//   "Percent", "Scientific", "Yes/No", "True/False", "On/Off",
//   "General Date", "Long Date", "Medium Date", "Short Date", "Long Time",
//   "Medium Time", "Short Time";
//   custom number formats: 0 # . , % E+ E-, literals in quotes or after \,
//   up to four sections (positive;negative;zero;null);
//   custom date formats: d dd ddd dddd ddddd dddddd aaa aaaa w ww m mm mmm
//   mmmm q y yy yyyy h hh n nn s ss ttttt AM/PM am/pm A/P a/p AMPM c / :.
// Null formats as "" (as vb::Format), unless a fourth section is given.
// Text that is neither a number nor a date is returned as it is.

#include "host/vb/value.h"

QString formatValue(const Value &value, const QString &format);
