#include "export/valuetext.h"

#include "host/vb/vb.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The civil date of a day count from 1970-01-01 (proleptic Gregorian, as
// QDate counts), by Howard Hinnant's days-to-civil algorithm.
void civilFromDays(qint64 z, qint64 &year, int &month, int &day)
{
    z += 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

// Writes n in decimal, zero-padded to `width` digits, at p; returns the end.
char *putDigits(char *p, qint64 n, int width)
{
    char digits[24];
    int count = 0;
    quint64 m = n < 0 ? quint64(0) - quint64(n) : quint64(n);
    do {
        digits[count++] = char('0' + m % 10);
        m /= 10;
    } while (m);
    if (n < 0)
        *p++ = '-';
    for (int i = count; i < width; ++i)
        *p++ = '0';
    while (count)
        *p++ = digits[--count];
    return p;
}

void appendDigits(QByteArray &out, qint64 n, int width)
{
    char text[48];
    out.append(text, putDigits(text, n, width) - text);
}

// VB's CStr of a Double (15 significant digits) or Single (7): printf's
// %G form, which std::to_chars writes with a lower-case e.
void appendNumber(QByteArray &out, double d, int significant)
{
    if (d == 0) {
        out += '0'; // no "-0"
        return;
    }
    char text[64];
    const std::to_chars_result r =
        std::to_chars(text, text + sizeof text, d, std::chars_format::general, significant);
    for (char *p = text; p < r.ptr; ++p) {
        if (*p == 'e')
            *p = 'E';
    }
    out.append(text, r.ptr - text);
}

void appendGeneralDate(QByteArray &out, double oleDate)
{
    double dayPart = std::trunc(oleDate);
    qint64 seconds = qint64(std::llround(std::fabs(oleDate - dayPart) * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        dayPart += oleDate < 0 ? -1 : 1;
    }
    qint64 year;
    int month, day;
    civilFromDays(qint64(dayPart) - 25569, year, month, day); // 1899-12-30 is day -25569
    char text[48];
    char *p = putDigits(text, year, 4);
    *p++ = '/';
    p = putDigits(p, month, 2);
    *p++ = '/';
    p = putDigits(p, day, 2);
    *p++ = ' ';
    p = putDigits(p, seconds / 3600, 1);
    *p++ = ':';
    p = putDigits(p, seconds / 60 % 60, 2);
    *p++ = ':';
    p = putDigits(p, seconds % 60, 2);
    out.append(text, p - text);
}

} // namespace

QString generalDateText(double oleDate)
{
    QByteArray text;
    appendGeneralDate(text, oleDate);
    return QString::fromLatin1(text);
}

void appendBareText(QByteArray &out, const Value &value)
{
    switch (value.type()) {
    case Value::Type::Boolean:
        out += value.asBoolean() ? "-1" : "0";
        break;
    case Value::Type::Integer:
        appendDigits(out, value.asInteger(), 1);
        break;
    case Value::Type::Long:
        appendDigits(out, value.asLong(), 1);
        break;
    case Value::Type::Currency: {
        const qint64 units = value.asCurrencyUnits();
        const quint64 magnitude = units < 0 ? quint64(0) - quint64(units) : quint64(units);
        if (units < 0)
            out += '-';
        char whole[24];
        char *end = whole;
        quint64 m = magnitude / 10000;
        do {
            *end++ = char('0' + m % 10);
            m /= 10;
        } while (m);
        std::reverse(whole, end);
        out.append(whole, end - whole);
        int fraction = int(magnitude % 10000);
        if (fraction) {
            int width = 4;
            while (fraction % 10 == 0) {
                fraction /= 10;
                --width;
            }
            out += '.';
            appendDigits(out, fraction, width);
        }
        break;
    }
    case Value::Type::Date:
        appendGeneralDate(out, value.asOleDate());
        break;
    case Value::Type::Single:
        appendNumber(out, double(value.asSingle()), 7);
        break;
    case Value::Type::Double:
        appendNumber(out, value.asDouble(), 15);
        break;
    default: // Empty, Null, binary: nothing
        break;
    }
}

QString delimitedText(const Value &value)
{
    if (value.isText())
        return value.asText();
    QByteArray text;
    appendBareText(text, value);
    return QString::fromLatin1(text);
}

QString displayText(const Value &value)
{
    switch (value.type()) {
    case Value::Type::Boolean:
        return value.asBoolean() ? QStringLiteral("Yes") : QStringLiteral("No");
    case Value::Type::Date:
        return vb::CStr(value);
    default:
        return delimitedText(value);
    }
}
