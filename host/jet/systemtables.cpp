#include "host/jet/systemtables.h"

#include "host/vb/errors.h"

#include <QHash>
#include <QtEndian>

std::optional<JetTableReader> readSystemTable(JetSource &source, const QString &name)
{
    try {
        return source.readTable(name);
    } catch (const HostError &e) {
        if (e.number() == Err::ObjectNotFound)
            return std::nullopt;
        throw;
    }
}

qint64 integerOf(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Integer:
        return v.asInteger();
    case Value::Type::Long:
        return v.asLong();
    default:
        return -1;
    }
}

QByteArray binaryOf(const Value &v)
{
    return v.type() == Value::Type::Binary ? v.asBinary() : QByteArray();
}

QByteArray assembleAccessObjects(JetTableReader &table, int id, int data)
{
    QHash<qint64, QByteArray> chunks;
    qint64 highest = 0;
    qsizetype chunkSize = 0;
    while (table.next()) {
        const qint64 n = integerOf(table.value(id));
        if (n < 0 || n > 1000000 || chunks.contains(n))
            continue;
        chunks.insert(n, binaryOf(table.value(data)));
        if (n > 0) {
            highest = qMax(highest, n);
            chunkSize = qMax(chunkSize, chunks[n].size());
        }
    }
    if (chunks.isEmpty() || chunkSize == 0)
        return QByteArray();
    qint64 total = highest * chunkSize;
    const QByteArray header = chunks.value(0);
    if (header.size() >= 8)
        total = qMax<qint64>(total, qFromLittleEndian<quint32>(header.constData() + 4));
    total = qMin<qint64>(total, (highest + 4) * chunkSize);
    QByteArray file(qsizetype(total), '\0');
    for (auto it = chunks.cbegin(); it != chunks.cend(); ++it) {
        if (it.key() == 0)
            continue;
        const qint64 at = (it.key() - 1) * chunkSize;
        const qint64 n = qMin<qint64>(it.value().size(), total - at);
        if (n > 0)
            memcpy(file.data() + at, it.value().constData(), size_t(n));
    }
    return file;
}
