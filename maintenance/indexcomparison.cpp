#include "maintenance/indexcomparison.h"

#include "host/jet/bytes.h"
#include "maintenance/pageaccount.h"

#include <QHash>
#include <algorithm>

namespace {

struct Entry
{
    QByteArray key; // without the row pointer and child page
    qint64 row = 0; // the row's place in its table
    bool operator==(const Entry &) const = default;
    bool operator<(const Entry &o) const { return key != o.key ? key < o.key : row < o.row; }
};

// Each live row's place in its table, by its data pointer.
QHash<quint32, qint64> rowPlaces(const PageAccount &a, const TableAccount &t)
{
    QHash<quint32, qint64> places;
    places.reserve(qsizetype(t.liveRows));
    qint64 place = 0;
    for (quint32 p : t.dataPages)
        for (int r = 0; r < le16(a.pages[p], a.rowCountAt()); ++r) {
            int start, end, flags = 0;
            if (a.rowBounds(p, r, start, end, &flags) && !(flags & 0x8000))
                places.insert(p << 8 | quint32(r), place++);
        }
    return places;
}

// Each table's index pages, in page order.
QHash<quint32, QList<const IndexPageAccount *>> indexPagesByTable(const PageAccount &a)
{
    QHash<quint32, QList<const IndexPageAccount *>> out;
    for (const IndexPageAccount &ip : a.indexPages)
        out[ip.tablePage].append(&ip);
    return out;
}

// Per index and level (leaf or not), its entries in page order.
QHash<QPair<int, bool>, QList<Entry>> entriesOf(const PageAccount &a, const TableAccount &t,
                                                const QList<const IndexPageAccount *> &pages)
{
    const QHash<quint32, qint64> places = rowPlaces(a, t);
    QHash<QPair<int, bool>, QList<Entry>> out;
    for (const IndexPageAccount *page : pages) {
        const IndexPageAccount &ip = *page;
        QList<Entry> &list = out[{ip.index, ip.leaf}];
        for (const IndexEntry &e : ip.entries)
            list.append({e.full.left(e.full.size() - (ip.leaf ? 4 : 8)), places.value(e.row, -1)});
    }
    return out;
}

} // namespace

QString indexDifference(const PageAccount &source, const PageAccount &copy)
{
    if (!copy.problems.isEmpty())
        return QStringLiteral("the copy's pages do not add up: %1").arg(copy.problems.first());
    if (copy.tables.size() != source.tables.size())
        return QStringLiteral("the copy has another number of tables");
    const auto sourcePages = indexPagesByTable(source), copyPages = indexPagesByTable(copy);
    for (qsizetype i = 0; i < source.tables.size(); ++i) {
        const TableAccount &t = source.tables[i];
        if (copy.tables[i].tdef != t.tdef)
            return QStringLiteral("the copy lists another table in the place of '%1'").arg(t.name);
        auto mine = entriesOf(source, t, sourcePages.value(t.tdef)),
             theirs = entriesOf(copy, copy.tables[i], copyPages.value(t.tdef));
        if (mine.size() != theirs.size())
            return QStringLiteral("table '%1' has another number of indexes").arg(t.name);
        for (auto it = mine.begin(); it != mine.end(); ++it) {
            QList<Entry> &a = it.value(), &b = theirs[it.key()];
            // Pages kept in place may change the page order of an index;
            // its entries in key order must still be the same.
            if (a != b) {
                std::sort(a.begin(), a.end());
                std::sort(b.begin(), b.end());
            }
            if (a != b)
                return QStringLiteral("index %1 of table '%2' holds other entries in the copy")
                    .arg(it.key().first)
                    .arg(t.name);
        }
    }
    return QString();
}
