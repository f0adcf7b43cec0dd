#include "host/store/storedates.h"

#include <QDate>
#include <QTime>
#include <cmath>

namespace {
const QDate epoch(1899, 12, 30);
constexpr qint64 msPerDay = 86400000;
} // namespace

QString storedDateText(double oleDate)
{
    double dayPart = std::trunc(oleDate);
    qint64 ms = std::llround(std::fabs(oleDate - dayPart) * double(msPerDay));
    if (ms >= msPerDay) { // rounded up to midnight: the next calendar day
        ms -= msPerDay;
        dayPart += 1;
    }
    const QDate date = epoch.addDays(qint64(dayPart));
    const QTime time = QTime(0, 0).addMSecs(int(ms));
    QString text =
        date.toString(QStringLiteral("yyyy-MM-dd ")) + time.toString(QStringLiteral("HH:mm:ss"));
    if (time.msec() != 0)
        text += time.toString(QStringLiteral(".zzz"));
    return text;
}

std::optional<double> oleDateOfStored(QStringView text)
{
    if (text.size() != 19 && text.size() != 23)
        return std::nullopt;
    const QDate date = QDate::fromString(text.left(10).toString(), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(text.mid(11).toString(),
                                         text.size() == 19 ? QStringLiteral("HH:mm:ss")
                                                           : QStringLiteral("HH:mm:ss.zzz"));
    if (!date.isValid() || !time.isValid() || text[10] != u' ')
        return std::nullopt;
    const qint64 days = epoch.daysTo(date);
    const double fraction = double(time.msecsSinceStartOfDay()) / double(msPerDay);
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}
