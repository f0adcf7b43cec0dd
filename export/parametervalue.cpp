#include "export/parametervalue.h"

#include "host/vb/errors.h"

#include <QDateTime>
#include <cmath>
#include <functional>

namespace {

[[noreturn]] void mismatch(const QString &name, const QString &text, const QString &type)
{
    throw HostError(
        Err::TypeMismatch,
        QStringLiteral("The value \"%1\" of the parameter [%2] is not a %3").arg(text, name, type));
}

double oleDateOf(const QDateTime &when)
{
    const qint64 days = QDate(1899, 12, 30).daysTo(when.date());
    return double(days) + when.time().msecsSinceStartOfDay() / 86400000.0;
}

} // namespace

Value parameterValue(const QString &name, const QString &text, const QString &declaredType)
{
    const QString type = declaredType.toLower();
    const QString trimmed = text.trimmed();
    bool ok = false;
    if (type == u"long" || type == u"integer" || type == u"byte") {
        const qlonglong n = trimmed.toLongLong(&ok);
        const qlonglong low = type == u"long" ? INT32_MIN : type == u"integer" ? INT16_MIN : 0;
        const qlonglong high = type == u"long" ? INT32_MAX : type == u"integer" ? INT16_MAX : 255;
        if (!ok || n < low || n > high)
            mismatch(name, text, declaredType);
        return type == u"long" ? Value::longInt(qint32(n)) : Value::integer(qint16(n));
    }
    if (type == u"double" || type == u"single" || type == u"currency") {
        const double d = trimmed.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            mismatch(name, text, declaredType);
        if (type == u"currency")
            return Value::currency(qint64(std::llround(d * 10000.0)));
        return type == u"single" ? Value::single(float(d)) : Value::dbl(d);
    }
    if (type == u"datetime" || type == u"date") {
        for (const char *format : {"yyyy/MM/dd H:mm:ss", "yyyy/MM/dd H:mm", "yyyy/MM/dd",
                                   "yyyy-MM-dd H:mm:ss", "yyyy-MM-ddTH:mm:ss", "yyyy-MM-dd"}) {
            const QDateTime when = QDateTime::fromString(trimmed, QLatin1String(format));
            if (when.isValid())
                return Value::date(oleDateOf(when));
        }
        mismatch(name, text, declaredType);
    }
    if (type == u"yesno" || type == u"bit" || type == u"boolean") {
        const QString t = trimmed.toLower();
        if (t == u"true" || t == u"yes" || t == u"-1" || t == u"on")
            return Value::boolean(true);
        if (t == u"false" || t == u"no" || t == u"0" || t == u"off")
            return Value::boolean(false);
        mismatch(name, text, declaredType);
    }
    return Value(text);
}

std::function<Value(const QString &, const QString &)>
promptFromValues(const QHash<QString, QString> &values)
{
    QHash<QString, QString> byName;
    for (auto it = values.begin(); it != values.end(); ++it)
        byName.insert(it.key().toLower(), it.value());
    return [byName](const QString &name, const QString &declaredType) {
        const auto found = byName.constFind(name.toLower());
        if (found == byName.constEnd())
            throw HostError(Err::ActionCancelled,
                            QStringLiteral("The query asks for the parameter [%1]%2, and no value "
                                           "was given for it (--param \"%1=VALUE\")")
                                .arg(name, declaredType.isEmpty()
                                               ? QString()
                                               : QStringLiteral(" (%1)").arg(declaredType)));
        return parameterValue(name, *found, declaredType);
    };
}
