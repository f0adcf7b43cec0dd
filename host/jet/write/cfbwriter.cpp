#include "host/jet/write/cfbwriter.h"

#include "host/jet/bytes.h"
#include "host/vb/errors.h"

#include <QtEndian>
#include <algorithm>
#include <functional>

namespace {

constexpr int sectorSize = 512, miniSectorSize = 64, miniCutoff = 4096;
constexpr quint32 endOfChain = 0xFFFFFFFE, freeSector = 0xFFFFFFFF, fatSector = 0xFFFFFFFD,
                  noStream = 0xFFFFFFFF;

[[noreturn]] void fail(const QString &message)
{
    throw HostError(Err(3000), message);
}

struct Node
{
    QString name;
    int type = 1; // 1 storage, 2 stream, 5 root
    QByteArray data;
    QList<int> children;
    quint32 left = noStream, right = noStream, child = noStream;
    bool red = false;
    quint32 start = endOfChain;
};

// Sibling order: shorter names first, then by upper-cased code units.
bool before(const QString &a, const QString &b)
{
    if (a.size() != b.size())
        return a.size() < b.size();
    return a.toUpper() < b.toUpper();
}

// Builds a balanced tree over sorted siblings; nodes on its deepest level
// are red so that every path to a leaf passes the same number of black nodes.
void linkSiblings(QList<Node> &nodes, int parent)
{
    QList<int> sorted = nodes[parent].children;
    std::sort(sorted.begin(), sorted.end(),
              [&](int a, int b) { return before(nodes[a].name, nodes[b].name); });
    QList<int> depth(sorted.size());
    std::function<quint32(qsizetype, qsizetype, int)> build = [&](qsizetype lo, qsizetype hi,
                                                                  int d) -> quint32 {
        if (lo >= hi)
            return noStream;
        const qsizetype mid = (lo + hi) / 2;
        const int n = sorted[mid];
        depth[mid] = d;
        nodes[n].left = build(lo, mid, d + 1);
        nodes[n].right = build(mid + 1, hi, d + 1);
        return quint32(n);
    };
    nodes[parent].child = build(0, sorted.size(), 0);
    const int deepest = depth.isEmpty() ? 0 : *std::max_element(depth.begin(), depth.end());
    for (qsizetype i = 0; i < sorted.size(); ++i)
        nodes[sorted[i]].red = deepest > 0 && depth[i] == deepest;
}

} // namespace

QByteArray buildCompoundFile(const QList<CompoundStream> &streams)
{
    QList<Node> nodes(1);
    nodes[0].name = QStringLiteral("Root Entry");
    nodes[0].type = 5;
    for (const CompoundStream &s : streams) {
        int at = 0;
        for (qsizetype i = 0; i < s.path.size(); ++i) {
            const QString &name = s.path[i];
            if (name.isEmpty() || name.size() > 31)
                fail(QStringLiteral("compound file: the name \"%1\" needs 1 to 31 characters")
                         .arg(name));
            const bool last = i == s.path.size() - 1;
            int found = -1;
            for (int c : nodes[at].children)
                if (nodes[c].name.compare(name, Qt::CaseInsensitive) == 0)
                    found = c;
            if (found >= 0 && (last || nodes[found].type != 1))
                fail(QStringLiteral("compound file: %1 is written twice").arg(s.path.join(u'/')));
            if (found < 0) {
                Node n;
                n.name = name;
                n.type = last ? 2 : 1;
                if (last)
                    n.data = s.data;
                nodes.append(n);
                found = int(nodes.size() - 1);
                nodes[at].children.append(found);
            }
            at = found;
        }
    }
    for (int i = 0; i < nodes.size(); ++i)
        if (nodes[i].type != 2)
            linkSiblings(nodes, i);

    // Sectors in order: large streams, the mini stream, the mini FAT, the
    // directory, then the FAT that maps them all.
    QList<quint32> fat;
    QByteArray body;
    const auto place = [&](const QByteArray &data) -> quint32 {
        if (data.isEmpty())
            return endOfChain;
        const quint32 first = quint32(fat.size());
        const qsizetype count = (data.size() + sectorSize - 1) / sectorSize;
        for (qsizetype i = 0; i < count; ++i)
            fat.append(i + 1 < count ? quint32(fat.size() + 1) : endOfChain);
        body += data;
        body.append(QByteArray(count * sectorSize - data.size(), '\0'));
        return first;
    };

    QByteArray mini;
    QList<quint32> miniFat;
    for (Node &n : nodes) {
        if (n.type != 2 || n.data.isEmpty())
            continue;
        if (n.data.size() >= miniCutoff) {
            n.start = place(n.data);
            continue;
        }
        n.start = quint32(miniFat.size());
        const qsizetype count = (n.data.size() + miniSectorSize - 1) / miniSectorSize;
        for (qsizetype i = 0; i < count; ++i)
            miniFat.append(i + 1 < count ? quint32(miniFat.size() + 1) : endOfChain);
        mini += n.data;
        mini.append(QByteArray(count * miniSectorSize - n.data.size(), '\0'));
    }
    nodes[0].start = place(mini);
    QByteArray miniFatBytes;
    for (quint32 v : miniFat)
        miniFatBytes.append(reinterpret_cast<const char *>(&v), 4); // little-endian hosts only
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN);
    const quint32 miniFatStart = place(miniFatBytes);
    const qsizetype miniFatSectors = (miniFatBytes.size() + sectorSize - 1) / sectorSize;

    QByteArray directory;
    for (const Node &n : nodes) {
        QByteArray e(128, '\0');
        for (qsizetype i = 0; i < n.name.size(); ++i)
            qToLittleEndian(n.name[i].unicode(), e.data() + 2 * i);
        qToLittleEndian(quint16(2 * n.name.size() + 2), e.data() + 0x40);
        e[0x42] = char(n.type);
        e[0x43] = char(n.red ? 0 : 1);
        put32(e, 0x44, n.left);
        put32(e, 0x48, n.right);
        put32(e, 0x4C, n.child);
        put32(e, 0x74, n.type == 1 ? 0 : n.start);
        put32(e, 0x78, n.type == 5 ? quint32(mini.size()) : quint32(n.data.size()));
        directory += e;
    }
    while (directory.size() % sectorSize) {
        QByteArray unused(128, '\0');
        put32(unused, 0x44, noStream);
        put32(unused, 0x48, noStream);
        put32(unused, 0x4C, noStream);
        directory += unused;
    }
    const quint32 directoryStart = place(directory);

    // The FAT covers its own sectors too.
    qsizetype fatSectors = 1;
    while (fatSectors * (sectorSize / 4) < fat.size() + fatSectors)
        ++fatSectors;
    if (fatSectors > 109)
        fail(QStringLiteral("compound file: more than 109 FAT sectors"));
    const quint32 firstFat = quint32(fat.size());
    for (qsizetype i = 0; i < fatSectors; ++i)
        fat.append(fatSector);
    while (fat.size() % (sectorSize / 4))
        fat.append(freeSector);
    QByteArray fatBytes(fat.size() * 4, '\0');
    for (qsizetype i = 0; i < fat.size(); ++i)
        put32(fatBytes, 4 * i, fat[i]);

    QByteArray header(sectorSize, '\0');
    header.replace(0, 8, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
    qToLittleEndian(quint16(0x003E), header.data() + 0x18);
    qToLittleEndian(quint16(3), header.data() + 0x1A);
    qToLittleEndian(quint16(0xFFFE), header.data() + 0x1C);
    qToLittleEndian(quint16(9), header.data() + 0x1E);
    qToLittleEndian(quint16(6), header.data() + 0x20);
    put32(header, 0x2C, quint32(fatSectors));
    put32(header, 0x30, directoryStart);
    put32(header, 0x38, miniCutoff);
    put32(header, 0x3C, miniFatStart);
    put32(header, 0x40, quint32(miniFatSectors));
    put32(header, 0x44, endOfChain);
    for (int i = 0; i < 109; ++i)
        put32(header, 0x4C + 4 * i, i < fatSectors ? firstFat + quint32(i) : freeSector);
    return header + body + fatBytes;
}
