#include "host/query/querytypes.h"

#include "host/objects/dao.h"

QType typeOfDao(qint16 daoType)
{
    switch (daoType) {
    case DaoType::Boolean:
        return QType::Boolean;
    case DaoType::Byte:
    case DaoType::Integer:
        return QType::Integer;
    case DaoType::Long:
        return QType::Long;
    case DaoType::Currency:
        return QType::Currency;
    case DaoType::Single:
        return QType::Single;
    case DaoType::Double:
    case DaoType::Decimal:
    case DaoType::Numeric:
    case DaoType::Float:
    case DaoType::BigInt:
        return QType::Double;
    case DaoType::Date:
    case DaoType::Time:
    case DaoType::TimeStamp:
        return QType::Date;
    case DaoType::Text:
    case DaoType::Memo:
    case DaoType::Char:
    case DaoType::Guid:
    case DaoType::ComplexText:
        return QType::Text;
    case DaoType::Binary:
    case DaoType::LongBinary:
    case DaoType::VarBinary:
        return QType::Binary;
    default:
        return QType::Unknown;
    }
}

QType typeOfDeclaration(const QString &declared)
{
    const QString t = declared.toLower();
    if (t == QLatin1String("datetime") || t == QLatin1String("date") || t == QLatin1String("time"))
        return QType::Date;
    if (t == QLatin1String("text") || t == QLatin1String("memo") || t == QLatin1String("char") ||
        t == QLatin1String("varchar") || t == QLatin1String("string"))
        return QType::Text;
    if (t == QLatin1String("long") || t == QLatin1String("integer") || t == QLatin1String("int"))
        return QType::Long;
    if (t == QLatin1String("short") || t == QLatin1String("smallint") || t == QLatin1String("byte"))
        return QType::Integer;
    if (t == QLatin1String("currency") || t == QLatin1String("money"))
        return QType::Currency;
    if (t == QLatin1String("ieeesingle") || t == QLatin1String("single") ||
        t == QLatin1String("real"))
        return QType::Single;
    if (t == QLatin1String("ieeedouble") || t == QLatin1String("double") ||
        t == QLatin1String("float") || t == QLatin1String("number") ||
        t == QLatin1String("decimal"))
        return QType::Double;
    if (t == QLatin1String("bit") || t == QLatin1String("yesno") || t == QLatin1String("logical") ||
        t == QLatin1String("boolean"))
        return QType::Boolean;
    if (t == QLatin1String("binary") || t == QLatin1String("longbinary"))
        return QType::Binary;
    return QType::Unknown;
}

QType widerNumeric(QType a, QType b)
{
    auto rank = [](QType t) {
        switch (t) {
        case QType::Boolean:
        case QType::Integer:
            return 1;
        case QType::Long:
            return 2;
        case QType::Currency:
            return 3;
        case QType::Single:
            return 4;
        default:
            return 5;
        }
    };
    const int r = std::max(rank(a), rank(b));
    if ((a == QType::Currency && rank(b) > 3) || (b == QType::Currency && rank(a) > 3))
        return QType::Double;
    switch (r) {
    case 1:
        return QType::Integer;
    case 2:
        return QType::Long;
    case 3:
        return QType::Currency;
    case 4:
        return QType::Single;
    default:
        return QType::Double;
    }
}
