#include "maintenance/pageaccount.h"

#include "host/jet/bytes.h"
#include "host/vb/errors.h"
#include "maintenance/pagecipher.h"

#include <QFile>
#include <QSet>
#include <QtEndian>

namespace {

// A structure that cannot be read on; caught where its table or map is
// walked and turned into a problem.
struct Doubt
{
    QString what;
};

// Reads of a joined definition, byte by byte: GCC's bounds analysis takes a
// memcpy from a QByteArray that may be empty for an overrun.
quint16 defU16(const QByteArray &b, qsizetype at)
{
    return quint16(uchar(b.at(at)) | uchar(b.at(at + 1)) << 8);
}

quint32 defU32(const QByteArray &b, qsizetype at)
{
    return defU16(b, at) | quint32(defU16(b, at + 2)) << 16;
}

quint32 be24(const QByteArray &b, qsizetype at)
{
    return quint32(uchar(b[at])) << 16 | quint32(uchar(b[at + 1])) << 8 | uchar(b[at + 2]);
}

quint32 be32(const QByteArray &b, qsizetype at)
{
    return be24(b, at) << 8 | uchar(b[at + 3]);
}

class Walker
{
public:
    Walker(PageAccount &a, std::shared_ptr<JetFile> file)
        : m_a(a)
        , m_shared(std::move(file))
        , m_file(*m_shared)
    {
    }

    void run();

private:
    const QByteArray &page(quint32 number) const
    {
        if (number >= m_a.pageCount())
            throw Doubt{QStringLiteral("page %1 lies past the end of the file (%2 pages)")
                            .arg(number)
                            .arg(m_a.pageCount())};
        return m_a.pages[number];
    }
    void claim(quint32 number, PageRole role, quint32 owner, const QString &what);
    void site(quint32 page, int offset, bool dataPointer)
    {
        m_a.sites.append({page, offset, dataPointer});
    }
    // Where offset `o` of a joined definition lies; a 4-byte field split
    // over two pages is not rewritten.
    PointerSite definitionSite(const TableAccount &t, qsizetype o, bool dataPointer) const;
    UsageMap readMap(quint32 pointer, quint32 table, const QString &what, bool global = false);
    void walkTable(TableAccount &t);
    void walkRows(TableAccount &t);
    void walkRow(TableAccount &t, quint32 page, int row, int depth);
    void walkLongValue(TableAccount &t, quint32 page, int fieldAt);
    void walkIndex(TableAccount &t, quint32 mapPointer, quint32 root, int number);
    IndexPageAccount readIndexPage(const TableAccount &t, quint32 number,
                                   const QSet<quint32> &tree);

    PageAccount &m_a;
    std::shared_ptr<JetFile> m_shared;
    const JetFile &m_file;
    QSet<quint64> m_rowsSeen;
};

void Walker::claim(quint32 number, PageRole role, quint32 owner, const QString &what)
{
    page(number);
    PageRole &r = m_a.roles[number];
    if (r == PageRole::None) {
        r = role;
        m_a.owners[number] = owner;
        return;
    }
    // Map rows of several tables may share a page; nothing else may.
    if (r == role && (role == PageRole::MapRows || m_a.owners[number] == owner))
        return;
    if (role == PageRole::MapRows && r == PageRole::DatabaseMaps)
        return;
    throw Doubt{QStringLiteral("page %1 (%2) is also used as another kind of page or by another "
                               "table")
                    .arg(number)
                    .arg(what)};
}

PointerSite Walker::definitionSite(const TableAccount &t, qsizetype o, bool dataPointer) const
{
    const int ps = m_a.pageSize;
    int k = 0;
    qsizetype at = o;
    if (o >= ps) {
        k = int((o - ps) / (ps - 8)) + 1;
        at = 8 + (o - ps) % (ps - 8);
    }
    if (k >= t.definitionPages.size() || at + 4 > ps)
        throw Doubt{QStringLiteral("table '%1': a page reference of its definition lies across "
                                   "a page boundary")
                        .arg(t.name)};
    return {t.definitionPages[k], int(at), dataPointer};
}

UsageMap Walker::readMap(quint32 pointer, quint32 table, const QString &what, bool global)
{
    UsageMap map;
    map.global = global;
    map.page = pointer >> 8;
    map.row = int(pointer & 0xFF);
    map.tablePage = table;
    map.what = what;
    int flags = 0;
    if (!m_a.rowBounds(map.page, map.row, map.start, map.end, &flags) || (flags & 0x8000))
        throw Doubt{QStringLiteral("%1: the usage map in row %2 of page %3 does not exist")
                        .arg(what)
                        .arg(map.row)
                        .arg(map.page)};
    if (map.page != 1 && le32(page(map.page), 4) != 0)
        throw Doubt{QStringLiteral("%1: the usage map lies on page %2, which belongs to a table")
                        .arg(what)
                        .arg(map.page)};
    const bool decoded =
        decodeUsageMap(m_a, page(map.page).mid(map.start, map.end - map.start), map);
    map.global = global;
    if (!decoded)
        throw Doubt{QStringLiteral("%1: the usage map in row %2 of page %3 is unreadable")
                        .arg(what)
                        .arg(map.row)
                        .arg(map.page)};
    if (map.page != 1)
        claim(map.page, PageRole::MapRows, 0, what);
    for (quint32 slot : std::as_const(map.slotPages))
        if (slot != 0)
            claim(slot, PageRole::MapBits, table, what);
    for (quint32 p : std::as_const(map.listed))
        if (p >= m_a.pageCount() && !map.global)
            throw Doubt{QStringLiteral("%1: the usage map names page %2, past the end of the file")
                            .arg(what)
                            .arg(p)};
    return map;
}

void Walker::run()
{
    m_a.roles[0] = PageRole::Header;
    m_a.roles[1] = PageRole::DatabaseMaps;
    m_a.owners[1] = 1;
    try {
        UsageMap global = readMap(1u << 8, 0, QStringLiteral("the free-page map"), true);
        if (global.type != 0)
            throw Doubt{QStringLiteral("the free-page map on page 1 is not an inline map")};
        m_a.maps.append(global);
    } catch (const Doubt &d) {
        m_a.problems << d.what;
    }
    int pageOneRows = 0;
    int start, end;
    while (m_a.rowBounds(1, pageOneRows, start, end))
        ++pageOneRows;
    if (pageOneRows > 1) {
        try {
            m_a.maps.append(readMap((1u << 8) | 1, 0, QStringLiteral("the second database map")));
        } catch (const Doubt &d) {
            m_a.problems << d.what;
        }
    }

    // The catalog names every table by its definition page.
    QList<QPair<QString, quint32>> catalog{{QStringLiteral("MSysObjects"), 2}};
    try {
        JetTable objects(m_shared, 2, QStringLiteral("MSysObjects"));
        const int id = objects.columnIndex(u"Id"), type = objects.columnIndex(u"Type"),
                  name = objects.columnIndex(u"Name");
        if (id < 0 || type < 0 || name < 0)
            throw Doubt{
                QStringLiteral("the catalog MSysObjects lacks its Id, Type or Name column")};
        while (objects.next()) {
            const int kind = objects.text(type).toInt();
            if (kind != 1 && kind != 4)
                continue;
            const quint32 tdef = quint32(objects.text(id).toLongLong());
            if (tdef != 2)
                catalog.append({objects.text(name), tdef});
        }
        if (objects.skippedDamage())
            m_a.problems << QStringLiteral("the catalog MSysObjects has rows that cannot be read");
    } catch (const HostError &e) {
        m_a.problems << e.description();
    } catch (const Doubt &d) {
        m_a.problems << d.what;
    }

    for (const auto &[name, tdef] : catalog) {
        TableAccount t;
        t.name = name;
        t.tdef = tdef;
        try {
            walkTable(t);
        } catch (const Doubt &d) {
            m_a.problems << d.what;
        } catch (const HostError &e) {
            m_a.problems << QStringLiteral("table '%1': %2").arg(name, e.description());
        }
        m_a.tables.append(t);
    }
}

void Walker::walkTable(TableAccount &t)
{
    QByteArray def;
    for (quint32 p = t.tdef; p != 0;) {
        const QByteArray &bytes = page(p);
        if (uchar(bytes[0]) != 0x02)
            throw Doubt{QStringLiteral("table '%1': page %2 of its definition is not a table "
                                       "definition page")
                            .arg(t.name)
                            .arg(p)};
        if (t.definitionPages.contains(p) || t.definitionPages.size() > 64)
            throw Doubt{QStringLiteral("table '%1': its definition pages loop").arg(t.name)};
        claim(p, PageRole::TableDefinition, t.tdef, t.name);
        t.definitionPages.append(p);
        def += t.definitionPages.size() == 1 ? bytes : bytes.mid(8);
        p = le32(bytes, 4);
        if (p != 0)
            site(t.definitionPages.last(), 4, false);
    }
    if (def.size() < m_a.pageSize)
        throw Doubt{QStringLiteral("table '%1': the catalog names page %2 as its definition, "
                                   "which is none")
                        .arg(t.name)
                        .arg(t.tdef)};
    t.definition = parseTableDefinition(def, m_file);

    const bool j3 = m_a.jet3;
    const auto pointerAt = [&](qsizetype o) {
        if (o + 4 > def.size())
            throw Doubt{QStringLiteral("table '%1': its definition is cut short").arg(t.name)};
        return defU32(def, o);
    };
    const quint32 owned = pointerAt(j3 ? 35 : 55);
    const UsageMap ownedMap =
        readMap(owned, t.tdef, QStringLiteral("table '%1': owned pages").arg(t.name));
    m_a.maps.append(ownedMap);
    m_a.sites.append(definitionSite(t, j3 ? 35 : 55, true));
    for (quint32 p : ownedMap.listed) {
        const QByteArray &bytes = page(p);
        if (uchar(bytes[0]) != 0x01 || le32(bytes, 4) != t.tdef)
            throw Doubt{QStringLiteral("table '%1': page %2 of its page map is not one of its data "
                                       "pages")
                            .arg(t.name)
                            .arg(p)};
        claim(p, PageRole::Data, t.tdef, t.name);
        t.dataPages.append(p);
    }
    const quint32 freeSpace = pointerAt(j3 ? 39 : 59);
    if (freeSpace != 0) {
        const UsageMap freeMap =
            readMap(freeSpace, t.tdef, QStringLiteral("table '%1': free-space pages").arg(t.name));
        for (quint32 p : freeMap.listed)
            if (!ownedMap.listed.contains(p))
                throw Doubt{QStringLiteral("table '%1': its free-space map names page %2, which "
                                           "it does not own")
                                .arg(t.name)
                                .arg(p)};
        m_a.maps.append(freeMap);
        m_a.sites.append(definitionSite(t, j3 ? 39 : 59, true));
    }

    // The offsets of the definition's parts follow from its counts.
    const int numCols = defU16(def, j3 ? 25 : 45);
    const quint32 numIdx = defU32(def, j3 ? 27 : 47);
    const quint32 numReal = defU32(def, j3 ? 31 : 51);
    qsizetype pos = (j3 ? 43 : 63) + qsizetype(numReal) * (j3 ? 8 : 12);
    pos += qsizetype(numCols) * (j3 ? 18 : 25);
    const auto skipName = [&] {
        const qsizetype length = j3 ? uchar(def.at(pos)) : defU16(def, pos);
        pos += (j3 ? 1 : 2) + length;
        if (pos > def.size())
            throw Doubt{QStringLiteral("table '%1': its definition is cut short").arg(t.name)};
    };
    for (int i = 0; i < numCols; ++i)
        skipName();
    const qsizetype realAt = pos;
    pos += qsizetype(numReal) * (j3 ? 39 : 52);
    pos += qsizetype(numIdx) * (j3 ? 20 : 28);
    for (quint32 i = 0; i < numIdx; ++i)
        skipName();
    // The long-value columns' own maps close the definition.
    for (; pos + 10 <= def.size(); pos += 10) {
        if (defU16(def, pos) == 0xFFFF)
            break;
        for (int part = 0; part < 2; ++part) {
            const quint32 pointer = defU32(def, pos + 2 + 4 * part);
            if (pointer == 0)
                continue;
            const QString what = QStringLiteral("table '%1': long values of column %2 (%3)")
                                     .arg(t.name)
                                     .arg(defU16(def, pos))
                                     .arg(part == 0 ? u"owned" : u"free space");
            UsageMap map = readMap(pointer, t.tdef, what);
            for (quint32 p : std::as_const(map.listed)) {
                const QByteArray &bytes = page(p);
                if (part == 0) {
                    if (uchar(bytes[0]) != 0x01 || bytes.mid(4, 4) != "LVAL")
                        throw Doubt{QStringLiteral("%1: page %2 is not a long-value page")
                                        .arg(what)
                                        .arg(p)};
                    claim(p, PageRole::LongValue, t.tdef, what);
                }
            }
            m_a.maps.append(map);
            m_a.sites.append(definitionSite(t, pos + 2 + 4 * part, true));
        }
    }

    walkRows(t);
    for (quint32 i = 0; i < numReal; ++i) {
        const qsizetype block = realAt + qsizetype(i) * (j3 ? 39 : 52);
        const qsizetype mapAt = block + (j3 ? 30 : 34), rootAt = block + (j3 ? 34 : 38);
        if (rootAt + 4 > def.size())
            throw Doubt{QStringLiteral("table '%1': its definition is cut short").arg(t.name)};
        t.indexFlags.append(uchar(def.at(block + (j3 ? 38 : 46))));
        walkIndex(t, defU32(def, mapAt), defU32(def, rootAt), int(i));
        m_a.sites.append(definitionSite(t, mapAt, true));
        if (defU32(def, rootAt) != 0)
            m_a.sites.append(definitionSite(t, rootAt, false));
    }
}

void Walker::walkRows(TableAccount &t)
{
    for (quint32 p : std::as_const(t.dataPages)) {
        const int count = le16(page(p), m_a.rowCountAt());
        for (int r = 0; r < count; ++r) {
            int start, end, flags = 0;
            if (!m_a.rowBounds(p, r, start, end, &flags))
                throw Doubt{QStringLiteral("table '%1': row %2 of page %3 lies outside its page")
                                .arg(t.name)
                                .arg(r)
                                .arg(p)};
            if (flags & 0x8000)
                continue;
            walkRow(t, p, r, 0);
        }
    }
}

void Walker::walkRow(TableAccount &t, quint32 p, int r, int depth)
{
    if (m_rowsSeen.contains(quint64(p) << 8 | quint64(r)))
        return;
    m_rowsSeen.insert(quint64(p) << 8 | quint64(r));
    int start, end, flags = 0;
    if (depth > 16 || m_a.owners.value(p) != t.tdef || m_a.roles.value(p) != PageRole::Data ||
        !m_a.rowBounds(p, r, start, end, &flags))
        throw Doubt{QStringLiteral("table '%1': an overflow row points at row %2 of page %3, "
                                   "which is not one of its rows")
                        .arg(t.name)
                        .arg(r)
                        .arg(p)};
    const QByteArray &bytes = page(p);
    if (depth == 0)
        ++t.liveRows;
    if ((flags & 0x4000) && depth == 0) {
        if (end - start < 4)
            throw Doubt{QStringLiteral("table '%1': the overflow row %2 of page %3 is cut short")
                            .arg(t.name)
                            .arg(r)
                            .arg(p)};
        site(p, start, true);
        const quint32 target = le32(bytes, start);
        walkRow(t, target >> 8, int(target & 0xFF), depth + 1);
        return;
    }
    QList<JetCell> cells;
    if (!crackRow(bytes.mid(start, end - start), m_a.jet3, t.definition, cells))
        throw Doubt{QStringLiteral("table '%1': row %2 of page %3 cannot be read")
                        .arg(t.name)
                        .arg(r)
                        .arg(p)};
    for (int c = 0; c < t.definition.columns.size(); ++c) {
        const int type = t.definition.columns[c].type;
        if ((type != 0x0B && type != 0x0C) || cells[c].null || cells[c].size < 12)
            continue;
        walkLongValue(t, p, start + cells[c].start);
    }
}

void Walker::walkLongValue(TableAccount &t, quint32 p, int fieldAt)
{
    const QByteArray &bytes = page(p);
    const quint32 header = le32(bytes, fieldAt);
    const quint32 kind = header & 0xFF000000u;
    const qint64 length = header & 0x00FFFFFF;
    const quint32 pointer = le32(bytes, fieldAt + 4);
    if (kind & 0x80000000u)
        return;
    if (kind != 0 && kind != 0x40000000u)
        throw Doubt{QStringLiteral("table '%1': a long value on page %2 is of an unknown kind")
                        .arg(t.name)
                        .arg(p)};
    if (pointer == 0 && length == 0)
        return;
    site(p, fieldAt + 4, true);
    quint32 at = pointer;
    qint64 got = 0;
    for (int links = 0;; ++links) {
        const quint32 lp = at >> 8;
        const int lr = int(at & 0xFF);
        int start, end;
        if (links > int(m_a.pageCount()) || lp >= m_a.pageCount() || uchar(page(lp)[0]) != 0x01 ||
            page(lp).mid(4, 4) != "LVAL" || !m_a.rowBounds(lp, lr, start, end))
            throw Doubt{QStringLiteral("table '%1': a long value on page %2 points at row %3 of "
                                       "page %4, which holds no long value")
                            .arg(t.name)
                            .arg(p)
                            .arg(lr)
                            .arg(lp)};
        claim(lp, PageRole::LongValue, t.tdef, t.name);
        if (kind != 0)
            return;
        if (end - start < 4)
            throw Doubt{QStringLiteral("table '%1': a long-value segment on page %2 is cut short")
                            .arg(t.name)
                            .arg(lp)};
        got += end - start - 4;
        at = le32(page(lp), start);
        if (got >= length || at == 0)
            return;
        site(lp, start, true);
    }
}

void Walker::walkIndex(TableAccount &t, quint32 mapPointer, quint32 root, int number)
{
    const QString what = QStringLiteral("table '%1': index %2").arg(t.name).arg(number);
    const UsageMap map = readMap(mapPointer, t.tdef, what);
    m_a.maps.append(map);
    const QSet<quint32> tree(map.listed.begin(), map.listed.end());
    if (root != 0 && !tree.contains(root))
        throw Doubt{
            QStringLiteral("%1: its root page %2 is not in its page map").arg(what).arg(root)};
    for (quint32 p : map.listed) {
        claim(p, PageRole::Index, t.tdef, what);
        m_a.indexPages.append(readIndexPage(t, p, tree));
        m_a.indexPages.last().index = number;
    }
}

IndexPageAccount Walker::readIndexPage(const TableAccount &t, quint32 number,
                                       const QSet<quint32> &tree)
{
    const bool j3 = m_a.jet3;
    const QByteArray &p = page(number);
    const auto doubt = [&](const QString &why) {
        return Doubt{
            QStringLiteral("table '%1': index page %2 %3").arg(t.name).arg(number).arg(why)};
    };
    IndexPageAccount out;
    out.page = number;
    out.tablePage = t.tdef;
    const int type = uchar(p[0]);
    if (type != 0x03 && type != 0x04)
        throw doubt(QStringLiteral("is of type %1, not an index page").arg(type));
    if (le32(p, 4) != t.tdef)
        throw doubt(QStringLiteral("names table page %1 as its owner").arg(le32(p, 4)));
    out.leaf = type == 0x04;
    const int links = j3 ? 8 : 12;
    for (int k = 0; k < 3; ++k) {
        const quint32 link = le32(p, links + 4 * k);
        if (link == 0)
            continue;
        if (!tree.contains(link))
            throw doubt(QStringLiteral("links to page %1, outside its index").arg(link));
        site(number, links + 4 * k, false);
    }
    out.prefix = j3 ? uchar(p[20]) : le16(p, 24);
    const int maskAt = j3 ? 22 : 27, maskBytes = j3 ? 226 : 453, first = j3 ? 248 : 480;
    QByteArray firstEntry;
    int last = 0;
    for (int bit = 0; bit < maskBytes * 8; ++bit) {
        if (!(uchar(p[maskAt + bit / 8]) & (1 << (bit % 8))))
            continue;
        if (bit <= last || first + bit > m_a.pageSize)
            throw doubt(QStringLiteral("has a bad entry mask"));
        const QByteArray raw = p.mid(first + last, bit - last);
        IndexEntry entry;
        entry.position = first + last;
        if (out.entries.isEmpty()) {
            if (out.prefix > raw.size())
                throw doubt(QStringLiteral("shares a prefix longer than its first entry"));
            firstEntry = raw;
            entry.full = raw;
        } else {
            entry.full = firstEntry.left(out.prefix) + raw;
        }
        const int trailer = out.leaf ? 4 : 8;
        if (entry.full.size() < trailer + 1)
            throw doubt(QStringLiteral("has an entry of %1 bytes").arg(entry.full.size()));
        const qsizetype at = entry.full.size() - trailer;
        const quint32 rowPage = be24(entry.full, at);
        const int row = uchar(entry.full[at + 3]);
        int start, end, flags = 0;
        if (m_a.owners.value(rowPage) != t.tdef || m_a.roles.value(rowPage) != PageRole::Data ||
            !m_a.rowBounds(rowPage, row, start, end, &flags) || (flags & 0x8000))
            throw doubt(QStringLiteral("points at row %1 of page %2, which is no row of the table")
                            .arg(row)
                            .arg(rowPage));
        if (!out.leaf && !tree.contains(be32(entry.full, at + 4)))
            throw doubt(QStringLiteral("has a child page %1 outside its index")
                            .arg(be32(entry.full, at + 4)));
        entry.row = rowPage << 8 | quint32(row);
        out.entries.append(entry);
        last = bit;
    }
    return out;
}

} // namespace

bool PageAccount::rowBounds(quint32 page, int row, int &start, int &end, int *flags) const
{
    if (page >= pageCount())
        return false;
    const QByteArray &p = pages[page];
    const int countAt = rowCountAt();
    if (uchar(p[0]) != 0x01 || row < 0 || row >= le16(p, countAt) ||
        countAt + 2 + 2 * (row + 1) > pageSize)
        return false;
    const int offset = le16(p, countAt + 2 + 2 * row);
    start = offset & 0x1FFF;
    end = row == 0 ? pageSize : (le16(p, countAt + 2 * row) & 0x1FFF);
    if (flags)
        *flags = offset & 0xC000;
    return start <= end && end <= pageSize && start >= countAt + 2;
}

bool decodeUsageMap(const PageAccount &account, const QByteArray &row, UsageMap &map)
{
    map.listed.clear();
    map.slotPages.clear();
    if (row.isEmpty())
        return false;
    map.type = uchar(row[0]);
    if (map.type == 0) {
        if (row.size() < 5)
            return false;
        const quint32 first = le32(row, 1);
        for (qsizetype byte = 5; byte < row.size(); ++byte)
            for (int bit = 0; bit < 8; ++bit)
                if (uchar(row[byte]) & (1 << bit))
                    map.listed.append(first + quint32(byte - 5) * 8 + quint32(bit));
        return true;
    }
    if (map.type != 1)
        return false;
    const quint32 perPage = quint32(account.pageSize - 4) * 8;
    for (qsizetype at = 1, slot = 0; at + 4 <= row.size(); at += 4, ++slot) {
        const quint32 bitsPage = le32(row, at);
        map.slotPages.append(bitsPage);
        if (bitsPage == 0)
            continue;
        if (bitsPage >= account.pageCount() || uchar(account.pages[bitsPage][0]) != 0x05)
            return false;
        const QByteArray &bits = account.pages[bitsPage];
        for (quint32 bit = 0; bit < perPage; ++bit)
            if (uchar(bits[4 + bit / 8]) & (1 << (bit % 8)))
                map.listed.append(quint32(slot) * perPage + bit);
    }
    return true;
}

PageAccount PageAccount::read(const QString &path)
{
    const std::shared_ptr<JetFile> file = JetFile::open(path, JetOptions());
    PageAccount a;
    a.path = path;
    a.version = file->header().version;
    a.jet3 = file->header().isJet3();
    a.pageSize = file->header().pageSize;
    a.databaseKey = file->header().databaseKey;
    a.codePage = file->header().codePage;
    QFile raw(path);
    if (!raw.open(QIODevice::ReadOnly))
        throw HostError(
            Err::FileOpenDenied,
            QStringLiteral("The file '%1' cannot be read: %2").arg(path, raw.errorString()));
    const QByteArray all = raw.readAll();
    if (all.size() % a.pageSize != 0)
        a.problems << QStringLiteral("the file ends in a part of a page");
    const quint32 count = quint32(all.size() / a.pageSize);
    a.pages.reserve(count);
    for (quint32 p = 0; p < count; ++p) {
        a.pages.append(all.mid(qsizetype(p) * a.pageSize, a.pageSize));
        cryptPage(a.pages.last(), a.databaseKey, p);
    }
    a.roles.fill(PageRole::None, count);
    a.owners.fill(0, count);
    Walker(a, file).run();
    return a;
}
