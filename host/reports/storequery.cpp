#include "host/reports/storequery.h"

#include "host/store/storedates.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

#include <QSqlError>

QSqlQuery storeQuery(QSqlDatabase &store, const QString &sql)
{
    QSqlQuery query(store);
    query.setForwardOnly(true); // reports stream their rows
    if (!query.exec(sql))
        throw HostError(Err::StoreUnusable,
                        QStringLiteral("The documentation store cannot be read (%1): %2")
                            .arg(sql, query.lastError().text()));
    return query;
}

QString displayText(const QVariant &value, bool boolean)
{
    if (value.isNull())
        return QString();
    if (boolean)
        return value.toInt() != 0 ? QStringLiteral("はい") : QStringLiteral("いいえ");
    if (value.typeId() == QMetaType::Double)
        return vb::CStr(Value::dbl(value.toDouble()));
    return value.toString();
}

QString dateText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    const auto ole = oleDateOfStored(value.toString());
    return vb::CStr(Value::date(ole ? *ole : value.toDouble()));
}
