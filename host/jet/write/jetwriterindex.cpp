// Index parts of the Jet writer: the layout of an index description, the
// key bytes of a row (jetindexkey.h), and the index tree (jetindextree.h).

#include "host/jet/write/jetindexkey.h"
#include "host/jet/write/jetindextree.h"
#include "host/jet/write/jetwriterpages.h"

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
    QList<JetIndexTreeEntry> entries;
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
    QList<JetIndexTreeEntry> sorted;
    ix.keys = 0;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const JetIndexTreeEntry &e = entries[order[i]];
        const bool repeated = !sorted.isEmpty() && sorted.last().key == e.key;
        // Several rows whose key columns are all NULL do not break uniqueness.
        if (repeated && (ix.flags & 0x01) && !allNull[order[i]])
            fail(
                QStringLiteral("%1: the key of row %2 is not unique").arg(where).arg(order[i] + 1));
        ix.keys += !repeated;
        sorted.append(e);
    }

    const JetIndexTree tree = jetIndexTree(
        fmt().jet3, fmt().pageSize, t.tdefPage, sorted,
        [&] { return file.add(QByteArray(fmt().pageSize, '\0')); }, where);
    QList<quint32> pages;
    for (const JetIndexTreePage &page : tree.pages) {
        file[page.number] = page.bytes;
        pages.append(page.number);
    }
    ix.root = tree.root;
    return pages;
}

} // namespace jetw
