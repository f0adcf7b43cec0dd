#pragma once

// PageAccount reads a Jet 3 / Jet 4 file page by page and accounts for every
// live page: who points at it, from where, and in which encoding. It is the
// ground both the compactor (which renumbers pages and rewrites every
// reference recorded here) and the integrity check (which reports what does
// not add up) stand on. Anything the account cannot explain is recorded as
// a problem with its page and table; the compactor refuses a file with any
// problem, the integrity check reports them.

#include "host/jet/jetfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

enum class PageRole : quint8 {
    None, // free, released or dead: nothing live names it
    Header,
    DatabaseMaps, // page 1
    TableDefinition,
    Data,
    LongValue,
    MapRows, // a data page holding usage-map rows
    MapBits, // a type-0x05 bitmap page of a reference map
    Index,
};

// A 4-byte reference at a byte position of a page: a plain page number, or a
// data pointer (row in the low byte, page above it).
struct PointerSite
{
    quint32 page = 0;
    int offset = 0;
    bool dataPointer = false;
};

// A usage-map row and the pages it lists.
struct UsageMap
{
    quint32 page = 0; // where the row lies
    int row = 0;
    int start = 0; // the row's byte range in its page
    int end = 0;
    int type = 0;             // 0 inline bitmap, 1 reference (slot pages)
    QList<quint32> listed;    // ascending
    QList<quint32> slotPages; // type 1: the bitmap page of each slot, 0 for none
    quint32 tablePage = 0;    // the table it belongs to; 0 for the database-wide maps
    QString what;             // "table 'Orders': owned pages", for messages
    bool global = false;      // page 1 row 0: set bit = free page
};

struct IndexEntry
{
    QByteArray full;  // key, row pointer (3 bytes big-endian + row), child (4 bytes big-endian)
    int position = 0; // where its stored bytes start in the page
    quint32 row = 0;  // the row it points at: page << 8 | row number
};

struct IndexPageAccount
{
    quint32 page = 0;
    quint32 tablePage = 0;
    int index = 0; // the table's real index it belongs to
    bool leaf = true;
    int prefix = 0;
    QList<IndexEntry> entries;
};

struct TableAccount
{
    QString name;
    quint32 tdef = 0;
    QList<quint32> definitionPages; // the head and its continuations
    JetTableDefinition definition;
    QList<quint32> dataPages;
    QList<int> indexFlags; // per real index: 0x01 unique, 0x02 ignore nulls
    qint64 liveRows = 0;
};

class PageAccount
{
public:
    // Reads the file at path. Raises what JetFile::open raises for a file
    // that is no readable Jet file; everything past that becomes a problem.
    static PageAccount read(const QString &path);

    QString path;
    int pageSize = 0;
    bool jet3 = false;
    int version = 0;
    quint32 databaseKey = 0;
    quint16 codePage = 0;    // the header's: Jet 3 text
    QList<QByteArray> pages; // decrypted, page 0 as stored
    QVector<PageRole> roles;
    QVector<quint32> owners; // the table (its TDEF page) a page belongs to
    QList<PointerSite> sites;
    QList<UsageMap> maps;
    QList<IndexPageAccount> indexPages;
    QList<TableAccount> tables;
    QStringList problems;

    quint32 pageCount() const { return quint32(pages.size()); }
    bool live(quint32 page) const
    {
        return page < quint32(roles.size()) && roles[page] != PageRole::None;
    }
    int rowCountAt() const { return jet3 ? 8 : 12; }
    // Byte range of row `row` of a data page; false when it does not exist.
    bool rowBounds(quint32 page, int row, int &start, int &end, int *flags = nullptr) const;
};

// Decodes a usage-map row (without recording anything): the pages it lists.
// False when the row is of an unknown kind or names a missing bitmap page.
bool decodeUsageMap(const PageAccount &account, const QByteArray &row, UsageMap &map);
