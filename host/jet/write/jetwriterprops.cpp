// Property blobs (MSysObjects.LvProp) of the Jet writer: "MR2\0" (Jet 3 "KKD\0"), the
// name list, the object's own block and one block per column.

#include "host/jet/write/jetwriterpages.h"

#include <QHash>
#include <QtEndian>

namespace jetw {

namespace {

struct PropertyType
{
    int jetType;
    bool ddl; // an engine property rather than one of Access's
};

// The types Access gives the common properties.
PropertyType defaultType(const QString &name, const Value &v)
{
    static const QHash<QString, PropertyType> known = {
        {QStringLiteral("Description"), {JetType::Memo, false}},
        {QStringLiteral("Caption"), {JetType::Memo, false}},
        {QStringLiteral("DefaultValue"), {JetType::Memo, true}},
        {QStringLiteral("ValidationRule"), {JetType::Text, true}},
        {QStringLiteral("ValidationText"), {JetType::Text, true}},
        {QStringLiteral("Format"), {JetType::Text, true}},
        {QStringLiteral("InputMask"), {JetType::Text, true}},
        {QStringLiteral("Required"), {JetType::Boolean, true}},
        {QStringLiteral("AllowZeroLength"), {JetType::Boolean, true}},
        {QStringLiteral("DecimalPlaces"), {JetType::Byte, true}},
        {QStringLiteral("DisplayControl"), {JetType::Integer, false}},
        {QStringLiteral("AccessVersion"), {JetType::Text, false}},
        {QStringLiteral("Build"), {JetType::Long, false}},
    };
    if (auto it = known.find(name); it != known.end())
        return *it;
    switch (v.type()) {
    case Value::Type::Boolean:
        return {JetType::Boolean, false};
    case Value::Type::Integer:
        return {JetType::Integer, false};
    case Value::Type::Long:
        return {JetType::Long, false};
    case Value::Type::Single:
        return {JetType::Single, false};
    case Value::Type::Double:
        return {JetType::Double, false};
    case Value::Type::Currency:
        return {JetType::Currency, false};
    case Value::Type::Date:
        return {JetType::DateTime, false};
    case Value::Type::Binary:
        return {JetType::Binary, false};
    default:
        return {JetType::Text, false};
    }
}

QByteArray encodeValue(const JetWriterProperty &p, int jetType)
{
    QByteArray out;
    const auto number = [&]() {
        return p.value.isText() ? p.value.asText().toDouble() : p.value.toDouble();
    };
    switch (jetType) {
    case JetType::Boolean: {
        bool on = false;
        if (p.value.type() == Value::Type::Boolean)
            on = p.value.asBoolean();
        else if (p.value.isText())
            on = p.value.asText().compare(u"true", Qt::CaseInsensitive) == 0 ||
                 p.value.asText().compare(u"yes", Qt::CaseInsensitive) == 0;
        else
            on = number() != 0;
        out.append(char(on ? 0xFF : 0x00));
        break;
    }
    case JetType::Byte:
        out.append(char(qint32(number())));
        break;
    case JetType::Integer:
        append16(out, quint16(qint16(number())));
        break;
    case JetType::Long:
        append32(out, quint32(qint32(number())));
        break;
    case JetType::Single:
        out.resize(4);
        qToLittleEndian(float(number()), out.data());
        break;
    case JetType::Double:
    case JetType::DateTime:
        out.resize(8);
        qToLittleEndian(p.value.type() == Value::Type::Date ? p.value.asOleDate() : number(),
                        out.data());
        break;
    case JetType::Currency:
        out.resize(8);
        qToLittleEndian(p.value.type() == Value::Type::Currency ? p.value.asCurrencyUnits()
                                                                : qint64(number() * 10000.0),
                        out.data());
        break;
    case JetType::Binary:
    case JetType::Ole:
        out = p.value.type() == Value::Type::Binary ? p.value.asBinary() : QByteArray();
        break;
    default: // Text, Memo
        out = fmt().text(p.value.isText() ? p.value.asText() : QString::number(number(), 'g', 15),
                         QStringLiteral("the property %1").arg(p.name));
        break;
    }
    return out;
}

QByteArray chunk(quint16 type, const QByteArray &body)
{
    QByteArray out;
    append32(out, quint32(6 + body.size()));
    append16(out, type);
    return out + body;
}

} // namespace

QByteArray propertyBlob(const QList<JetWriterProperty> &own,
                        const QList<QPair<QString, QList<JetWriterProperty>>> &columns)
{
    QStringList names;
    const auto nameIndex = [&](const QString &name) {
        qsizetype i = names.indexOf(name);
        if (i < 0) {
            names.append(name);
            i = names.size() - 1;
        }
        return quint16(i);
    };
    const auto block = [&](quint16 type, const QString &blockName,
                           const QList<JetWriterProperty> &props) {
        const QByteArray nameBytes = fmt().text(blockName);
        QByteArray body;
        append32(body, quint32(6 + nameBytes.size()));
        append16(body, quint16(nameBytes.size()));
        body += nameBytes;
        for (const JetWriterProperty &p : props) {
            PropertyType t = defaultType(p.name, p.value);
            if (p.jetType)
                t.jetType = p.jetType;
            const QByteArray data = encodeValue(p, t.jetType);
            append16(body, quint16(8 + data.size()));
            body.append(char(t.ddl ? 1 : 0)).append(char(t.jetType));
            append16(body, nameIndex(p.name));
            append16(body, quint16(data.size()));
            body += data;
        }
        return chunk(type, body);
    };
    QByteArray blocks = block(0x0000, QString(), own);
    for (const auto &[column, props] : columns)
        if (!props.isEmpty())
            blocks += block(0x0001, column, props);
    QByteArray nameList;
    for (const QString &n : names) {
        const QByteArray bytes = fmt().text(n);
        append16(nameList, quint16(bytes.size()));
        nameList += bytes;
    }
    return QByteArray(fmt().jet3 ? "KKD\0" : "MR2\0", 4) + chunk(0x0080, nameList) + blocks;
}

} // namespace jetw
