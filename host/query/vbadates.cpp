#include "host/query/vbadates.h"

#include "host/vb/errors.h"
#include "host/vb/vb.h"

#include <QDateTime>
#include <QRegularExpression>
#include <cmath>

namespace vbdates {

namespace {

const QDate oleEpoch(1899, 12, 30);

[[noreturn]] void badCall(const char *function)
{
    throw HostError::invalidCall(QString::fromLatin1(function));
}

qint64 dayNumber(double ole)
{
    double day = std::trunc(ole);
    const double fraction = std::fabs(ole - day);
    if (std::llround(fraction * 86400.0) >= 86400)
        day += ole < 0 ? -1 : 1;
    return qint64(day);
}

QDate checkedDate(QDate d, const char *function)
{
    if (!d.isValid() || d.year() < 100 || d.year() > 9999)
        badCall(function);
    return d;
}

int expandYear(int year, int digits)
{
    if (digits > 2)
        return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

// "10:30", "10:30:15", "10:30 PM": seconds of the day, or -1.
int parseTime(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,2})(?::(\\d{1,2}))?(?::(\\d{1,2}))?\\s*(AM|PM|A|P)?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(text.trimmed());
    if (!m.hasMatch() || (m.captured(2).isEmpty() && m.captured(4).isEmpty()))
        return -1;
    int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    const int second = m.captured(3).toInt();
    const QString half = m.captured(4).toUpper();
    if (!half.isEmpty()) {
        if (hour < 1 || hour > 12)
            return -1;
        hour = hour % 12 + (half.startsWith(u'P') ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return -1;
    return hour * 3600 + minute * 60 + second;
}

// Date part then optional time part; yearFirst decides "a/b/c" order when
// the first number is short.
std::optional<double> parseDateAndTime(const QString &text, bool preferYearFirst)
{
    const QString trimmed = text.trimmed();
    static const QRegularExpression dateRe(
        QStringLiteral("^(\\d{1,4})[/\\-.](\\d{1,2})[/\\-.](\\d{1,4})(?:\\s+(.*))?$"));
    const QRegularExpressionMatch m = dateRe.match(trimmed);
    if (!m.hasMatch()) {
        const int seconds = parseTime(trimmed);
        if (seconds < 0)
            return std::nullopt;
        return seconds / 86400.0;
    }
    const QString a = m.captured(1), b = m.captured(2), c = m.captured(3);
    int year, month, day;
    if (a.size() > 2 || (preferYearFirst && c.size() <= 2)) {
        year = expandYear(a.toInt(), int(a.size()));
        month = b.toInt();
        day = c.toInt();
    } else {
        month = a.toInt();
        day = b.toInt();
        year = expandYear(c.toInt(), int(c.size()));
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    int seconds = 0;
    if (!m.captured(4).isEmpty()) {
        seconds = parseTime(m.captured(4));
        if (seconds < 0)
            return std::nullopt;
    }
    return toOle(date, seconds);
}

int quarterOf(QDate d)
{
    return (d.month() - 1) / 3 + 1;
}

// The first day of the week holding d, weeks starting on firstDayOfWeek
// (1 Sunday .. 7 Saturday).
QDate weekStart(QDate d, int firstDayOfWeek)
{
    const int vbDay = d.dayOfWeek() % 7 + 1; // 1 Sunday .. 7 Saturday
    return d.addDays(-((vbDay - firstDayOfWeek + 7) % 7));
}

int checkedFirstDay(int firstDayOfWeek)
{
    if (firstDayOfWeek == 0)
        return 1; // vbUseSystemDayOfWeek: Sunday in the Japanese locale
    if (firstDayOfWeek < 1 || firstDayOfWeek > 7)
        badCall("firstdayofweek");
    return firstDayOfWeek;
}

} // namespace

std::optional<double> parseJetDateLiteral(const QString &text)
{
    return parseDateAndTime(text, false);
}

std::optional<double> parseDateText(const QString &text)
{
    return parseDateAndTime(text, true);
}

double toOle(QDate date, qint64 secondsOfDay)
{
    const double days = double(oleEpoch.daysTo(date));
    const double fraction = double(secondsOfDay) / 86400.0;
    return days >= 0 ? days + fraction : days - fraction;
}

QDate dateOf(double ole)
{
    return oleEpoch.addDays(dayNumber(ole));
}

int secondsOf(double ole)
{
    const qint64 seconds = std::llround(std::fabs(ole - std::trunc(ole)) * 86400.0);
    return int(seconds % 86400);
}

double CDate(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Null:
        throw HostError(Err::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    case Value::Type::Date:
        return v.asOleDate();
    case Value::Type::Text: {
        const std::optional<double> d = parseDateText(v.asText());
        if (!d)
            throw HostError(Err::TypeMismatch,
                            QStringLiteral("Type mismatch: \"%1\" is not a date").arg(v.asText()));
        return *d;
    }
    default:
        return vb::CDbl(v);
    }
}

int Weekday(double ole, int firstDayOfWeek)
{
    const int first = checkedFirstDay(firstDayOfWeek);
    const int vbDay = dateOf(ole).dayOfWeek() % 7 + 1;
    return (vbDay - first + 7) % 7 + 1;
}

qint64 DatePart(const QString &interval, double ole, int firstDayOfWeek, int firstWeekOfYear)
{
    const QString i = interval.toLower();
    const QDate d = checkedDate(dateOf(ole), "DatePart");
    const int s = secondsOf(ole);
    if (i == QLatin1String("yyyy"))
        return d.year();
    if (i == QLatin1String("q"))
        return quarterOf(d);
    if (i == QLatin1String("m"))
        return d.month();
    if (i == QLatin1String("y"))
        return d.dayOfYear();
    if (i == QLatin1String("d"))
        return d.day();
    if (i == QLatin1String("w"))
        return Weekday(ole, firstDayOfWeek);
    if (i == QLatin1String("ww")) {
        const int first = checkedFirstDay(firstDayOfWeek);
        const QDate jan1(d.year(), 1, 1);
        const QDate week1Start = weekStart(jan1, first);
        qint64 week = week1Start.daysTo(weekStart(d, first)) / 7 + 1;
        const int daysInFirstWeek = 7 - int(week1Start.daysTo(jan1));
        if (firstWeekOfYear == 2 && daysInFirstWeek < 4)
            --week; // vbFirstFourDays
        else if (firstWeekOfYear == 3 && daysInFirstWeek < 7)
            --week; // vbFirstFullWeek
        if (week < 1)
            return DatePart(interval, toOle(jan1.addDays(-1)), firstDayOfWeek, firstWeekOfYear);
        return week;
    }
    if (i == QLatin1String("h"))
        return s / 3600;
    if (i == QLatin1String("n"))
        return s / 60 % 60;
    if (i == QLatin1String("s"))
        return s % 60;
    badCall("DatePart");
}

double DateAdd(const QString &interval, double number, double ole)
{
    const QString i = interval.toLower();
    const QDate d = checkedDate(dateOf(ole), "DateAdd");
    const int s = secondsOf(ole);
    const qint64 n = qint64(std::trunc(number)); // VBA drops the fraction
    QDate result;
    if (i == QLatin1String("yyyy"))
        result = d.addYears(int(n));
    else if (i == QLatin1String("q"))
        result = d.addMonths(int(n * 3));
    else if (i == QLatin1String("m"))
        result = d.addMonths(int(n));
    else if (i == QLatin1String("y") || i == QLatin1String("d") || i == QLatin1String("w"))
        result = d.addDays(n);
    else if (i == QLatin1String("ww"))
        result = d.addDays(n * 7);
    if (result.isValid())
        return toOle(checkedDate(result, "DateAdd"), s);
    qint64 seconds;
    if (i == QLatin1String("h"))
        seconds = n * 3600;
    else if (i == QLatin1String("n"))
        seconds = n * 60;
    else if (i == QLatin1String("s"))
        seconds = n;
    else
        badCall("DateAdd");
    const qint64 total = s + seconds;
    const qint64 days = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
    return toOle(checkedDate(d.addDays(days), "DateAdd"), total - days * 86400);
}

qint64 DateDiff(const QString &interval, double from, double to, int firstDayOfWeek)
{
    const QString i = interval.toLower();
    const QDate a = dateOf(from), b = dateOf(to);
    if (i == QLatin1String("yyyy"))
        return b.year() - a.year();
    if (i == QLatin1String("q"))
        return (b.year() - a.year()) * 4 + quarterOf(b) - quarterOf(a);
    if (i == QLatin1String("m"))
        return (b.year() - a.year()) * 12 + b.month() - a.month();
    if (i == QLatin1String("y") || i == QLatin1String("d"))
        return a.daysTo(b);
    if (i == QLatin1String("w"))
        return a.daysTo(b) / 7;
    if (i == QLatin1String("ww")) {
        const int first = checkedFirstDay(firstDayOfWeek);
        return weekStart(a, first).daysTo(weekStart(b, first)) / 7;
    }
    const qint64 sa = a.toJulianDay() * 86400 + secondsOf(from);
    const qint64 sb = b.toJulianDay() * 86400 + secondsOf(to);
    auto floorDiv = [](qint64 x, qint64 y) { return x >= 0 ? x / y : -((-x + y - 1) / y); };
    if (i == QLatin1String("h"))
        return floorDiv(sb, 3600) - floorDiv(sa, 3600);
    if (i == QLatin1String("n"))
        return floorDiv(sb, 60) - floorDiv(sa, 60);
    if (i == QLatin1String("s"))
        return sb - sa;
    badCall("DateDiff");
}

double DateSerial(qint64 year, qint64 month, qint64 day)
{
    if (year >= 0 && year < 30)
        year += 2000;
    else if (year >= 30 && year < 100)
        year += 1900;
    const qint64 monthIndex = year * 12 + (month - 1);
    const qint64 y = monthIndex >= 0 ? monthIndex / 12 : -((-monthIndex + 11) / 12);
    const int m = int(monthIndex - y * 12) + 1;
    if (y < 100 || y > 9999)
        badCall("DateSerial");
    return toOle(checkedDate(QDate(int(y), m, 1).addDays(day - 1), "DateSerial"));
}

double TimeSerial(qint64 hour, qint64 minute, qint64 second)
{
    return double(hour * 3600 + minute * 60 + second) / 86400.0;
}

double now()
{
    const QDateTime t = QDateTime::currentDateTime();
    return toOle(t.date(), t.time().msecsSinceStartOfDay() / 1000);
}

} // namespace vbdates
