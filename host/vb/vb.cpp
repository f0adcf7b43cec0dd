#include "host/vb/vb.h"

#include "host/vb/errors.h"

#include <QDate>
#include <QTime>
#include <cmath>
#include <limits>

namespace vb {

namespace {

[[noreturn]] void raiseNull()
{
    throw HostError(Err::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}

// 15 (Double) or 7 (Single) significant digits; Qt's 'G' follows printf's %G
// (exponent form below 1E-04 and from 1E+<digits> up), without the locale.
QString numberText(double d, int significant)
{
    if (d == 0)
        return QStringLiteral("0"); // no "-0"
    return QString::number(d, 'G', significant);
}

QString currencyText(qint64 units)
{
    const bool negative = units < 0;
    // Work on the magnitude as unsigned so the most negative value is safe.
    const quint64 magnitude = negative ? quint64(0) - quint64(units) : quint64(units);
    QString text = QString::number(magnitude / 10000);
    quint64 fraction = magnitude % 10000;
    if (fraction != 0) {
        QString digits = QStringLiteral("%1").arg(fraction, 4, 10, QLatin1Char('0'));
        while (digits.endsWith(QLatin1Char('0')))
            digits.chop(1);
        text += QLatin1Char('.') + digits;
    }
    return negative ? QLatin1Char('-') + text : text;
}

QString dateText(double oleDate)
{
    double dayPart = std::trunc(oleDate);
    qint64 seconds = qint64(std::llround(std::fabs(oleDate - dayPart) * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        dayPart += 1;
    }
    const QTime time = QTime(0, 0).addSecs(int(seconds));
    const QString timeText = time.toString(QLatin1String(LongTimeFormat));
    if (dayPart == 0)
        return timeText;
    const QDate date = QDate(1899, 12, 30).addDays(qint64(dayPart));
    const QString dateText = date.toString(QLatin1String(ShortDateFormat));
    return seconds == 0 ? dateText : dateText + QLatin1Char(' ') + timeText;
}

double parseNumber(const QString &text)
{
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (!ok)
        throw HostError(Err::TypeMismatch,
                        QStringLiteral("Type mismatch: \"%1\" is not a number").arg(text));
    return d;
}

double numericValue(const Value &v)
{
    if (v.isNull())
        raiseNull();
    if (v.isText())
        return parseNumber(v.asText());
    return v.toDouble();
}

template <typename Int> Int checkedRound(double d, const char *typeName)
{
    const double r = roundHalfEven(d);
    if (!std::isfinite(r) || r < double(std::numeric_limits<Int>::min()) ||
        r > double(std::numeric_limits<Int>::max()))
        throw HostError::overflow(QStringLiteral("%1 does not fit in %2")
                                      .arg(QString::number(d, 'g', 17), QLatin1String(typeName)));
    return Int(r);
}

void checkLength(qint64 n, const char *function)
{
    if (n < 0)
        throw HostError::invalidCall(QString::fromLatin1(function));
}

} // namespace

QString CStr(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Empty:
        return QString();
    case Value::Type::Null:
        raiseNull();
    case Value::Type::Boolean:
        return v.asBoolean() ? QStringLiteral("True") : QStringLiteral("False");
    case Value::Type::Integer:
        return QString::number(v.asInteger());
    case Value::Type::Long:
        return QString::number(v.asLong());
    case Value::Type::Single:
        return numberText(double(v.asSingle()), 7);
    case Value::Type::Double:
        return numberText(v.asDouble(), 15);
    case Value::Type::Currency:
        return currencyText(v.asCurrencyUnits());
    case Value::Type::Date:
        return dateText(v.asOleDate());
    case Value::Type::Text:
        return v.asText();
    case Value::Type::Binary: {
        const QByteArray &b = v.asBinary();
        return QString(reinterpret_cast<const QChar *>(b.constData()), b.size() / 2);
    }
    }
    return QString();
}

QString textOrEmpty(const Value &v)
{
    return v.isNull() ? QString() : CStr(v);
}

QString Left(QStringView s, qint64 n)
{
    checkLength(n, "Left");
    return s.left(qsizetype(std::min<qint64>(n, s.size()))).toString();
}

QString Right(QStringView s, qint64 n)
{
    checkLength(n, "Right");
    return s.right(qsizetype(std::min<qint64>(n, s.size()))).toString();
}

QString Mid(QStringView s, qint64 start, std::optional<qint64> length)
{
    if (start < 1)
        throw HostError::invalidCall(QStringLiteral("Mid"));
    if (length)
        checkLength(*length, "Mid");
    if (start > s.size())
        return QString();
    const qsizetype from = qsizetype(start - 1);
    const qsizetype available = s.size() - from;
    const qsizetype count = length ? qsizetype(std::min<qint64>(*length, available)) : available;
    return s.mid(from, count).toString();
}

qint64 InStr(qint64 start, QStringView s1, QStringView s2, Compare compare)
{
    if (start < 1)
        throw HostError::invalidCall(QStringLiteral("InStr"));
    if (s1.isEmpty() || start > s1.size())
        return 0;
    if (s2.isEmpty())
        return start;
    const Qt::CaseSensitivity cs =
        compare == Compare::Binary ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const qsizetype at = s1.indexOf(s2, qsizetype(start - 1), cs);
    return at < 0 ? 0 : at + 1;
}

qint64 InStr(QStringView s1, QStringView s2, Compare compare)
{
    return InStr(1, s1, s2, compare);
}

QString LTrim(QStringView s)
{
    qsizetype i = 0;
    while (i < s.size() && s[i] == u' ')
        ++i;
    return s.mid(i).toString();
}

QString RTrim(QStringView s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == u' ')
        --n;
    return s.left(n).toString();
}

QString Trim(QStringView s)
{
    return LTrim(RTrim(s));
}

QString UCase(QStringView s)
{
    QString out = s.toString();
    for (QChar &c : out) {
        if (!c.isSurrogate())
            c = c.toUpper();
    }
    return out;
}

double roundHalfEven(double x)
{
    const double f = std::floor(x);
    const double diff = x - f;
    if (diff > 0.5)
        return f + 1;
    if (diff < 0.5)
        return f;
    return std::fmod(f, 2.0) == 0 ? f : f + 1;
}

qint16 CInt(const Value &v)
{
    if (v.type() == Value::Type::Currency) // exact, no detour through double
        return checkedRound<qint16>(double(CLng(v)), "Integer");
    return checkedRound<qint16>(numericValue(v), "Integer");
}

qint32 CLng(const Value &v)
{
    if (v.type() == Value::Type::Currency) {
        const qint64 units = v.asCurrencyUnits();
        qint64 whole = units / 10000;
        qint64 rest = units % 10000; // same sign as units
        if (rest > 5000 || (rest == 5000 && (whole & 1)))
            ++whole;
        else if (rest < -5000 || (rest == -5000 && (whole & 1)))
            --whole;
        if (whole < std::numeric_limits<qint32>::min() ||
            whole > std::numeric_limits<qint32>::max())
            throw HostError::overflow(
                QStringLiteral("%1 does not fit in Long").arg(currencyText(units)));
        return qint32(whole);
    }
    return checkedRound<qint32>(numericValue(v), "Long");
}

double CDbl(const Value &v)
{
    if (v.type() == Value::Type::Currency)
        return double(v.asCurrencyUnits()) / 10000.0;
    return numericValue(v);
}

qint64 CCur(const Value &v)
{
    if (v.type() == Value::Type::Currency)
        return v.asCurrencyUnits();
    const double scaled = numericValue(v) * 10000.0;
    // 922337203685477.5807 is the largest currency value.
    if (!(std::fabs(scaled) < 9.2233720368547758e18))
        throw HostError::overflow(QStringLiteral("value does not fit in Currency"));
    return qint64(roundHalfEven(scaled));
}

QString Format(const Value &v, QStringView pattern)
{
    const qsizetype point = pattern.indexOf(u'.');
    const QStringView intPattern = point < 0 ? pattern : pattern.left(point);
    const QStringView fracPattern = point < 0 ? QStringView() : pattern.mid(point + 1);
    auto digitsOnly = [](QStringView p) {
        for (QChar c : p)
            if (c != u'0' && c != u'#')
                return false;
        return true;
    };
    if (!digitsOnly(intPattern) || !digitsOnly(fracPattern))
        throw HostError::invalidCall(QStringLiteral("Format(\"%1\")").arg(pattern));
    if (v.isNull())
        return QString();

    const double x = CDbl(v);
    const qsizetype minInt = intPattern.count(u'0');
    const qsizetype maxFrac = fracPattern.size();
    const qsizetype minFrac = fracPattern.count(u'0');

    // 15 significant digits: "d.dddddddddddddde+XX".
    const QString sci = QString::number(std::fabs(x), 'e', 14);
    QString digits = sci.left(1) + sci.mid(2, 14);
    const int exponent = sci.mid(sci.indexOf(u'e') + 1).toInt();
    // digits[i] has weight 10^(exponent - i). Keep those with weight >= 10^-maxFrac.
    qsizetype keep = exponent + 1 + maxFrac;
    QString kept;
    if (x != 0 && keep >= 0) {
        kept = digits.left(std::min<qsizetype>(keep, digits.size()));
        while (kept.size() < keep)
            kept += QLatin1Char('0');
        if (keep < digits.size() && digits[keep] >= u'5') {
            // Half away from zero: carry through the kept digits.
            qsizetype i = kept.size() - 1;
            while (i >= 0 && kept[i] == u'9')
                kept[i--] = u'0';
            if (i >= 0)
                kept[i] = QChar(kept[i].unicode() + 1);
            else
                kept.prepend(u'1');
        }
    }
    // kept now holds the value times 10^maxFrac as an integer, as text.
    while (kept.size() < maxFrac + 1)
        kept.prepend(u'0');
    QString intDigits = kept.left(kept.size() - maxFrac);
    QString fracDigits = kept.right(maxFrac);
    while (intDigits.size() > 1 && intDigits.startsWith(u'0'))
        intDigits.remove(0, 1);
    if (intDigits == QLatin1String("0") && minInt == 0)
        intDigits.clear();
    while (intDigits.size() < minInt)
        intDigits.prepend(u'0');
    while (fracDigits.size() > minFrac && fracDigits.endsWith(u'0'))
        fracDigits.chop(1);

    QString out = std::signbit(x) && x != 0 ? QStringLiteral("-") : QString();
    out += intDigits;
    if (point >= 0)
        out += QLatin1Char('.') + fracDigits;
    return out;
}

void increment(qint16 &counter)
{
    if (counter == std::numeric_limits<qint16>::max())
        throw HostError::overflow(QStringLiteral("counter past 32767"));
    ++counter;
}

} // namespace vb
