#include "host/jet/write/jetindextree.h"

#include "host/jet/bytes.h"
#include "host/vb/errors.h"

#include <QHash>
#include <QString>
#include <algorithm>

namespace {

void appendBigEndian(QByteArray &out, quint32 v)
{
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

// An index row pointer: 3-byte big-endian page, then the row byte; the
// data pointer keeps the row in its low byte, so the order is the same.
QByteArray entryBytes(const JetIndexTreeEntry &e)
{
    QByteArray out = e.key;
    appendBigEndian(out, e.pointer);
    return out;
}

// A page of the level being built: its number and the greatest entry of
// its subtree (key and row pointer), which its parent stores.
struct Built
{
    quint32 page = 0;
    QByteArray last;
};

class TreeBuilder
{
public:
    TreeBuilder(bool jet3, int pageSize, quint32 owner, const std::function<quint32()> &allocate,
                const QString &where)
        : m_jet3(jet3)
        , m_pageSize(pageSize)
        , m_owner(owner)
        , m_allocate(allocate)
        , m_where(where)
    {
    }

    JetIndexTree build(const QList<JetIndexTreeEntry> &sorted);

private:
    // Index page geometry: the entry-start mask and the first entry's offset.
    int maskAt() const { return m_jet3 ? 22 : 27; }
    int firstEntryAt() const { return m_jet3 ? 248 : 480; }
    int entryRoom() const { return m_pageSize - firstEntryAt(); }
    int linksAt() const { return m_jet3 ? 8 : 12; }

    [[noreturn]] void fail(const QString &what) const
    {
        throw HostError(Err(3000), QStringLiteral("%1: %2").arg(m_where, what));
    }

    // The bytes two keys share at their start; Jet 3 stores the count in a byte.
    qsizetype commonPrefix(const QByteArray &a, const QByteArray &b) const
    {
        qsizetype n = 0;
        while (n < a.size() && n < b.size() && a[n] == b[n])
            ++n;
        return std::min<qsizetype>(n, m_jet3 ? 255 : 65535);
    }

    QByteArray indexPage(bool leaf, const QList<QByteArray> &entries, qsizetype prefix,
                         quint32 tail) const;
    quint32 add(const QByteArray &bytes)
    {
        const quint32 number = m_allocate();
        m_at.insert(number, m_tree.pages.size());
        m_tree.pages.append({number, bytes});
        return number;
    }
    QByteArray &page(quint32 number) { return m_tree.pages[m_at.value(number)].bytes; }
    void link(quint32 number, quint32 previous, quint32 next)
    {
        put32(page(number), linksAt(), previous);
        put32(page(number), linksAt() + 4, next);
    }

    const bool m_jet3;
    const int m_pageSize;
    const quint32 m_owner;
    const std::function<quint32()> &m_allocate;
    const QString m_where;
    JetIndexTree m_tree;
    QHash<quint32, qsizetype> m_at;
};

// One index page: entries whole, the first stored in full and the others
// without the prefix they share with it.
QByteArray TreeBuilder::indexPage(bool leaf, const QList<QByteArray> &entries, qsizetype prefix,
                                  quint32 tail) const
{
    QByteArray page(m_pageSize, '\0');
    page[0] = char(leaf ? 0x04 : 0x03);
    page[1] = 0x01;
    put32(page, 4, m_owner);
    put32(page, linksAt() + 8, tail);
    if (m_jet3)
        page[20] = char(prefix);
    else
        put16(page, 24, quint16(prefix));
    page[m_jet3 ? 21 : 26] = char(leaf ? 0 : 1); // Access marks node pages so
    int at = firstEntryAt();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QByteArray stored = i == 0 ? entries[i] : entries[i].mid(prefix);
        page.replace(at, int(stored.size()), stored);
        at += int(stored.size());
        const int bit = at - firstEntryAt();
        page[maskAt() + bit / 8] = char(page[maskAt() + bit / 8] | (1 << (bit % 8)));
    }
    Q_ASSERT(at <= m_pageSize);
    put16(page, 2, quint16(m_pageSize - at));
    return page;
}

JetIndexTree TreeBuilder::build(const QList<JetIndexTreeEntry> &sorted)
{
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
            fail(QStringLiteral("a key does not fit an index page"));
        leaves.append({first, end});
        first = end;
        if (sorted.isEmpty())
            break;
    }
    QList<quint32> pages;
    const QByteArray blank(m_pageSize, '\0');
    for (qsizetype i = 0; i < leaves.size(); ++i)
        pages.append(add(blank));
    QList<Built> level;
    for (qsizetype i = 0; i < leaves.size(); ++i) {
        const auto [first, end] = leaves[i];
        QList<QByteArray> bytes;
        for (qsizetype e = first; e < end; ++e)
            bytes.append(entryBytes(sorted[e]));
        const qsizetype prefix =
            end - first > 1 ? commonPrefix(sorted[first].key, sorted[end - 1].key) : 0;
        page(pages[i]) = indexPage(true, bytes, prefix, 0);
        link(pages[i], i > 0 ? pages[i - 1] : 0, i + 1 < leaves.size() ? pages[i + 1] : 0);
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
                fail(QStringLiteral("keys too long for index node pages"));
            QList<QByteArray> bytes;
            for (qsizetype c = 0; c + 1 < children.size(); ++c) {
                QByteArray entry = children[c].last;
                appendBigEndian(entry, children[c].page);
                bytes.append(entry);
            }
            const quint32 node = add(indexPage(false, bytes, 0, children.last().page));
            // Leaves chain from the first to the last; node pages only
            // within the node above them.
            if (childrenAreNodes)
                for (qsizetype c = 0; c < children.size(); ++c)
                    link(children[c].page, c > 0 ? children[c - 1].page : 0,
                         c + 1 < children.size() ? children[c + 1].page : 0);
            parents.append({node, children.last().last});
        }
        level = parents;
        childrenAreNodes = true;
    }
    m_tree.root = level.first().page;
    return m_tree;
}

} // namespace

JetIndexTree jetIndexTree(bool jet3, int pageSize, quint32 owner,
                          const QList<JetIndexTreeEntry> &sorted,
                          const std::function<quint32()> &allocate, const QString &where)
{
    return TreeBuilder(jet3, pageSize, owner, allocate, where).build(sorted);
}
