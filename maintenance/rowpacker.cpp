#include "maintenance/rowpacker.h"

#include "host/jet/bytes.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <cstring>

namespace {

// A row number is one byte of a data pointer.
constexpr int maxRowsPerPage = 255;

struct LiveRow
{
    quint32 page = 0;
    int row = 0;
    int start = 0;
    int end = 0;
    int flags = 0;
};

// What packing one table changes, kept apart until all of it is certain.
struct TablePacking
{
    QHash<quint32, quint32> moves; // old data pointer -> new
    QHash<quint32, QByteArray> pages;
    QList<quint32> released;
    QList<QPair<qsizetype, PointerSite>> sites; // index in the account's sites -> new place
    QList<QPair<qsizetype, QList<IndexEntry>>> indexPages;
    qint64 deletedRows = 0;
};

class TablePacker
{
public:
    TablePacker(const PageAccount &a, const QHash<quint32, QList<qsizetype>> &sitesOn)
        : m_a(a)
        , m_sitesOn(sitesOn)
    {
    }

    // False when the run cannot be packed with certainty.
    bool packRun(const QList<quint32> &run, TablePacking &out) const;
    // The table's index entries with their rows' new pointers; false when a
    // page's shared prefix would break.
    bool repoint(const QList<qsizetype> &indexPages, TablePacking &out) const;

private:
    const PageAccount &m_a;
    const QHash<quint32, QList<qsizetype>> &m_sitesOn;
};

bool TablePacker::packRun(const QList<quint32> &run, TablePacking &out) const
{
    QList<LiveRow> rows;
    qint64 deleted = 0;
    for (quint32 p : run) {
        const int count = le16(m_a.pages[p], m_a.rowCountAt());
        for (int r = 0; r < count; ++r) {
            LiveRow row{p, r};
            if (!m_a.rowBounds(p, r, row.start, row.end, &row.flags))
                return false;
            // 0x8000 alone marks an overflow target, which is kept.
            if ((row.flags & 0xC000) == 0xC000)
                ++deleted;
            else
                rows.append(row);
        }
    }

    // Rows grow down from the page end behind the header and offset table.
    const int countAt = m_a.rowCountAt(), offsetsAt = countAt + 2, size = m_a.pageSize;
    QList<int> pageOf(rows.size()), numberOf(rows.size()), startOf(rows.size());
    int page = 0, count = 0, end = size;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const int length = rows[i].end - rows[i].start;
        if (count == maxRowsPerPage || end - length < offsetsAt + 2 * (count + 1)) {
            ++page;
            count = 0;
            end = size;
        }
        end -= length;
        pageOf[i] = page;
        numberOf[i] = count++;
        startOf[i] = end;
    }
    const int used = page + 1;
    if (used == run.size() && deleted == 0)
        return true;

    QList<QByteArray> fresh;
    for (int k = 0; k < used; ++k) {
        QByteArray bytes(size, '\0');
        std::memcpy(bytes.data(), m_a.pages[run[k]].constData(), size_t(countAt));
        put16(bytes, 2, quint16(size - offsetsAt));
        fresh.append(bytes);
    }
    qsizetype sitesMoved = 0;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const LiveRow &row = rows[i];
        QByteArray &bytes = fresh[pageOf[i]];
        const int length = row.end - row.start;
        std::memcpy(bytes.data() + startOf[i], m_a.pages[row.page].constData() + row.start,
                    size_t(length));
        put16(bytes, offsetsAt + 2 * numberOf[i], quint16(startOf[i] | row.flags));
        put16(bytes, countAt, quint16(numberOf[i] + 1));
        put16(bytes, 2, quint16(le16(bytes, 2) - length - 2));
        const quint32 to = run[pageOf[i]];
        out.moves.insert(row.page << 8 | quint32(row.row), to << 8 | quint32(numberOf[i]));
        for (qsizetype s : m_sitesOn.value(row.page)) {
            const PointerSite &site = m_a.sites[s];
            if (site.offset < row.start || site.offset + 4 > row.end)
                continue;
            out.sites.append({s, {to, startOf[i] + site.offset - row.start, site.dataPointer}});
            ++sitesMoved;
        }
    }
    // A reference lying outside every live row would be left behind.
    qsizetype sitesOnRun = 0;
    for (quint32 p : run)
        sitesOnRun += m_sitesOn.value(p).size();
    if (sitesMoved != sitesOnRun)
        return false;

    for (int k = 0; k < used; ++k)
        out.pages.insert(run[k], fresh[k]);
    out.released += run.mid(used);
    out.deletedRows += deleted;
    return true;
}

bool TablePacker::repoint(const QList<qsizetype> &indexPages, TablePacking &out) const
{
    for (qsizetype n : indexPages) {
        const IndexPageAccount &ip = m_a.indexPages[n];
        QList<IndexEntry> entries = ip.entries;
        for (IndexEntry &e : entries) {
            const auto to = out.moves.constFind(e.row);
            if (to == out.moves.cend())
                continue;
            const qsizetype at = e.full.size() - (ip.leaf ? 4 : 8);
            e.row = *to;
            e.full[at] = char(e.row >> 24);
            e.full[at + 1] = char(e.row >> 16);
            e.full[at + 2] = char(e.row >> 8);
            e.full[at + 3] = char(e.row);
        }
        // Every entry but the first is stored without the first's prefix.
        const QByteArray prefix =
            entries.isEmpty() ? QByteArray() : entries.first().full.left(ip.prefix);
        for (const IndexEntry &e : std::as_const(entries))
            if (!e.full.startsWith(prefix))
                return false;
        out.indexPages.append({n, entries});
    }
    return true;
}

void commit(PageAccount &a, TableAccount &t, const TablePacking &packing)
{
    for (auto it = packing.pages.cbegin(); it != packing.pages.cend(); ++it)
        a.pages[it.key()] = it.value();
    for (quint32 p : packing.released) {
        a.roles[p] = PageRole::None;
        a.owners[p] = 0;
        t.dataPages.removeOne(p);
    }
    for (const auto &[n, site] : packing.sites)
        a.sites[n] = site;
    for (const auto &[n, entries] : packing.indexPages) {
        IndexPageAccount &ip = a.indexPages[n];
        QByteArray &bytes = a.pages[ip.page];
        for (qsizetype i = 0; i < entries.size(); ++i) {
            const QByteArray stored = i == 0 ? entries[i].full : entries[i].full.mid(ip.prefix);
            std::copy(stored.begin(), stored.end(), bytes.begin() + entries[i].position);
        }
        ip.entries = entries;
    }
}

} // namespace

RowPackingFigures packRows(PageAccount &a)
{
    RowPackingFigures figures;
    QHash<quint32, QList<qsizetype>> sitesOn;
    QSet<quint32> held;
    for (qsizetype s = 0; s < a.sites.size(); ++s) {
        const PointerSite &site = a.sites[s];
        sitesOn[site.page].append(s);
        if (!site.dataPointer)
            continue;
        const quint32 target = le32(a.pages[site.page], site.offset) >> 8;
        if (a.roles.value(target) == PageRole::Data)
            held.insert(target);
    }
    QHash<quint32, QList<qsizetype>> indexPagesOf;
    for (qsizetype n = 0; n < a.indexPages.size(); ++n)
        indexPagesOf[a.indexPages[n].tablePage].append(n);

    const TablePacker packer(a, sitesOn);
    for (TableAccount &t : a.tables) {
        TablePacking packing;
        bool certain = true;
        QList<quint32> run;
        const auto packRun = [&] {
            certain = certain && (run.isEmpty() || packer.packRun(run, packing));
            run.clear();
        };
        for (quint32 p : std::as_const(t.dataPages)) {
            if (held.contains(p))
                packRun();
            else
                run.append(p);
        }
        packRun();
        if (!certain || packing.pages.isEmpty() ||
            !packer.repoint(indexPagesOf.value(t.tdef), packing))
            continue;
        commit(a, t, packing);
        figures.deletedRowsDropped += packing.deletedRows;
        figures.dataPagesReleased += quint32(packing.released.size());
    }
    return figures;
}
