#include "host/jet/jetprops.h"

#include "host/jet/bytes.h"

#include <QtEndian>

namespace {

Value integerBySize(const char *p, int size, bool isLong)
{
    // Declared types and stored widths disagree (ColumnWidth is typed
    // Integer but stored in four bytes), so the width decides.
    switch (size) {
    case 1:
        return Value::integer(qint16(uchar(*p)));
    case 2:
        return isLong ? Value::longInt(qFromLittleEndian<qint16>(p))
                      : Value::integer(qFromLittleEndian<qint16>(p));
    case 4:
        return Value::longInt(qFromLittleEndian<qint32>(p));
    default:
        return Value::binary(QByteArray(p, size));
    }
}

Value decodeValue(int type, const QByteArray &data, const JetTextDecoder &decode)
{
    const char *p = data.constData();
    const int size = int(data.size());
    switch (type) {
    case 0x01:
        return Value::boolean(size > 0 && *p != 0);
    case 0x02:
    case 0x03:
        return integerBySize(p, size, false);
    case 0x04:
        return integerBySize(p, size, true);
    case 0x05:
        return size == 8 ? Value::currency(qFromLittleEndian<qint64>(p)) : Value::binary(data);
    case 0x06:
        return size == 4 ? Value::single(qFromLittleEndian<float>(p)) : Value::binary(data);
    case 0x07:
        return size == 8 ? Value::dbl(qFromLittleEndian<double>(p)) : Value::binary(data);
    case 0x08:
        return size == 8 ? Value::date(qFromLittleEndian<double>(p)) : Value::binary(data);
    case 0x0A:
    case 0x0C:
        return Value(decode(p, size));
    default:
        return Value::binary(data);
    }
}

} // namespace

QList<JetPropertyBlock> parsePropertyBlob(const QByteArray &blob, const JetTextDecoder &decode,
                                          bool *damaged)
{
    QList<JetPropertyBlock> blocks;
    // A fault inside a chunk ends that chunk; a chunk whose length is wrong
    // ends the blob, since the next one cannot be found.
    bool faulty = false;
    const auto finish = [&] {
        if (damaged)
            *damaged = faulty;
        return blocks;
    };
    if (blob.isEmpty())
        return finish();
    if (blob.size() < 4 || (!blob.startsWith(QByteArrayLiteral("KKD\0")) &&
                            !blob.startsWith(QByteArrayLiteral("MR2\0")))) {
        faulty = true;
        return finish();
    }
    QStringList names;
    qsizetype pos = 4;
    while (pos + 6 <= blob.size()) {
        const quint32 chunkLength = le32(blob, pos);
        const quint16 chunkType = le16(blob, pos + 4);
        if (chunkLength < 6 || chunkLength > quint64(blob.size() - pos)) {
            faulty = true;
            break;
        }
        const qsizetype end = pos + chunkLength;
        qsizetype at = pos + 6;
        if (chunkType == 0x80) {
            while (at + 2 <= end) {
                const int length = le16(blob, at);
                if (at + 2 + length > end) {
                    faulty = true;
                    break;
                }
                names.append(decode(blob.constData() + at + 2, length));
                at += 2 + length;
            }
        } else if (chunkType <= 0x02) {
            if (at + 6 > end) {
                faulty = true;
                break;
            }
            const quint32 headerLength = le32(blob, at);
            const int nameLength = le16(blob, at + 4);
            if (headerLength < 6 || at + 6 + nameLength > end || headerLength > quint64(end - at)) {
                faulty = true;
                break;
            }
            JetPropertyBlock block;
            block.name = decode(blob.constData() + at + 6, nameLength);
            block.properties = Properties(Properties::Owner::Dao, block.name);
            at += headerLength;
            while (at + 8 <= end) {
                const int entryLength = le16(blob, at);
                const int type = uchar(blob.at(at + 3));
                const int nameIndex = le16(blob, at + 4);
                const int dataLength = le16(blob, at + 6);
                if (entryLength < 8 || at + entryLength > end || 8 + dataLength > entryLength) {
                    faulty = true;
                    break;
                }
                if (nameIndex < names.size())
                    block.properties.append(
                        names[nameIndex], decodeValue(type, blob.mid(at + 8, dataLength), decode));
                at += entryLength;
            }
            blocks.append(block);
        }
        pos = end;
    }
    if (pos < blob.size())
        faulty = true; // a chunk cut short
    return finish();
}

Properties propertyBlock(const QList<JetPropertyBlock> &blocks, const QString &name,
                         const QString &ownerName)
{
    const JetPropertyBlock *found = nullptr;
    for (const JetPropertyBlock &b : blocks)
        if (b.name == name) {
            found = &b;
            break;
        }
    if (!found && !name.isEmpty())
        for (const JetPropertyBlock &b : blocks)
            if (b.name.compare(name, Qt::CaseInsensitive) == 0) {
                found = &b;
                break;
            }
    Properties props = found ? found->properties : Properties(Properties::Owner::Dao);
    props.setOwnerName(ownerName);
    return props;
}
