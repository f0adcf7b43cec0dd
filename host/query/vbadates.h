#pragma once

// The VBA date functions queries call, on OLE dates (days since
// 1899-12-30; the fraction is the time of day, and before day 0 the
// fraction still counts forwards from midnight). Intervals are VBA's:
// "yyyy", "q", "m", "y", "d", "w", "ww", "h", "n", "s". An unknown interval
// or a date outside 100-9999 raises 5.

#include "host/vb/value.h"

#include <QDate>
#include <optional>

namespace vbdates {

// A date literal as Jet stores it: US month/day/year ("1/31/95",
// "12/31/1997 10:30:00 PM"), or year-month-day, or a time alone. Two-digit
// years 30-99 are 19xx, 00-29 20xx. nullopt when it is not a date.
std::optional<double> parseJetDateLiteral(const QString &text);
// CDate of text, as the Japanese locale reads it: year first ("1997/1/31",
// "1997-01-31 10:30"), else month/day/year; a time alone is day 0. nullopt
// when it is not a date.
std::optional<double> parseDateText(const QString &text);

double toOle(QDate date, qint64 secondsOfDay = 0);
// The calendar day and the seconds since its midnight (rounded to the second).
QDate dateOf(double ole);
int secondsOf(double ole);

// Value to an OLE date: a date as it is, a number as days, text through
// parseDateText (else 13). Null raises 94.
double CDate(const Value &v);

int Weekday(double ole, int firstDayOfWeek = 1);
qint64 DatePart(const QString &interval, double ole, int firstDayOfWeek = 1,
                int firstWeekOfYear = 1);
double DateAdd(const QString &interval, double number, double ole);
qint64 DateDiff(const QString &interval, double from, double to, int firstDayOfWeek = 1);
// Months and days outside their range carry into the year and month, as
// DateSerial(1997, 13, 0) is 1997/12/31.
double DateSerial(qint64 year, qint64 month, qint64 day);
double TimeSerial(qint64 hour, qint64 minute, qint64 second);
double now();

} // namespace vbdates
