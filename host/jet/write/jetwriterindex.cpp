// Index parts of the Jet writer: the layout of an index description, the
// key bytes of a row (jetindexkey.h), and the index tree (leaf pages chained by previous
// and next, node pages above them whose last child is the tail page).

#include "host/jet/write/jetindexkey.h"
#include "host/jet/write/jetwriterpages.h"

#include <QtEndian>
#include <algorithm>
#include <numeric>

namespace jetw {

namespace {

// A column as the key encoder sees it, in the sort order and code page of
// the database being built.
JetKeyColumn keyColumn(const ColumnLayout &c, bool descending)
{
    JetKeyColumn key;
    key.type = c.def.type;
    key.descending = descending;
    key.sortOrder = fmt().sortOrder;
    key.codePage = fmt().codePage;
    return key;
}

// Index page geometry: the entry-start mask and the first entry's offset.
int maskAt()
{
    return fmt().jet3 ? 22 : 27;
}
int firstEntryAt()
{
    return fmt().jet3 ? 248 : 480;
}
int entryRoom()
{
    return fmt().pageSize - firstEntryAt();
}
int linksAt()
{
    return fmt().jet3 ? 8 : 12;
}

void appendBigEndian(QByteArray &out, quint32 v)
{
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

// An index row pointer: 3-byte big-endian page, then the row byte; the
// data pointer keeps the row in its low byte, so the order is the same.
QByteArray rowPointer(quint32 dataPointer)
{
    QByteArray out;
    appendBigEndian(out, dataPointer);
    return out;
}

// The bytes two keys share at their start; Jet 3 stores the count in a byte.
qsizetype commonPrefix(const QByteArray &a, const QByteArray &b)
{
    qsizetype n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return std::min<qsizetype>(n, fmt().jet3 ? 255 : 65535);
}

struct Entry
{
    QByteArray key;
    quint32 pointer = 0;
    QByteArray bytes() const { return key + rowPointer(pointer); }
};

// One index page: entries whole, the first stored in full and the others
// without the prefix they share with it.
QByteArray indexPage(bool leaf, quint32 owner, const QList<QByteArray> &entries, qsizetype prefix,
                     quint32 tail)
{
    const JetFormat &f = fmt();
    QByteArray page(f.pageSize, '\0');
    page[0] = char(leaf ? 0x04 : 0x03);
    page[1] = 0x01;
    put32(page, 4, owner);
    put32(page, linksAt() + 8, tail);
    if (f.jet3)
        page[20] = char(prefix);
    else
        put16(page, 24, quint16(prefix));
    page[f.jet3 ? 21 : 26] = char(leaf ? 0 : 1); // Access marks node pages so
    int at = firstEntryAt();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QByteArray stored = i == 0 ? entries[i] : entries[i].mid(prefix);
        page.replace(at, int(stored.size()), stored);
        at += int(stored.size());
        const int bit = at - firstEntryAt();
        page[maskAt() + bit / 8] = char(page[maskAt() + bit / 8] | (1 << (bit % 8)));
    }
    Q_ASSERT(at <= f.pageSize);
    put16(page, 2, quint16(f.pageSize - at));
    return page;
}

void link(PageFile &file, quint32 page, quint32 previous, quint32 next)
{
    put32(file[page], linksAt(), previous);
    put32(file[page], linksAt() + 4, next);
}

// A page of the level being built: its number and the greatest entry of
// its subtree (key and row pointer), which its parent stores.
struct Built
{
    quint32 page = 0;
    QByteArray last;
};

} // namespace

IndexLayout layoutIndex(const TableLayout &t, const JetWriterIndex &def, bool primary)
{
    IndexLayout ix;
    ix.name = def.name;
    ix.primary = primary;
    const QString where = QStringLiteral("table %1, index %2").arg(t.name, def.name);
    if (def.columns.isEmpty() || def.columns.size() > 10)
        fail(QStringLiteral("%1: an index has 1 to 10 columns").arg(where));
    for (qsizetype k = 0; k < def.columns.size(); ++k) {
        const QString &name = def.columns[k];
        const ColumnLayout *column = nullptr;
        for (const ColumnLayout &c : t.columns)
            if (c.def.name.compare(name, Qt::CaseInsensitive) == 0)
                column = &c;
        if (!column)
            fail(QStringLiteral("%1: no column %2").arg(where, name));
        if (ix.columns.contains(column->number))
            fail(QStringLiteral("%1: column %2 is named twice").arg(where, name));
        const JetKeyColumn key = keyColumn(*column, def.descending.value(k, false));
        if (const QString why = jetKeyColumnUncovered(key); !why.isEmpty())
            fail(QStringLiteral("%1: column %2: %3").arg(where, name, why));
        ix.columns.append(column->number);
        ix.descending.append(def.descending.value(k, false));
    }
    // Access's primary keys are unique and required; ignoring nulls would
    // leave rows out of them.
    ix.flags = primary ? 0x01 | 0x08
                       : (def.unique ? 0x01 : 0) | (def.ignoreNulls ? 0x02 : 0) |
                             (def.required ? 0x08 : 0);
    if (!fmt().jet3)
        ix.flags |= 0x80; // set on every index Access 2000 and later write
    return ix;
}

QByteArray indexKey(const TableLayout &t, const IndexLayout &ix, const QList<Value> &row)
{
    QList<JetKeyColumn> columns;
    QList<Value> values;
    for (qsizetype k = 0; k < ix.columns.size(); ++k) {
        const ColumnLayout &c = t.columns[ix.columns[k]];
        columns.append(keyColumn(c, ix.descending[k]));
        values.append(row[c.number]);
    }
    const JetIndexKey key = jetIndexKey(fmt().jet3, columns, values);
    if (!key.certain)
        fail(QStringLiteral("table %1, index %2: %3").arg(t.name, ix.name, key.uncertainty));
    return key.bytes;
}

QList<quint32> writeIndex(PageFile &file, const TableLayout &t, IndexLayout &ix,
                          const QList<quint32> &rowPointers)
{
    const QString where = QStringLiteral("table %1, index %2").arg(t.name, ix.name);
    QList<Entry> entries;
    QList<bool> allNull;
    for (qsizetype r = 0; r < t.rows.size(); ++r) {
        int nulls = 0;
        for (int number : ix.columns)
            nulls += t.rows[r][number].isNull() && t.columns[number].def.type != JetType::Boolean;
        if (nulls && (ix.primary || (ix.flags & 0x08)))
            fail(QStringLiteral("%1: row %2 leaves a key column empty").arg(where).arg(r + 1));
        const bool none = nulls == ix.columns.size();
        if (none && (ix.flags & 0x02))
            continue; // ignore-nulls indexes leave such rows out
        entries.append({indexKey(t, ix, t.rows[r]), rowPointers[r]});
        allNull.append(none);
    }
    QList<qsizetype> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        return entries[a].key != entries[b].key ? entries[a].key < entries[b].key
                                                : entries[a].pointer < entries[b].pointer;
    });
    QList<Entry> sorted;
    ix.keys = 0;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const Entry &e = entries[order[i]];
        const bool repeated = !sorted.isEmpty() && sorted.last().key == e.key;
        // Several rows whose key columns are all NULL do not break uniqueness.
        if (repeated && (ix.flags & 0x01) && !allNull[order[i]])
            fail(
                QStringLiteral("%1: the key of row %2 is not unique").arg(where).arg(order[i] + 1));
        ix.keys += !repeated;
        sorted.append(e);
    }

    // Leaves, filled in key order; a page's entries share the prefix its
    // first and last keys have in common.
    const int room = entryRoom();
    QList<QPair<qsizetype, qsizetype>> leaves; // [first, end) of sorted
    for (qsizetype first = 0; first < sorted.size() || leaves.isEmpty();) {
        qsizetype end = first, total = 0;
        while (end < sorted.size()) {
            const qsizetype size = sorted[end].key.size() + 4;
            const qsizetype prefix =
                end == first ? 0 : commonPrefix(sorted[first].key, sorted[end].key);
            const qsizetype sum = total + size;
            if (sum - (end - first) * prefix > room)
                break;
            total = sum;
            ++end;
        }
        if (end == first && first < sorted.size())
            fail(QStringLiteral("%1: a key does not fit an index page").arg(where));
        leaves.append({first, end});
        first = end;
        if (sorted.isEmpty())
            break;
    }
    QList<quint32> pages;
    const QByteArray blank(fmt().pageSize, '\0');
    for (qsizetype i = 0; i < leaves.size(); ++i)
        pages.append(file.add(blank));
    QList<Built> level;
    for (qsizetype i = 0; i < leaves.size(); ++i) {
        const auto [first, end] = leaves[i];
        QList<QByteArray> bytes;
        for (qsizetype e = first; e < end; ++e)
            bytes.append(sorted[e].bytes());
        const qsizetype prefix =
            end - first > 1 ? commonPrefix(sorted[first].key, sorted[end - 1].key) : 0;
        file[pages[i]] = indexPage(true, t.tdefPage, bytes, prefix, 0);
        link(file, pages[i], i > 0 ? pages[i - 1] : 0, i + 1 < leaves.size() ? pages[i + 1] : 0);
        level.append({pages[i], bytes.isEmpty() ? QByteArray() : bytes.last()});
    }

    // Node levels: each node stores, for every child but the last, the
    // child's greatest entry and page; the last child is its tail page.
    bool childrenAreNodes = false;
    while (level.size() > 1) {
        QList<QList<Built>> groups;
        QList<Built> group;
        qsizetype size = 0;
        for (const Built &child : level) {
            const qsizetype grown = group.isEmpty() ? 0 : size + group.last().last.size() + 4;
            if (!group.isEmpty() && grown > room) {
                groups.append(group);
                group.clear();
                size = 0;
            } else if (!group.isEmpty()) {
                size = grown;
            }
            group.append(child);
        }
        groups.append(group);
        // A node with a single child would have nothing but its tail.
        if (groups.size() > 1 && groups.last().size() == 1)
            groups.last().prepend(groups[groups.size() - 2].takeLast());
        QList<Built> parents;
        for (const QList<Built> &children : groups) {
            if (children.size() < 2)
                fail(QStringLiteral("%1: keys too long for index node pages").arg(where));
            QList<QByteArray> bytes;
            for (qsizetype c = 0; c + 1 < children.size(); ++c) {
                QByteArray entry = children[c].last;
                appendBigEndian(entry, children[c].page);
                bytes.append(entry);
            }
            const quint32 page =
                file.add(indexPage(false, t.tdefPage, bytes, 0, children.last().page));
            pages.append(page);
            // Leaves chain from the first to the last; node pages only
            // within the node above them.
            if (childrenAreNodes)
                for (qsizetype c = 0; c < children.size(); ++c)
                    link(file, children[c].page, c > 0 ? children[c - 1].page : 0,
                         c + 1 < children.size() ? children[c + 1].page : 0);
            parents.append({page, children.last().last});
        }
        level = parents;
        childrenAreNodes = true;
    }
    ix.root = level.first().page;
    return pages;
}

} // namespace jetw
