#pragma once

// Dates in the documentation store are ISO-8601 text, "YYYY-MM-DD HH:MM:SS"
// (".mmm" appended when the time has milliseconds), as SQLite's date
// functions and every SQLite tool read them. The host's dates are OLE dates
// (days since 1899-12-30; before it, the integer part counts back and the
// fraction is still the time of day), kept to the millisecond.

#include <QString>
#include <QStringView>
#include <optional>

QString storedDateText(double oleDate);
// The OLE date of a stored text; nothing when the text is no such date.
std::optional<double> oleDateOfStored(QStringView text);
