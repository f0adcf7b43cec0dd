#include "export/valuetext.h"

#include "host/vb/vb.h"

#include <QDate>
#include <cmath>

QString generalDateText(double oleDate)
{
    double dayPart = std::trunc(oleDate);
    qint64 seconds = qint64(std::llround(std::fabs(oleDate - dayPart) * 86400.0));
    if (seconds >= 86400) {
        seconds -= 86400;
        dayPart += oleDate < 0 ? -1 : 1;
    }
    const QDate date = QDate(1899, 12, 30).addDays(qint64(dayPart));
    QString text = date.toString(QLatin1String(vb::ShortDateFormat));
    text += QLatin1Char(' ');
    text += QString::number(seconds / 3600);
    const auto twoDigits = [&text](qint64 n) {
        text += QLatin1Char(':');
        text += QLatin1Char(char('0' + n / 10));
        text += QLatin1Char(char('0' + n % 10));
    };
    twoDigits(seconds / 60 % 60);
    twoDigits(seconds % 60);
    return text;
}

QString delimitedText(const Value &value)
{
    switch (value.type()) {
    case Value::Type::Empty:
    case Value::Type::Null:
    case Value::Type::Binary:
        return QString();
    case Value::Type::Boolean:
        return value.asBoolean() ? QStringLiteral("-1") : QStringLiteral("0");
    case Value::Type::Integer:
        return QString::number(value.asInteger());
    case Value::Type::Long:
        return QString::number(value.asLong());
    case Value::Type::Date:
        return generalDateText(value.asOleDate());
    case Value::Type::Text:
        return value.asText();
    default:
        return vb::CStr(value);
    }
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
