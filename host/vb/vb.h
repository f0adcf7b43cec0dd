#pragma once

// The VB runtime functions the logic uses, with VB's semantics. Strings are
// UTF-16 and every position and length counts UTF-16 code units, as VB does.
// Positions are 1-based. Each function names the errors it raises.

#include "host/vb/value.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace vb {

// Points VB leaves to the system locale, fixed here in one place: the
// Japanese defaults (short date yyyy/MM/dd, long time H:mm:ss, "." decimal).
inline constexpr const char *ShortDateFormat = "yyyy/MM/dd";
inline constexpr const char *LongTimeFormat = "H:mm:ss";

// CStr: Empty -> "", Boolean -> "True"/"False", numbers as plain text
// (Double 15 and Single 7 significant digits, exponent form from 1E+15 and
// below 1E-04 as in "1.5E-05"; Currency with at most four decimals), Date as
// short date, time appended when not midnight, time only on day 0, Binary
// bytes read as UTF-16. Null raises 94.
QString CStr(const Value &v);

// Text of a value for a field that is "converted to text": like CStr, but a
// Null becomes the empty text instead of raising.
QString textOrEmpty(const Value &v);

// Left(s, n): n < 0 raises 5. Mid(s, start[, length]): start < 1 or
// length < 0 raises 5; start beyond the end gives "".
QString Left(QStringView s, qint64 n);
QString Right(QStringView s, qint64 n);
QString Mid(QStringView s, qint64 start, std::optional<qint64> length = std::nullopt);

enum class Compare { Binary, Text };
// InStr([start,] s1, s2): position of s2 in s1 from start, 0 when absent.
// s1 empty -> 0; start > Len(s1) -> 0; s2 empty -> start. start < 1 raises 5.
qint64 InStr(qint64 start, QStringView s1, QStringView s2, Compare compare = Compare::Binary);
qint64 InStr(QStringView s1, QStringView s2, Compare compare = Compare::Binary);

// Only U+0020 is trimmed (tabs, no-break and ideographic spaces stay).
QString LTrim(QStringView s);
QString RTrim(QStringView s);
QString Trim(QStringView s);
// Letters change case one code unit at a time, so the length never changes
// (full-width letters too; a letter whose capital is two units stays as is).
QString UCase(QStringView s);

// Rounding of an exact half to the even neighbour, as CInt, CLng and
// currency assignment do.
double roundHalfEven(double x);

// CInt / CLng: half to even; outside the type's range raises 6; Null raises
// 94; text that is not a number raises 13.
qint16 CInt(const Value &v);
qint32 CLng(const Value &v);
double CDbl(const Value &v);
// CCur: a count of ten-thousandths, the fifth decimal rounded half to even.
qint64 CCur(const Value &v);

// Format(x, pattern) for the digit patterns the program uses ("#0.00",
// "0", "#,##0" is not among them): '0' digit or zero, '#' digit or nothing,
// one '.' decimal point. The value is taken at 15 significant digits and the
// last kept digit rounded half away from zero. A value that rounds to zero
// keeps its minus sign ("-0.00"), as VB does. Null gives "". Any other
// pattern raises 5.
QString Format(const Value &v, QStringView pattern);

// Adds one to a 16-bit counter; past 32767 raises 6 and leaves it unchanged.
void increment(qint16 &counter);

} // namespace vb
