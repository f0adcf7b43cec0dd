// The key encoder: fixed-size values big-endian with their order made
// bytewise, Text through the General sort order's tables (jetindextext.cpp).

#include "host/jet/write/jetindexkey.h"

#include "host/jet/write/jetindextext.h"
#include "host/jet/write/jetwriter.h"

#include <QtEndian>

namespace {

constexpr quint8 ascendingStart = 0x7F, descendingStart = 0x80;
constexpr quint8 ascendingNull = 0x00, descendingNull = 0xFF;

// The Value type a column of `type` holds; Empty for the types not keyed.
Value::Type valueTypeOf(int type)
{
    switch (type) {
    case JetType::Boolean:
        return Value::Type::Boolean;
    case JetType::Byte:
    case JetType::Integer:
        return Value::Type::Integer;
    case JetType::Long:
        return Value::Type::Long;
    case JetType::Currency:
        return Value::Type::Currency;
    case JetType::Single:
        return Value::Type::Single;
    case JetType::Double:
        return Value::Type::Double;
    case JetType::DateTime:
        return Value::Type::Date;
    case JetType::Text:
        return Value::Type::Text;
    }
    return Value::Type::Empty;
}

// A fixed-size value big-endian, changed so that its bytes sort as the
// values do: integers get their sign bit flipped; floating-point values
// (dates are doubles) too when positive, all bits inverted when negative.
QByteArray sortableBytes(int type, const Value &v)
{
    QByteArray bytes;
    const auto bigEndian = [&bytes](auto value) {
        bytes.resize(sizeof value);
        qToBigEndian(value, bytes.data());
    };
    switch (type) {
    case JetType::Byte:
        return QByteArray(1, char(quint8(v.asInteger())));
    case JetType::Integer:
        bigEndian(qint16(v.asInteger()));
        break;
    case JetType::Long:
        bigEndian(v.asLong());
        break;
    case JetType::Currency:
        bigEndian(v.asCurrencyUnits());
        break;
    case JetType::Single:
        bigEndian(v.asSingle());
        break;
    case JetType::Double:
        bigEndian(v.asDouble());
        break;
    default: // DateTime
        bigEndian(v.asOleDate());
        break;
    }
    const bool floating =
        type == JetType::Single || type == JetType::Double || type == JetType::DateTime;
    if (floating && (quint8(bytes[0]) & 0x80)) {
        for (char &b : bytes)
            b = char(~b);
    } else {
        bytes[0] = char(bytes[0] ^ 0x80);
    }
    return bytes;
}

JetIndexKey uncertain(const QString &why)
{
    JetIndexKey key;
    key.uncertainty = why;
    return key;
}

} // namespace

QString jetKeyColumnUncovered(const JetKeyColumn &c)
{
    if (valueTypeOf(c.type) == Value::Type::Empty)
        return QStringLiteral("columns of type %1 (memo, OLE, binary, GUID, Decimal ...) are not "
                              "keyed here")
            .arg(c.type);
    // Text keys follow the sort order's collation; only General's is known.
    if (c.type == JetType::Text && (c.sortOrder != 0x0409 || c.sortVersion != 0))
        return QStringLiteral("text cannot be keyed under sort order 0x%1%2, only under General "
                              "(0x0409)")
            .arg(c.sortOrder, 4, 16, QLatin1Char('0'))
            .arg(c.sortVersion ? QStringLiteral(" version %1").arg(c.sortVersion) : QString());
    return QString();
}

JetIndexKey jetIndexKey(bool jet3, const QList<JetKeyColumn> &columns, const QList<Value> &values)
{
    if (values.size() != columns.size())
        return uncertain(
            QStringLiteral("%1 values for %2 key columns").arg(values.size()).arg(columns.size()));
    JetIndexKey out;
    QByteArray &key = out.bytes;
    for (qsizetype k = 0; k < columns.size(); ++k) {
        const JetKeyColumn &c = columns[k];
        const Value &v = values[k];
        if (const QString why = jetKeyColumnUncovered(c); !why.isEmpty())
            return uncertain(why);
        if (!v.isNull() && v.type() != valueTypeOf(c.type))
            return uncertain(QStringLiteral("a %1 value for a column of type %2")
                                 .arg(QString::fromLatin1(Value::typeName(v.type())))
                                 .arg(c.type));
        const bool descending = c.descending;
        if (c.type == JetType::Boolean) { // never NULL: yes sorts first
            const bool yes = !v.isNull() && v.asBoolean();
            key.append(char(descending ? descendingStart : ascendingStart));
            key.append(char(yes != descending ? 0x00 : 0xFF));
            continue;
        }
        if (v.isNull()) {
            key.append(char(descending ? descendingNull : ascendingNull));
            continue;
        }
        if (c.type == JetType::Text) {
            key.append(char(descending ? descendingStart : ascendingStart));
            qsizetype bad = -1;
            const QString &text = v.asText();
            if (!jetw::textIndexKey(text, descending, jet3, c.codePage, key, &bad))
                return uncertain(QStringLiteral("the text key \"%1\" holds %2 (U+%3), which the "
                                                "General sort order's tables here do not cover")
                                     .arg(text, text.mid(bad, 1))
                                     .arg(text[bad].unicode(), 4, 16, QLatin1Char('0')));
            continue;
        }
        QByteArray bytes = sortableBytes(c.type, v);
        if (descending)
            for (char &b : bytes)
                b = char(~b);
        key.append(char(descending ? descendingStart : ascendingStart));
        key += bytes;
    }
    out.certain = true;
    return out;
}
