#pragma once

// Internal parts of the Jet writer (host/jet/write/jetwriter.h): the file as a
// list of pages, data-page packing, usage maps, table definitions, row
// packing and long values, for the format fmt() names.

#include "host/jet/bytes.h"
#include "host/jet/write/jetwriter.h"

#include <QByteArray>
#include <QList>

namespace jetw {

inline constexpr int inlineLongLimit = 64; // longer memo/OLE values go to LVAL pages

[[noreturn]] void fail(const QString &message);

// What differs between the two formats the writer produces: Jet 3 (2 KB
// pages, text in a code page, 1-byte counts) and Jet 4 (4 KB, UTF-16).
struct JetFormat
{
    bool jet3 = false;
    int pageSize = 4096;
    int dataPageHeader = 14; // through the row count
    quint16 codePage = 1252; // Jet 3 text
    int sortOrder = 0x0409;
    int maxRowSize() const { return pageSize - dataPageHeader - 2; }
    int rowCountAt() const { return dataPageHeader - 2; }
    // Text as the format stores it; raises 3000 naming `what` when the code
    // page lacks a character.
    QByteArray text(const QString &s, const QString &what = QString()) const;
    // A name with its length prefix: u8 + code-page bytes, or u16 + UTF-16.
    QByteArray lengthPrefixed(const QString &name) const;
};

// The format of the database being built; set for the length of one build.
const JetFormat &fmt();
class FormatScope
{
public:
    explicit FormatScope(const JetFormat &format);
    ~FormatScope();
    FormatScope(const FormatScope &) = delete;
    FormatScope &operator=(const FormatScope &) = delete;

private:
    const JetFormat *m_previous;
};

QByteArray ucs2(const QString &s);

// A data pointer: row number in the low byte, page above it.
inline quint32 dataPointer(quint32 page, int row)
{
    return (page << 8) | quint32(row);
}

class PageFile
{
public:
    quint32 add(const QByteArray &page);
    quint32 count() const { return quint32(m_pages.size()); }
    QByteArray &operator[](quint32 page) { return m_pages[page]; }
    QByteArray join() const;

private:
    QList<QByteArray> m_pages;
};

// Packs rows onto data pages that all carry the same bytes 4..11 (the owner
// TDEF page, "LVAL", or 0 for usage-map rows), opening a new page when one
// is full. A pager of usage-map rows places an inline map too wide for a
// page as a reference map: its bitmap on type-0x05 pages added to the file,
// the row listing them.
class RowPager
{
public:
    RowPager(PageFile &file, const QByteArray &ownerBytes);
    static RowPager forOwner(PageFile &file, quint32 ownerPage);
    static RowPager forLongValues(PageFile &file);

    quint32 add(const QByteArray &row); // returns the row's data pointer
    // Flags a row this pager added as deleted; its bytes stay.
    void markDeleted(quint32 pointer);
    const QList<quint32> &pages() const { return m_pages; }

private:
    PageFile *m_file;
    QByteArray m_owner;
    QList<quint32> m_pages;
};

// The page-0 header, masked.
QByteArray headerPage(const JetWriterDatabase &db);
// An inline usage-map row (type 0) listing pages, as wide as their span
// needs (see RowPager for one wider than a page); globalMap = true sets the
// bits of the pages from `fileEnd` on instead (the global map marks pages
// beyond the file free), starting the map at the file's end when a map from
// page 0 would not fit a row.
QByteArray usageMapRow(const QList<quint32> &pages, quint32 fileEnd = 0, bool globalMap = false);

// --- tables ---------------------------------------------------------------

struct ColumnLayout
{
    JetWriterColumn def;
    int number = 0;
    int varIndex = -1; // -1 fixed
    int fixedOffset = 0;
    int storedSize = 0;
    bool isLong() const { return def.type == JetType::Memo || def.type == JetType::Ole; }
};

// One index; the writer gives each logical index its own real index.
struct IndexLayout
{
    QString name;
    QList<int> columns; // column numbers, key order
    QList<bool> descending;
    bool primary = false;
    int flags = 0; // 0x01 unique, 0x02 ignore nulls, 0x08 required, 0x80 Jet 4
    quint32 root = 0;
    quint32 map = 0;  // data pointer of the index usage map
    quint32 keys = 0; // distinct keys, which the TDEF keeps
};

// One table as it is laid out: its TDEF page, columns and the pointers the
// TDEF names once the pages are written.
struct TableLayout
{
    QString name;
    bool system = false;
    quint32 tdefPage = 0;
    QList<ColumnLayout> columns;
    QList<QList<Value>> rows;
    QList<QList<Value>> deletedRows; // see JetWriterTable
    qint32 nextAutoNumber = 1;
    qint32 lastAutoNumber = 0; // the TDEF holds the highest value used
    quint32 ownedMap = 0, freeMap = 0;
    QList<quint32> longOwned, longFree; // per long column, in column order
    QList<IndexLayout> indexes;         // the primary key first
};

TableLayout layoutTable(const QString &name, const QList<JetWriterColumn> &columns, bool system);
// Coerces each row to the column types and fills AutoNumbers.
void normaliseRows(TableLayout &t, const QList<QList<Value>> &rows);
// Packs one row; long values are placed through the column's pager.
QByteArray packRow(const TableLayout &t, const QList<Value> &row, QList<RowPager> &longPagers);
QByteArray tableDefinition(const TableLayout &t);

// --- indexes (jetwriterindex.cpp) ------------------------------------------

// Checks an index description against the table's columns.
IndexLayout layoutIndex(const TableLayout &t, const JetWriterIndex &def, bool primary);
// The key bytes of a row, all key columns in order (jetindexkey.h).
QByteArray indexKey(const TableLayout &t, const IndexLayout &ix, const QList<Value> &row);
// Writes the index tree of the rows, whose data pointers are given; sets the
// root and key count and returns the tree's pages.
QList<quint32> writeIndex(PageFile &file, const TableLayout &t, IndexLayout &ix,
                          const QList<quint32> &rowPointers);

// --- properties and catalog ----------------------------------------------

QByteArray propertyBlob(const QList<JetWriterProperty> &own,
                        const QList<QPair<QString, QList<JetWriterProperty>>> &columns);

} // namespace jetw
