#include "maintenance/integritycheck.h"

#include "host/jet/bytes.h"
#include "maintenance/indexkeycheck.h"
#include "maintenance/pageaccount.h"
#include "maintenance/pagecipher.h"

#include <QHash>
#include <QSet>

namespace {

const UsageMap *freeMap(const PageAccount &a)
{
    for (const UsageMap &m : a.maps)
        if (m.global)
            return &m;
    return nullptr;
}

} // namespace

IntegrityReport checkIntegrity(const PageAccount &a)
{
    IntegrityReport r;
    r.checked << QStringLiteral("%1 pages of %2 bytes").arg(a.pageCount()).arg(a.pageSize)
              << QStringLiteral("%1 tables with their definitions, page maps, rows and long values")
                     .arg(a.tables.size())
              << QStringLiteral("%1 index pages").arg(a.indexPages.size())
              << QStringLiteral("%1 usage maps").arg(a.maps.size());
    r.damage = a.problems;
    if (const UsageMap *m = freeMap(a)) {
        for (quint32 p : m->listed)
            if (a.live(p)) {
                const QString what =
                    QStringLiteral("page %1 is in use but the free-page map marks it free").arg(p);
                r.damage << what;
                r.repairable << what;
            }
    }
    // Every index that does not skip nulls lists each live row once: the
    // walk checked that each entry points at a live row of its table, so the
    // count and no row listed twice make one entry per row. Entries of a
    // page are in key order.
    QHash<QPair<quint32, int>, qint64> leafEntries;
    QHash<QPair<quint32, int>, QSet<quint32>> listedRows;
    QHash<QPair<quint32, int>, QString> firstFault;
    for (const IndexPageAccount &ip : a.indexPages) {
        if (!ip.leaf)
            continue;
        const QPair<quint32, int> key{ip.tablePage, ip.index};
        leafEntries[key] += ip.entries.size();
        QSet<quint32> &rows = listedRows[key];
        for (qsizetype e = 0; e < ip.entries.size(); ++e) {
            const QByteArray &full = ip.entries[e].full;
            const quint32 pointer = ip.entries[e].row;
            if (rows.contains(pointer) && !firstFault.contains(key))
                firstFault.insert(key,
                                  QStringLiteral("lists row %1 of page %2 twice (index page %3)")
                                      .arg(pointer & 0xFF)
                                      .arg(pointer >> 8)
                                      .arg(ip.page));
            rows.insert(pointer);
            if (e > 0 && ip.entries[e - 1].full >= full && !firstFault.contains(key))
                firstFault.insert(
                    key,
                    QStringLiteral("has entries out of key order on index page %1").arg(ip.page));
        }
    }
    for (const TableAccount &t : a.tables)
        for (int i = 0; i < t.indexFlags.size(); ++i) {
            const qint64 entries = leafEntries.value({t.tdef, i});
            if (!(t.indexFlags[i] & 0x02) && entries != t.liveRows)
                r.damage << QStringLiteral("table '%1': index %2 holds %3 entries for %4 rows")
                                .arg(t.name)
                                .arg(i)
                                .arg(entries)
                                .arg(t.liveRows);
            if (const QString fault = firstFault.value({t.tdef, i}); !fault.isEmpty())
                r.damage << QStringLiteral("table '%1': index %2 %3").arg(t.name).arg(i).arg(fault);
        }
    const IndexKeyFindings keys = checkIndexKeys(a);
    r.checked << keys.checked;
    r.damage << keys.damage;
    return r;
}

QList<QByteArray> pagesWithMendedFreeMap(const PageAccount &a)
{
    const UsageMap *m = freeMap(a);
    if (!m)
        return {};
    QList<QByteArray> pages = a.pages;
    QByteArray &page = pages[m->page];
    const quint32 start = le32(page, m->start + 1);
    bool changed = false;
    for (quint32 p : m->listed) {
        if (!a.live(p))
            continue;
        const quint32 bit = p - start;
        page[m->start + 5 + bit / 8] =
            char(uchar(page[m->start + 5 + bit / 8]) & ~(1 << (bit % 8)));
        changed = true;
    }
    if (!changed)
        return {};
    for (quint32 p = 1; p < quint32(pages.size()); ++p)
        cryptPage(pages[p], a.databaseKey, p);
    return pages;
}
