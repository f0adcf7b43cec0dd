#include "export/excelcells.h"

#include "export/valuetext.h"

#include <cmath>

std::optional<double> excelSerial(double oleDate)
{
    if (oleDate >= 61)
        return oleDate;
    if (oleDate >= 2)
        return oleDate - 1;
    if (oleDate >= 0 && oleDate < 1)
        return oleDate; // a time of day alone
    return std::nullopt;
}

bool hasTimeOfDay(double oleDate)
{
    const double fraction = std::fabs(oleDate - std::trunc(oleDate));
    const qint64 seconds = std::llround(fraction * 86400.0);
    return seconds != 0 && seconds != 86400;
}

Cell cellOf(const Value &value)
{
    Cell cell;
    switch (value.type()) {
    case Value::Type::Empty:
    case Value::Type::Null:
    case Value::Type::Binary:
        break;
    case Value::Type::Boolean:
        cell.kind = CellKind::Boolean;
        cell.boolean = value.asBoolean();
        break;
    case Value::Type::Integer:
        cell.kind = CellKind::Integer;
        cell.number = value.asInteger();
        break;
    case Value::Type::Long:
        cell.kind = CellKind::Integer;
        cell.number = value.asLong();
        break;
    case Value::Type::Single:
        cell.kind = CellKind::Number;
        cell.number = QString::number(value.asSingle(), 'g', 7).toDouble();
        break;
    case Value::Type::Double:
        cell.kind = CellKind::Number;
        cell.number = value.asDouble();
        break;
    case Value::Type::Currency:
        cell.kind = CellKind::Number;
        cell.number = double(value.asCurrencyUnits()) / 10000.0;
        break;
    case Value::Type::Date: {
        const double ole = value.asOleDate();
        if (const std::optional<double> serial = excelSerial(ole)) {
            cell.kind = hasTimeOfDay(ole) ? CellKind::DateTime : CellKind::Date;
            cell.number = *serial;
        } else {
            cell.kind = CellKind::Text;
            cell.text = generalDateText(ole);
        }
        break;
    }
    case Value::Type::Text: {
        cell.kind = CellKind::Text;
        const QString &text = value.asText();
        qsizetype cut = qMin(text.size(), CellTextLimit);
        if (cut < text.size() && text[cut - 1].isHighSurrogate())
            --cut;
        cell.text = cut < text.size() ? text.left(cut) : text;
        break;
    }
    }
    return cell;
}
