#include "maintenance/compactor.h"

#include "host/jet/bytes.h"
#include "host/vb/errors.h"
#include "maintenance/pagecipher.h"
#include "maintenance/rowpacker.h"

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr quint32 Dropped = 0xFFFFFFFFu;

QString fileName(const PageAccount &a)
{
    return a.path;
}

[[noreturn]] void refuse(const PageAccount &a, const QString &why)
{
    throw HostError(Err::NotCompactable,
                    QStringLiteral("The database '%1' was not compacted: %2; the file was left as "
                                   "it was.")
                        .arg(fileName(a), why));
}

// Old page number -> new, Dropped for pages left out.
QVector<quint32> renumber(const PageAccount &a, const QSet<quint32> &pinned)
{
    QVector<quint32> to(a.pageCount(), Dropped);
    for (quint32 p : pinned)
        to[p] = p;
    quint32 next = 0;
    for (quint32 p = 0; p < a.pageCount(); ++p) {
        if (!a.live(p) || pinned.contains(p))
            continue;
        while (pinned.contains(next))
            ++next;
        to[p] = next++;
    }
    return to;
}

void putBe24(QByteArray &b, qsizetype at, quint32 v)
{
    b[at] = char(v >> 16);
    b[at + 1] = char(v >> 8);
    b[at + 2] = char(v);
}

quint32 getBe32(const QByteArray &b, qsizetype at)
{
    return quint32(uchar(b[at])) << 24 | quint32(uchar(b[at + 1])) << 16 |
           quint32(uchar(b[at + 2])) << 8 | uchar(b[at + 3]);
}

class Rewrite
{
public:
    Rewrite(const PageAccount &a, const QVector<quint32> &to)
        : m_a(a)
        , m_to(to)
    {
        quint32 count = 0;
        for (quint32 n : to)
            if (n != Dropped)
                count = std::max(count, n + 1);
        m_out.fill(QByteArray(a.pageSize, '\0'), count);
        m_used.fill(false, count);
        for (quint32 p = 0; p < a.pageCount(); ++p)
            if (to[p] != Dropped) {
                m_out[to[p]] = a.pages[p];
                m_used[to[p]] = true;
            }
    }

    // Pages that must stay where they are for the rewrite to be certain.
    QSet<quint32> pins;

    QList<QByteArray> run()
    {
        for (const PointerSite &s : m_a.sites)
            rewriteSite(s);
        for (const UsageMap &m : m_a.maps)
            if (!m.global)
                rewriteMap(m);
        for (const IndexPageAccount &ip : m_a.indexPages)
            rewriteIndexPage(ip);
        for (const UsageMap &m : m_a.maps)
            if (m.global)
                rebuildFreeMap(m);
        return m_out;
    }

private:
    quint32 moved(quint32 page) const
    {
        if (page >= quint32(m_to.size()) || m_to[page] == Dropped)
            refuse(m_a, QStringLiteral("a reference to page %1 would be left dangling").arg(page));
        return m_to[page];
    }
    QByteArray &out(quint32 oldPage) { return m_out[moved(oldPage)]; }

    void rewriteSite(const PointerSite &s)
    {
        const quint32 v = le32(m_a.pages[s.page], s.offset);
        const quint32 n = s.dataPointer ? (moved(v >> 8) << 8 | (v & 0xFF)) : moved(v);
        put32(out(s.page), s.offset, n);
    }

    QList<quint32> movedList(const UsageMap &m) const
    {
        QList<quint32> list;
        for (quint32 p : m.listed)
            if (p < quint32(m_to.size()) && m_to[p] != Dropped)
                list.append(m_to[p]);
        std::sort(list.begin(), list.end());
        return list;
    }

    void pinAll(const UsageMap &m)
    {
        for (quint32 p : m.listed)
            if (m_a.live(p))
                pins.insert(p);
    }

    void rewriteMap(const UsageMap &m)
    {
        QByteArray &page = out(m.page);
        const QList<quint32> list = movedList(m);
        if (m.type == 0) {
            const qint64 bits = qint64(m.end - m.start - 5) * 8;
            quint32 start = 0;
            if (!list.isEmpty()) {
                start = list.first() / 8 * 8;
                if (qint64(list.last()) - start >= bits) {
                    pinAll(m);
                    return;
                }
            }
            put32(page, m.start + 1, start);
            std::fill(page.begin() + m.start + 5, page.begin() + m.end, '\0');
            for (quint32 p : list) {
                const quint32 bit = p - start;
                page[m.start + 5 + bit / 8] =
                    char(uchar(page[m.start + 5 + bit / 8]) | (1 << (bit % 8)));
            }
            return;
        }
        const quint32 perPage = quint32(m_a.pageSize - 4) * 8;
        for (qsizetype k = 0; k < m.slotPages.size(); ++k) {
            if (m.slotPages[k] == 0)
                continue;
            put32(page, m.start + 1 + 4 * k, moved(m.slotPages[k]));
            QByteArray &bits = out(m.slotPages[k]);
            std::fill(bits.begin() + 4, bits.end(), '\0');
        }
        for (quint32 p : list) {
            const qsizetype slot = p / perPage;
            if (slot >= m.slotPages.size() || m.slotPages[slot] == 0) {
                pinAll(m);
                return;
            }
            QByteArray &bits = out(m.slotPages[slot]);
            const quint32 bit = p % perPage;
            bits[4 + bit / 8] = char(uchar(bits[4 + bit / 8]) | (1 << (bit % 8)));
        }
    }

    void rewriteIndexPage(const IndexPageAccount &ip)
    {
        QList<QByteArray> fresh;
        for (const IndexEntry &e : ip.entries) {
            QByteArray full = e.full;
            const qsizetype at = full.size() - (ip.leaf ? 4 : 8);
            const quint32 rowPage = quint32(uchar(full[at])) << 16 |
                                    quint32(uchar(full[at + 1])) << 8 | uchar(full[at + 2]);
            putBe24(full, at, moved(rowPage));
            if (!ip.leaf) {
                const quint32 child = moved(getBe32(full, at + 4));
                putBe24(full, at + 4, child >> 8);
                full[at + 7] = char(child & 0xFF);
            }
            fresh.append(full);
        }
        // Every entry but the first lacks the first entry's prefix: new page
        // numbers must not break what the entries share.
        for (const QByteArray &f : std::as_const(fresh))
            if (f.left(ip.prefix) != fresh.first().left(ip.prefix)) {
                for (const TableAccount &t : m_a.tables)
                    if (t.tdef == ip.tablePage)
                        for (quint32 p : t.dataPages)
                            pins.insert(p);
                return;
            }
        QByteArray &page = out(ip.page);
        for (qsizetype i = 0; i < fresh.size(); ++i) {
            const QByteArray stored = i == 0 ? fresh[i] : fresh[i].mid(ip.prefix);
            std::copy(stored.begin(), stored.end(), page.begin() + ip.entries[i].position);
        }
    }

    void rebuildFreeMap(const UsageMap &m)
    {
        QByteArray &page = out(m.page);
        const quint32 start = le32(page, m.start + 1);
        const qint64 bits = qint64(m.end - m.start - 5) * 8;
        std::fill(page.begin() + m.start + 5, page.begin() + m.end, '\0');
        for (qint64 bit = 0; bit < bits; ++bit) {
            const qint64 p = qint64(start) + bit;
            if (p < m_used.size() && m_used[p])
                continue;
            page[m.start + 5 + bit / 8] =
                char(uchar(page[m.start + 5 + bit / 8]) | (1 << (bit % 8)));
        }
    }

    const PageAccount &m_a;
    const QVector<quint32> &m_to;
    QList<QByteArray> m_out;
    QVector<bool> m_used;
};

} // namespace

QList<QByteArray> compactedPages(const PageAccount &source, CompactionFigures *figures)
{
    if (source.version >= 2)
        refuse(source, QStringLiteral("it is an ACE (.accdb) file, whose pages this compaction "
                                      "does not know with certainty"));
    if (!source.problems.isEmpty())
        refuse(source, source.problems.first());
    PageAccount account = source;
    const RowPackingFigures packing = packRows(account);
    QSet<quint32> pinned{0, 1, 2};
    for (const TableAccount &t : account.tables)
        for (quint32 p : t.definitionPages)
            pinned.insert(p);
    const qsizetype fixed = pinned.size();
    for (;;) {
        const QVector<quint32> to = renumber(account, pinned);
        Rewrite rewrite(account, to);
        QList<QByteArray> pages = rewrite.run();
        const qsizetype before = pinned.size();
        pinned.unite(rewrite.pins);
        if (!rewrite.pins.isEmpty() && pinned.size() == before)
            refuse(account, QStringLiteral("a page reference cannot be rewritten with certainty"));
        if (pinned.size() != before)
            continue;
        for (quint32 p = 1; p < quint32(pages.size()); ++p)
            cryptPage(pages[p], account.databaseKey, p);
        if (figures) {
            figures->pagesBefore = account.pageCount();
            figures->pagesAfter = quint32(pages.size());
            figures->pagesDropped = 0;
            for (quint32 p = 0; p < account.pageCount(); ++p)
                figures->pagesDropped += to[p] == Dropped;
            figures->pagesKeptInPlace = quint32(pinned.size() - fixed);
            figures->deletedRowsDropped = packing.deletedRowsDropped;
            figures->bytesBefore = qint64(account.pageCount()) * account.pageSize;
            figures->bytesAfter = qint64(pages.size()) * account.pageSize;
        }
        return pages;
    }
}

void writeNewFile(const QString &path, const QList<QByteArray> &pages)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        if (QFile::exists(path))
            throw HostError(Err::DatabaseExists,
                            QStringLiteral("Database already exists: '%1'.").arg(path));
        throw HostError(
            Err::PathFileAccess,
            QStringLiteral("Path/File access error: '%1' (%2)").arg(path, file.errorString()));
    }
    // Pages go straight to the file, so that the first failed write names
    // its own cause (no space, the file size limit).
    int error = 0;
    for (const QByteArray &page : pages) {
        for (qsizetype done = 0; done < page.size() && !error;) {
            const ssize_t n =
                ::write(file.handle(), page.constData() + done, size_t(page.size() - done));
            if (n > 0)
                done += n;
            else if (n < 0 && errno != EINTR)
                error = errno;
        }
        if (error)
            break;
    }
    if (!error && ::fsync(file.handle()) != 0)
        error = errno;
    const bool ok = error == 0;
    const QString why = QString::fromLocal8Bit(std::strerror(error));
    file.close();
    if (!ok) {
        QFile::remove(path);
        throw HostError(Err::DiskFull,
                        QStringLiteral("Disk full: the copy '%1' could not be written (%2); it was "
                                       "removed.")
                            .arg(path, why));
    }
}

CompactionFigures writeCompactedCopy(const PageAccount &account, const QString &destination)
{
    if (QFile::exists(destination))
        throw HostError(Err::DatabaseExists,
                        QStringLiteral("Database already exists: '%1'.").arg(destination));
    CompactionFigures figures;
    writeNewFile(destination, compactedPages(account, &figures));
    return figures;
}
