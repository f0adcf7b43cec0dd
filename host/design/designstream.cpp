#include "host/design/designstream.h"

#include "host/vb/errors.h"

#include <QtEndian>

namespace {

// Access nests a page in a tab in an option group at most; a chain of FE
// markers in damaged bytes must not recurse the stack away.
constexpr int maxDepth = 32;

// What a read is for, put into words only when it fails: formatting a
// message for every record cost more than parsing the record.
struct Purpose
{
    const char *text; // with %1 (and %2) for the numbers
    qint64 a = 0, b = 0;
    int width = 0, base = 10;

    QString words() const
    {
        const QString s = QString::fromLatin1(text);
        if (s.contains(QLatin1String("%2")))
            return s.arg(a).arg(b);
        if (s.contains(QLatin1String("%1")))
            return s.arg(a, width, base, QLatin1Char('0'));
        return s;
    }
};

class StreamReader
{
public:
    StreamReader(QByteArrayView bytes, const QString &object)
        : m_bytes(bytes)
        , m_object(object)
    {
    }

    DesignStream read()
    {
        DesignStream stream;
        const Purpose header{"the header"};
        stream.version = u16(header);
        stream.versionRequired = u16(header);
        m_version = stream.version;
        if (u32(header) != 0)
            fail(4, QStringLiteral("the header's reserved word is not zero"));
        if (m_version < 17 || m_version > 0xFF)
            fail(0, QStringLiteral("version %1 is not a design stream this build reads")
                        .arg(m_version));
        stream.root = object(0);
        if (m_at != m_bytes.size())
            fail(
                m_at,
                QStringLiteral("%1 bytes follow the end of the object").arg(m_bytes.size() - m_at));
        return stream;
    }

private:
    QByteArrayView m_bytes;
    const QString &m_object;
    quint16 m_version = 0;
    qsizetype m_at = 0;

    bool wide() const { return m_version >= 20; }

    [[noreturn]] void fail(qsizetype offset, const QString &what) const
    {
        throw HostError(Err::DesignNotReadable, QStringLiteral("%1: %2 design, byte offset %3: %4")
                                                    .arg(m_object, designFormatName(m_version))
                                                    .arg(offset)
                                                    .arg(what));
    }

    void need(qsizetype size, const Purpose &what) const
    {
        if (size < 0 || size > m_bytes.size() - m_at)
            fail(m_at, QStringLiteral("%1 needs %2 bytes, %3 are left")
                           .arg(what.words())
                           .arg(size)
                           .arg(m_bytes.size() - m_at));
    }

    template <typename T> T take(const Purpose &what)
    {
        need(qsizetype(sizeof(T)), what);
        const T value = qFromLittleEndian<T>(m_bytes.data() + m_at);
        m_at += qsizetype(sizeof(T));
        return value;
    }
    quint8 u8(const Purpose &what) { return take<quint8>(what); }
    quint16 u16(const Purpose &what) { return take<quint16>(what); }
    quint32 u32(const Purpose &what) { return take<quint32>(what); }

    QByteArray bytes(qsizetype size, const Purpose &what)
    {
        need(size, what);
        QByteArray out(m_bytes.data() + m_at, size);
        m_at += size;
        return out;
    }

    // The next marker or tag without consuming it.
    quint32 peek(const Purpose &what) const
    {
        const qsizetype size = wide() ? 4 : 1;
        if (size > m_bytes.size() - m_at)
            fail(m_at, QStringLiteral("%1 is cut off").arg(what.words()));
        return wide() ? qFromLittleEndian<quint32>(m_bytes.data() + m_at) : quint8(m_bytes[m_at]);
    }

    DesignNode object(int depth)
    {
        if (depth > maxDepth)
            fail(m_at, QStringLiteral("objects are nested more than %1 deep").arg(maxDepth));
        DesignNode node;
        node.offset = m_at;
        node.type = u16({"an object's type"});
        const Purpose where{"the object of type %1 starting at %2", node.type, node.offset};
        for (;;) {
            const quint32 tag = peek(where);
            if (tag >= 0xFD && tag <= 0xFF) {
                m_at += wide() ? 4 : 1;
                if (tag == 0xFE) {
                    node.children.append(object(depth + 1));
                } else if (tag == 0xFF) {
                    const quint16 count = u16({"a child count"});
                    for (quint16 i = 0; i < count; ++i)
                        node.children.append(object(depth + 1));
                }
                return node;
            }
            node.records.append(wide() ? wideRecord() : compactRecord());
        }
    }

    DesignRecord compactRecord()
    {
        DesignRecord record;
        record.offset = m_at;
        record.tag = u8({"a tag"});
        const Purpose what{"the value of tag 0x%1", record.tag, 0, 2, 16};
        if (record.tag < 0x30) {
            record.kind = DesignRecord::Kind::Flag;
        } else if (record.tag < 0x60) {
            record.kind = DesignRecord::Kind::Byte;
            record.data = bytes(1, what);
        } else if (record.tag < 0x90) {
            record.kind = DesignRecord::Kind::Integer;
            record.data = bytes(2, what);
        } else if (record.tag < 0xBC) {
            record.kind = DesignRecord::Kind::Long;
            record.data = bytes(4, what);
        } else {
            record.kind = DesignRecord::Kind::Bytes;
            qint64 size = u8(what);
            if (size == 0xFF) {
                size = u16(what);
                if (size == 0xFFFF)
                    size = u32(what);
            }
            record.data = bytes(qsizetype(size), what);
        }
        return record;
    }

    DesignRecord wideRecord()
    {
        DesignRecord record;
        record.offset = m_at;
        const Purpose what{"the record at %1", m_at};
        record.tag = u32(what);
        record.globalId = u16(what);
        record.dataType = u32(what);
        u32(what); // x: not needed
        const quint32 size = u32(what);
        if (qint64(size) > m_bytes.size() - m_at)
            fail(record.offset,
                 QStringLiteral("the record of tag 0x%1 declares %2 bytes, %3 are left")
                     .arg(record.tag, 0, 16)
                     .arg(size)
                     .arg(m_bytes.size() - m_at));
        record.data = bytes(qsizetype(size), what);
        const auto expect = [&](std::initializer_list<qsizetype> sizes) {
            for (qsizetype s : sizes)
                if (record.data.size() == s)
                    return;
            fail(record.offset, QStringLiteral("a value of data type %1 cannot be %2 bytes long")
                                    .arg(record.dataType)
                                    .arg(record.data.size()));
        };
        using Kind = DesignRecord::Kind;
        switch (record.dataType) {
        case 1: // newer Booleans carry their value
            record.kind = Kind::Flag;
            expect({0, 1, 2, 4});
            break;
        case 2:
            record.kind = Kind::Byte;
            expect({1, 2, 4});
            break;
        case 3:
            record.kind = Kind::Integer;
            expect({2, 4});
            break;
        case 4:
            record.kind = Kind::Long;
            expect({4});
            break;
        case 6:
            record.kind = Kind::Single;
            expect({4});
            break;
        case 8:
            record.kind = Kind::Double;
            expect({8});
            break;
        case 9:
            record.kind = Kind::Guid;
            break;
        case 10:
        case 12:
            record.kind = Kind::Text;
            break;
        default: // 11 binary, and types not seen yet: the bytes as they are
            record.kind = Kind::Binary;
            break;
        }
        return record;
    }
};

} // namespace

qint64 DesignRecord::number() const
{
    const char *p = data.constData();
    switch (data.size()) {
    case 1:
        return quint8(p[0]);
    case 2:
        return qFromLittleEndian<qint16>(p);
    case 4:
        return qFromLittleEndian<qint32>(p);
    default:
        return 0;
    }
}

DesignStream parseDesignStream(QByteArrayView bytes, const QString &object)
{
    return StreamReader(bytes, object).read();
}

void mergeDesignDelta(DesignNode &blob, const DesignNode &delta)
{
    if (blob.type != delta.type)
        return;
    blob.records.append(delta.records);
    if (blob.children.size() != delta.children.size())
        return;
    for (qsizetype i = 0; i < blob.children.size(); ++i)
        mergeDesignDelta(blob.children[i], delta.children[i]);
}

QString designFormatName(quint16 version)
{
    if (version == 0)
        return QStringLiteral("stored");
    return QStringLiteral("version %1").arg(version);
}
