#include "host/jet/vbaformat.h"

#include "host/jet/bytes.h"
#include "host/vb/errors.h"

#include <QRegularExpression>
#include <QSet>
#include <QtEndian>
#include <iconv.h>

namespace {

[[noreturn]] void malformed(const QString &what)
{
    throw HostError(Err::DesignNotReadable,
                    QStringLiteral("The VBA project is damaged: %1.").arg(what));
}

// Not inlined: GCC's -O3 bounds check, once these are inlined, takes an
// empty QByteArray's one-byte buffer for the one read here and fails the build.
[[gnu::noinline]] quint16 u16At(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        malformed(QStringLiteral("a value lies past the end of its data"));
    return le16(b, at);
}

[[gnu::noinline]] quint32 u32At(const QByteArray &b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        malformed(QStringLiteral("a value lies past the end of its data"));
    return le32(b, at);
}

QString utf16(const QByteArray &b)
{
    QString s = QString::fromUtf16(reinterpret_cast<const char16_t *>(b.constData()), b.size() / 2);
    const qsizetype nul = s.indexOf(QChar(0));
    return nul < 0 ? s : s.left(nul);
}

// iconv into UTF-8; an invalid byte becomes U+FFFD and decoding goes on.
bool iconvDecode(const QByteArray &bytes, const QByteArray &charset, QString &out)
{
    iconv_t cd = iconv_open("UTF-8", charset.constData());
    if (cd == iconv_t(-1))
        return false;
    QByteArray result;
    QByteArray buffer(4096, Qt::Uninitialized);
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    while (inLeft > 0) {
        char *o = buffer.data();
        size_t oLeft = size_t(buffer.size());
        const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        result.append(buffer.constData(), buffer.size() - qsizetype(oLeft));
        if (r == size_t(-1) && errno != E2BIG) {
            result.append("\xEF\xBF\xBD");
            ++in; // skip the byte that cannot be decoded (or the cut-off tail)
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    out = QString::fromUtf8(result);
    return true;
}

} // namespace

QByteArray ovbaDecompress(const QByteArray &data, qsizetype start)
{
    if (start < 0 || start >= data.size() || data[start] != 1)
        malformed(QStringLiteral("a compressed container lacks its signature"));
    QByteArray out;
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const qsizetype end = data.size();
    qsizetype pos = start + 1;
    while (pos + 2 <= end) {
        const quint16 header = qFromLittleEndian<quint16>(bytes + pos);
        if (((header >> 12) & 7) != 3)
            malformed(QStringLiteral("a compressed chunk has a bad signature"));
        const qsizetype chunkEnd = qMin(end, pos + (header & 0x0FFF) + 3);
        qsizetype p = pos + 2;
        const qsizetype chunkStart = out.size();
        if (!(header & 0x8000)) {
            const qsizetype n = qMin<qsizetype>(4096, end - p);
            out.append(data.constData() + p, n);
            pos = p + n;
            continue;
        }
        while (p < chunkEnd) {
            const uchar flags = bytes[p++];
            // A chunk ends where its header says, even inside a flag byte.
            for (int bit = 0; bit < 8 && p < chunkEnd; ++bit) {
                if (!(flags & (1 << bit))) {
                    out.append(char(bytes[p++]));
                    continue;
                }
                if (p + 2 > chunkEnd) {
                    p = chunkEnd;
                    break;
                }
                const quint16 token = qFromLittleEndian<quint16>(bytes + p);
                p += 2;
                const qsizetype d = out.size() - chunkStart;
                int b = 4;
                while (b < 12 && (qsizetype(1) << b) < d)
                    ++b;
                const qsizetype offset = (token >> (16 - b)) + 1;
                const qsizetype length = (token & (0xFFFF >> b)) + 3;
                if (offset > d)
                    malformed(QStringLiteral("a copy token reaches before its chunk"));
                for (qsizetype i = 0; i < length; ++i)
                    out.append(out[out.size() - offset]);
            }
        }
        pos = chunkEnd;
    }
    return out;
}

VbaDir parseDirStream(const QByteArray &dir)
{
    VbaDir result;
    VbaDirModule *module = nullptr;
    qsizetype p = 0;
    while (p + 6 <= dir.size()) {
        const quint16 id = u16At(dir, p);
        const quint32 size = u32At(dir, p + 2);
        if (id == 0x0009) { // PROJECTVERSION: its size field is followed by 6 bytes
            p += 12;
            continue;
        }
        if (qint64(size) > dir.size() - (p + 6))
            malformed(QStringLiteral("a record of the dir stream runs past its end"));
        const QByteArray data = dir.mid(p + 6, size);
        p += 6 + qsizetype(size);
        switch (id) {
        case 0x0003:
            result.codePage = u16At(data, 0);
            break;
        case 0x0019:
            result.modules.append(VbaDirModule{});
            module = &result.modules.last();
            module->name = data;
            break;
        case 0x0010:
            return result;
        default:
            if (!module)
                break;
            switch (id) {
            case 0x0047:
                module->unicodeName = utf16(data);
                break;
            case 0x001A:
                module->streamName = data;
                break;
            case 0x0032:
                module->unicodeStream = utf16(data);
                break;
            case 0x0031:
                module->offset = u32At(data, 0);
                break;
            case 0x0021:
                module->procedural = true;
                break;
            case 0x0022:
                module->procedural = false;
                break;
            case 0x002B:
                module = nullptr;
                break;
            }
        }
    }
    return result;
}

QString decodeCodePage(const QByteArray &bytes, quint16 codePage, const QString &fallbackCharset)
{
    QString out;
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    if (codePage != 0 && iconvDecode(bytes, "CP" + QByteArray::number(codePage), out))
        return out;
    if (!fallbackCharset.isEmpty() && iconvDecode(bytes, fallbackCharset.toLatin1(), out))
        return out;
    if (iconvDecode(bytes, "CP1252", out))
        return out;
    return QString::fromLatin1(bytes);
}

QHash<QString, ModuleText::Kind> parseProjectStream(const QString &text)
{
    QHash<QString, ModuleText::Kind> kinds;
    for (const QString &raw : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'['))
            break;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        QString value = line.mid(eq + 1).trimmed();
        if (key.compare(u"Module", Qt::CaseInsensitive) == 0) {
            kinds.insert(value, ModuleText::Kind::Standard);
        } else if (key.compare(u"Class", Qt::CaseInsensitive) == 0) {
            kinds.insert(value, ModuleText::Kind::Class);
        } else if (key.compare(u"DocClass", Qt::CaseInsensitive) == 0 ||
                   key.compare(u"Document", Qt::CaseInsensitive) == 0) {
            const qsizetype slash = value.lastIndexOf(u'/');
            kinds.insert(slash < 0 ? value : value.left(slash), ModuleText::Kind::Document);
        }
    }
    return kinds;
}

CompoundFile::CompoundFile(const QByteArray &bytes)
    : m_bytes(bytes)
{
    static const char signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
    if (bytes.size() < 512 || !bytes.startsWith(QByteArray(signature, 8)))
        malformed(QStringLiteral("the project storage is no compound file"));
    const quint16 sectorShift = u16At(bytes, 0x1E);
    const quint16 miniShift = u16At(bytes, 0x20);
    if ((sectorShift != 9 && sectorShift != 12) || miniShift != 6)
        malformed(QStringLiteral("the compound file has an unknown sector size"));
    m_sectorSize = 1 << sectorShift;
    m_miniSectorSize = 1 << miniShift;
    m_miniCutoff = u32At(bytes, 0x38);
    const qsizetype sectors =
        (bytes.size() - 1) / m_sectorSize; // header excluded, last may be short
    m_bytes.append(QByteArray((sectors + 1) * m_sectorSize - bytes.size(), '\0'));

    const auto sectorOffset = [&](quint32 s) -> qsizetype {
        if (qsizetype(s) >= sectors)
            malformed(QStringLiteral("a sector number lies past the end of the compound file"));
        return (qsizetype(s) + 1) * m_sectorSize;
    };

    // The FAT's sectors: 109 in the header, the rest in a DIFAT chain.
    QList<quint32> fatSectors;
    for (int i = 0; i < 109; ++i)
        fatSectors << u32At(m_bytes, 0x4C + 4 * i);
    quint32 difat = u32At(m_bytes, 0x44);
    for (qsizetype steps = 0; difat < 0xFFFFFFFA; ++steps) {
        if (steps > sectors)
            malformed(QStringLiteral("the compound file's DIFAT chain loops"));
        const qsizetype at = sectorOffset(difat);
        const int perSector = m_sectorSize / 4 - 1;
        for (int i = 0; i < perSector; ++i)
            fatSectors << u32At(m_bytes, at + 4 * i);
        difat = u32At(m_bytes, at + 4 * perSector);
    }
    for (const quint32 s : fatSectors) {
        if (s >= 0xFFFFFFFA)
            continue;
        const qsizetype at = sectorOffset(s);
        for (int i = 0; i < m_sectorSize / 4; ++i)
            m_fat << u32At(m_bytes, at + 4 * i);
    }

    const QByteArray directory = sectorChain(u32At(m_bytes, 0x30), ~quint64(0));
    for (qsizetype at = 0; at + 128 <= directory.size(); at += 128) {
        Entry e;
        const quint16 nameBytes = qMin<quint16>(64, u16At(directory, at + 0x40));
        e.name = utf16(directory.mid(at, nameBytes));
        e.type = uchar(directory[at + 0x42]);
        e.left = u32At(directory, at + 0x44);
        e.right = u32At(directory, at + 0x48);
        e.child = u32At(directory, at + 0x4C);
        e.start = u32At(directory, at + 0x74);
        e.size = m_sectorSize == 512
                     ? u32At(directory, at + 0x78)
                     : qFromLittleEndian<quint64>(directory.constData() + at + 0x78);
        m_entries << e;
    }
    if (m_entries.isEmpty() || m_entries[0].type != 5)
        malformed(QStringLiteral("the compound file has no root entry"));

    const QByteArray miniFat = sectorChain(u32At(m_bytes, 0x3C), ~quint64(0));
    for (qsizetype at = 0; at + 4 <= miniFat.size(); at += 4)
        m_miniFat << u32At(miniFat, at);
    m_miniStream = sectorChain(m_entries[0].start, m_entries[0].size);
}

QByteArray CompoundFile::chain(const QList<quint32> &table, quint32 start, quint64 size, int unit,
                               const QByteArray &area, qsizetype areaOffset) const
{
    QByteArray out;
    QList<bool> visited(table.size(), false);
    for (quint32 s = start; s < 0xFFFFFFFA && quint64(out.size()) < size; s = table[s]) {
        const qsizetype at = areaOffset + qsizetype(s) * unit;
        if (qsizetype(s) >= table.size() || at + unit > area.size())
            malformed(QStringLiteral("a sector chain leaves the compound file"));
        if (visited[s])
            malformed(QStringLiteral("a sector chain loops"));
        visited[s] = true;
        out.append(area.constData() + at, unit);
    }
    if (size != ~quint64(0)) {
        if (quint64(out.size()) < size)
            malformed(QStringLiteral("a stream is shorter than its directory entry says"));
        out.truncate(qsizetype(size));
    }
    return out;
}

QByteArray CompoundFile::sectorChain(quint32 start, quint64 size) const
{
    return chain(m_fat, start, size, m_sectorSize, m_bytes, m_sectorSize);
}

int CompoundFile::findEntry(const QStringList &path) const
{
    int current = 0;
    for (const QString &name : path) {
        QList<quint32> pending{m_entries[current].child};
        QSet<quint32> seen;
        int found = -1;
        while (!pending.isEmpty() && found < 0) {
            const quint32 i = pending.takeLast();
            if (i >= quint32(m_entries.size()) || seen.contains(i))
                continue;
            seen.insert(i);
            const Entry &e = m_entries[int(i)];
            if (e.name.compare(name, Qt::CaseInsensitive) == 0)
                found = int(i);
            pending << e.left << e.right;
        }
        if (found < 0)
            return -1;
        current = found;
    }
    return current;
}

bool CompoundFile::hasEntry(const QStringList &path) const
{
    return findEntry(path) >= 0;
}

QByteArray CompoundFile::stream(const QStringList &path) const
{
    const int i = findEntry(path);
    if (i < 0 || m_entries[i].type != 2)
        malformed(QStringLiteral("the stream %1 is missing").arg(path.join(u'/')));
    const Entry &e = m_entries[i];
    if (e.size < m_miniCutoff)
        return chain(m_miniFat, e.start, e.size, m_miniSectorSize, m_miniStream, 0);
    return sectorChain(e.start, e.size);
}

QHash<QString, QByteArray> parseModuleBundle(const QByteArray &blob)
{
    QHash<QString, QByteArray> streams;
    if (blob.isEmpty())
        return streams;
    if (u32At(blob, 0) != 0x00041269)
        malformed(QStringLiteral("an Access 97 module value has an unknown header"));
    qsizetype p = 8;
    while (p < blob.size()) {
        const int n = uchar(blob[p]);
        if (p + 1 + n + 4 > blob.size())
            malformed(QStringLiteral("an Access 97 module value is cut short"));
        const QString name = utf16(blob.mid(p + 1, n));
        const quint32 size = u32At(blob, p + 1 + n);
        p += 1 + n + 4;
        if (qint64(size) > blob.size() - p)
            malformed(QStringLiteral("an Access 97 module stream is cut short"));
        streams.insert(name, blob.mid(p, size));
        p += qsizetype(size);
    }
    return streams;
}
