#include "host/query/vbaformat.h"

#include "host/query/vbadates.h"
#include "host/vb/vb.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace {

const char *const englishDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                   "Thursday", "Friday", "Saturday"};
const char *const englishMonths[] = {"January",   "February", "March",    "April",
                                     "May",       "June",     "July",     "August",
                                     "September", "October",  "November", "December"};
const char16_t *const japaneseDays[] = {u"日", u"月", u"火", u"水", u"木", u"金", u"土"};

// Splits on ';' outside quotes.
QStringList sections(const QString &format)
{
    QStringList out(QString{});
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'"')
            quoted = !quoted;
        if (c == u'\\' && i + 1 < format.size()) {
            out.last() += c;
            out.last() += format[++i];
            continue;
        }
        if (c == u';' && !quoted) {
            out.append(QString());
            continue;
        }
        out.last() += c;
    }
    return out;
}

bool hasDateTokens(const QString &format)
{
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (c == u'\\') {
            ++i;
        } else if (!quoted) {
            const QChar l = c.toLower();
            if (l == u'y' || l == u'm' || l == u'd' || l == u'h' || l == u'n' || l == u's' ||
                l == u'q' || l == u'w' || l == u'c' || l == u't' || l == u'a')
                return true;
        }
    }
    return false;
}

QString two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString formatDate(double ole, const QString &format)
{
    const QDate d = vbdates::dateOf(ole);
    const int secs = vbdates::secondsOf(ole);
    const int hour = secs / 3600, minute = secs / 60 % 60, second = secs % 60;
    const int weekday = d.dayOfWeek() % 7; // 0 Sunday
    const bool hasAmPm = format.contains(QLatin1String("AM/PM"), Qt::CaseInsensitive) ||
                         format.contains(QLatin1String("A/P"), Qt::CaseInsensitive) ||
                         format.contains(QLatin1String("AMPM"), Qt::CaseInsensitive);
    const int shownHour = hasAmPm ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
    QString out;
    bool afterHour = false;
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = format[i];
        const QChar l = c.toLower();
        qsizetype run = 1;
        while (i + run < n && format[i + run].toLower() == l)
            ++run;
        auto startsHere = [&](const char *token) {
            return format.mid(i, qsizetype(strlen(token)))
                       .compare(QLatin1String(token), Qt::CaseInsensitive) == 0;
        };
        if (c == u'"') {
            const qsizetype close = format.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            out += format.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if (c == u'\\') {
            if (i + 1 < n)
                out += format[i + 1];
            i += 2;
            continue;
        }
        if (startsHere("AM/PM")) {
            const bool upper = format[i] == u'A';
            out += hour < 12 ? (upper ? QStringLiteral("AM") : QStringLiteral("am"))
                             : (upper ? QStringLiteral("PM") : QStringLiteral("pm"));
            i += 5;
            continue;
        }
        if (startsHere("A/P")) {
            const bool upper = format[i] == u'A';
            out += hour < 12 ? (upper ? u'A' : u'a') : (upper ? u'P' : u'p');
            i += 3;
            continue;
        }
        if (startsHere("AMPM")) {
            out += hour < 12 ? QStringLiteral("午前") : QStringLiteral("午後");
            i += 4;
            continue;
        }
        if (l == u'd') {
            if (run == 1)
                out += QString::number(d.day());
            else if (run == 2)
                out += two(d.day());
            else if (run == 3)
                out += QString::fromLatin1(englishDays[weekday]).left(3);
            else if (run == 4)
                out += QString::fromLatin1(englishDays[weekday]);
            else if (run == 5)
                out += d.toString(QLatin1String(vb::ShortDateFormat));
            else
                out += formatDate(ole, QStringLiteral("yyyy\"年\"m\"月\"d\"日\""));
        } else if (l == u'a' && run >= 3) {
            out += QString::fromUtf16(japaneseDays[weekday]);
            if (run >= 4)
                out += QStringLiteral("曜日");
        } else if (l == u'm') {
            // m after an hour, or before seconds, is minutes.
            qsizetype k = i + run;
            while (k < n && !QStringLiteral("dmyhnsqw").contains(format[k].toLower()))
                ++k;
            const bool minutes = run <= 2 && (afterHour || (k < n && format[k].toLower() == u's'));
            if (minutes)
                out += run == 1 ? QString::number(minute) : two(minute);
            else if (run == 1)
                out += QString::number(d.month());
            else if (run == 2)
                out += two(d.month());
            else if (run == 3)
                out += QString::fromLatin1(englishMonths[d.month() - 1]).left(3);
            else
                out += QString::fromLatin1(englishMonths[d.month() - 1]);
        } else if (l == u'y') {
            if (run == 1)
                out += QString::number(d.dayOfYear());
            else if (run <= 3)
                out += two(d.year() % 100);
            else
                out += QString::number(d.year());
        } else if (l == u'q') {
            out += QString::number((d.month() - 1) / 3 + 1);
        } else if (l == u'w') {
            out += QString::number(run == 1 ? vbdates::Weekday(ole)
                                            : vbdates::DatePart(QStringLiteral("ww"), ole));
        } else if (l == u'h') {
            out += run == 1 ? QString::number(shownHour) : two(shownHour);
        } else if (l == u'n') {
            out += run == 1 ? QString::number(minute) : two(minute);
        } else if (l == u's') {
            out += run == 1 ? QString::number(second) : two(second);
        } else if (l == u't' && run >= 5) {
            out += QStringLiteral("%1:%2:%3").arg(hour).arg(two(minute), two(second));
        } else if (l == u'c') {
            out += vb::CStr(Value::date(ole));
        } else {
            out += QString(run, c);
        }
        afterHour = l == u'h' || (afterHour && !QStringLiteral("dmyhnsqwt").contains(l));
        i += run;
    }
    return out;
}

QString groupThousands(const QString &digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        out += digits[i];
        if ((n - i - 1) % 3 == 0 && i != n - 1)
            out += u',';
    }
    return out;
}

QString formatNumberSection(double x, const QString &section)
{
    // Literals before and after the digits, and the digit pattern itself.
    QString prefix, suffix, pattern;
    bool inDigits = false, pastDigits = false, percent = false;
    for (qsizetype i = 0; i < section.size(); ++i) {
        const QChar c = section[i];
        QString literal;
        bool isLiteral = true;
        if (c == u'"') {
            const qsizetype close = section.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? section.size() : close;
            literal = section.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == u'\\') {
            if (i + 1 < section.size())
                literal = section[++i];
        } else if (c == u'0' || c == u'#' || ((c == u'.' || c == u',') && !pastDigits) ||
                   ((c == u'E' || c == u'e') && inDigits && i + 1 < section.size() &&
                    (section[i + 1] == u'+' || section[i + 1] == u'-'))) {
            isLiteral = false;
            if (c == u'E' || c == u'e') {
                pattern += c;
                pattern += section[++i];
                while (i + 1 < section.size() && (section[i + 1] == u'0' || section[i + 1] == u'#'))
                    pattern += section[++i];
            } else {
                pattern += c;
            }
            inDigits = true;
        } else {
            if (c == u'%')
                percent = true;
            literal = c;
        }
        if (isLiteral) {
            if (inDigits)
                pastDigits = true;
            (inDigits ? suffix : prefix) += literal;
        }
    }
    if (percent)
        x *= 100;
    const qsizetype ePos = pattern.indexOf(QRegularExpression(QStringLiteral("[eE][+-]")));
    QString mantissaPattern = ePos < 0 ? pattern : pattern.left(ePos);
    const bool grouping = mantissaPattern.contains(u',');
    mantissaPattern.remove(u',');
    const qsizetype point = mantissaPattern.indexOf(u'.');
    const QString intPart = point < 0 ? mantissaPattern : mantissaPattern.left(point);
    const QString fracPart = point < 0 ? QString() : mantissaPattern.mid(point + 1);
    QString exponentText;
    if (ePos >= 0) {
        const QString expPattern = pattern.mid(ePos + 2);
        int exponent = x == 0 ? 0 : int(std::floor(std::log10(std::fabs(x))));
        const int intDigits = std::max<int>(1, int(intPart.count(u'0') + intPart.count(u'#')));
        exponent -= intDigits - 1;
        x /= std::pow(10.0, exponent);
        const bool plus = pattern[ePos + 1] == u'+';
        exponentText =
            QString(pattern[ePos]) +
            (exponent < 0 ? QStringLiteral("-") : (plus ? QStringLiteral("+") : QString())) +
            QStringLiteral("%1").arg(std::abs(exponent),
                                     int(std::max<qsizetype>(1, expPattern.size())), 10,
                                     QLatin1Char('0'));
    }
    const qsizetype minInt = intPart.count(u'0');
    QString digitPattern = minInt > 0 ? QString(minInt, u'0') : QStringLiteral("#");
    if (point >= 0)
        digitPattern += QLatin1Char('.') + fracPart;
    QString number = vb::Format(Value::dbl(std::fabs(x)), digitPattern);
    if (grouping) {
        const qsizetype dot = number.indexOf(u'.');
        const QString whole = dot < 0 ? number : number.left(dot);
        number = groupThousands(whole) + (dot < 0 ? QString() : number.mid(dot));
    }
    return prefix + number + exponentText + suffix;
}

QString formatNumber(double x, const QString &format)
{
    const QStringList parts = sections(format);
    if (parts.size() >= 3 && x == 0 && !parts[2].isEmpty())
        return formatNumberSection(0, parts[2]);
    if (parts.size() >= 2 && x < 0 && !parts[1].isEmpty())
        return formatNumberSection(-x, parts[1]);
    QString text = formatNumberSection(x, parts[0]);
    // One section: the sign goes in front, unless the value rounds to zero
    // in a format without digits after the point.
    if (x < 0) {
        bool allZero = true;
        for (QChar c : text)
            if (c.isDigit() && c != u'0')
                allZero = false;
        if (!allZero)
            text.prepend(u'-');
    }
    return text;
}

std::optional<double> numberOf(const Value &v)
{
    if (v.isText()) {
        bool ok = false;
        const double d = v.asText().trimmed().toDouble(&ok);
        return ok ? std::optional<double>(d) : std::nullopt;
    }
    if (v.isNumeric())
        return vb::CDbl(v);
    return std::nullopt;
}

std::optional<double> dateOf(const Value &v)
{
    if (v.type() == Value::Type::Date)
        return v.asOleDate();
    if (v.isText())
        return vbdates::parseDateText(v.asText());
    if (v.isNumeric())
        return vb::CDbl(v);
    return std::nullopt;
}

} // namespace

QString formatValue(const Value &value, const QString &format)
{
    if (value.isNull() || value.isEmpty()) {
        const QStringList parts = sections(format);
        return parts.size() >= 4 ? formatNumberSection(0, parts[3]).remove(u'0') : QString();
    }
    const QString named = format.toLower();
    if (named.isEmpty())
        return vb::CStr(value);
    if (named == QLatin1String("general number")) {
        const auto x = numberOf(value);
        return x ? vb::CStr(Value::dbl(*x)) : vb::CStr(value);
    }
    const struct
    {
        const char *name;
        const char *pattern;
    } numberFormats[] = {{"currency", "\u00a5#,##0;-\u00a5#,##0"},
                         {"fixed", "0.00"},
                         {"standard", "#,##0.00"},
                         {"percent", "0.00%"},
                         {"scientific", "0.00E+00"}};
    for (const auto &f : numberFormats) {
        if (named == QLatin1String(f.name)) {
            const auto x = numberOf(value);
            return x ? formatNumber(*x, QString::fromUtf8(f.pattern)) : vb::CStr(value);
        }
    }
    const struct
    {
        const char *name, *yes, *no;
    } booleanFormats[] = {
        {"yes/no", "Yes", "No"}, {"true/false", "True", "False"}, {"on/off", "On", "Off"}};
    for (const auto &f : booleanFormats) {
        if (named == QLatin1String(f.name)) {
            const auto x = numberOf(value);
            if (!x)
                return vb::CStr(value);
            return QString::fromLatin1(*x != 0 ? f.yes : f.no);
        }
    }
    const struct
    {
        const char *name;
        const char *pattern;
    } dateFormats[] = {{"general date", "c"},       {"long date", "dddddd"},
                       {"medium date", "yy/mm/dd"}, {"short date", "ddddd"},
                       {"long time", "ttttt"},      {"medium time", "hh:nn AMPM"},
                       {"short time", "hh:nn"}};
    for (const auto &f : dateFormats) {
        if (named == QLatin1String(f.name)) {
            const auto d = dateOf(value);
            return d ? formatDate(*d, QString::fromLatin1(f.pattern)) : vb::CStr(value);
        }
    }
    const QStringList parts = sections(format);
    if (hasDateTokens(parts[0])) {
        const auto d = dateOf(value);
        return d ? formatDate(*d, parts[0]) : vb::CStr(value);
    }
    const auto x = numberOf(value);
    return x ? formatNumber(*x, format) : vb::CStr(value);
}
