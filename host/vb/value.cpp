#include "host/vb/value.h"

#include "host/vb/errors.h"

const char *Value::typeName(Type type)
{
    static const char *const names[] = {"Empty", "Null",   "Boolean", "Integer",
                                        "Long",  "Single", "Double",  "Currency",
                                        "Date",  "String", "Byte()"};
    return names[int(type)];
}

template <typename T> const T &Value::get(Type expected) const
{
    if (const T *p = std::get_if<T>(&m_data))
        return *p;
    throw HostError(Err::TypeMismatch,
                    QStringLiteral("Type mismatch: %1 where %2 was expected")
                        .arg(QLatin1String(typeName(type())), QLatin1String(typeName(expected))));
}

bool Value::isNumeric() const
{
    switch (type()) {
    case Type::Boolean:
    case Type::Integer:
    case Type::Long:
    case Type::Single:
    case Type::Double:
    case Type::Currency:
    case Type::Date:
        return true;
    default:
        return false;
    }
}

bool Value::asBoolean() const
{
    return get<bool>(Type::Boolean);
}
qint16 Value::asInteger() const
{
    return get<qint16>(Type::Integer);
}
qint32 Value::asLong() const
{
    return get<qint32>(Type::Long);
}
float Value::asSingle() const
{
    return get<float>(Type::Single);
}
double Value::asDouble() const
{
    return get<double>(Type::Double);
}
qint64 Value::asCurrencyUnits() const
{
    return get<CurrencyUnits>(Type::Currency).units;
}
double Value::asOleDate() const
{
    return get<OleDate>(Type::Date).days;
}
const QString &Value::asText() const
{
    return get<QString>(Type::Text);
}
const QByteArray &Value::asBinary() const
{
    return get<QByteArray>(Type::Binary);
}

double Value::toDouble() const
{
    switch (type()) {
    case Type::Empty:
        return 0;
    case Type::Null:
        throw HostError(Err::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
    case Type::Boolean:
        return asBoolean() ? -1 : 0;
    case Type::Integer:
        return asInteger();
    case Type::Long:
        return asLong();
    case Type::Single:
        return asSingle();
    case Type::Double:
        return asDouble();
    case Type::Currency:
        return double(asCurrencyUnits()) / 10000.0;
    case Type::Date:
        return asOleDate();
    case Type::Text:
    case Type::Binary:
        break;
    }
    throw HostError(
        Err::TypeMismatch,
        QStringLiteral("Type mismatch: %1 is not a number").arg(QLatin1String(typeName(type()))));
}
