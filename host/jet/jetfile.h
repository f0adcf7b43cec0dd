#pragma once

// JetFile is one .mdb/.accdb opened read-only through libmdb, after its header
// was checked here (libmdb trusts headers and reports failures only on
// stderr). JetTable walks one table's rows as raw bytes, so that text, dates,
// currency and long values are decoded here exactly rather than through
// libmdb's printf-based strings.

#include "host/jet/jetoptions.h"
#include "host/jet/mdb.h"
#include "host/vb/value.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <mutex>

// The facts of page 0 the reader needs before libmdb opens the file.
struct JetHeader
{
    int version = 0; // 0 Jet 3, 1 Jet 4, 2 ACE 12, 3 ACE 14, ...
    int pageSize = 0;
    quint16 codePage = 0;
    quint32 databaseKey = 0;

    bool isJet3() const { return version == 0; }
    // Database.Version as DAO reports it: "3.0", "4.0", "12.0", ...
    QString daoVersion() const;
};

// Checks the first page of a file of fileSize bytes: not Jet/ACE raises 3343,
// truncated 3049, an Office-encrypted ACE file 31002.
JetHeader parseJetHeader(const QByteArray &firstPage, qint64 fileSize, const QString &path);

// The iconv name for a Jet 3 code page: 932 -> "CP932", 0 -> "CP1252", ...
QString jet3CharsetFor(quint16 codePage);

// True when `name` is an iconv encoding Jet 3 text can be in: a single- or
// double-byte ANSI code page (CP1252, CP932, ISO-8859-1 ...), not UTF-8,
// UTF-16 or another Unicode form.
bool isAnsiCharset(const QString &name);

// Decodes Jet 4/ACE text: UCS-2 little endian, or the compressed form that
// starts with FF FE and toggles between one- and two-byte runs at each 00.
QString decodeJet4Text(const char *data, qsizetype size);

// A Decimal value (a sign byte, then a 128-bit magnitude as four 32-bit
// words, most significant first, each little endian) as exact digits with
// `scale` of them after the point, trailing zeros dropped: "-36.2222".
QString decimalText(const char *data17, int scale);

class JetFile
{
public:
    // Raises 3024 (missing), 3044 (name too long, or a part of the path is
    // not a folder), 3051 (cannot be read, a folder on the way not entered),
    // 3343, 3049, 31002, or 5 for a Jet 3 charset that is no ANSI code page.
    static std::shared_ptr<JetFile> open(const QString &path, const JetOptions &options);
    ~JetFile();
    JetFile(const JetFile &) = delete;
    JetFile &operator=(const JetFile &) = delete;

    const QString &path() const { return m_path; }
    const JetHeader &header() const { return m_header; }
    const QString &jet3Charset() const { return m_charset; }
    qint64 pageCount() const { return m_pageCount; }

    // Text as stored in rows, names and property blobs.
    QString decodeText(const char *data, qsizetype size) const;

    // Every use of the handle holds this lock: libmdb keeps one page buffer.
    std::recursive_mutex &mutex() const { return m_mutex; }
    MdbHandle *handle() const { return m_mdb; }

    [[noreturn]] void raiseDamaged(const QString &what) const;

    // A page as libmdb reads it (decrypted); raises 3049 past the end.
    QByteArray readPage(quint32 page) const;
    // A TDEF with its continuation pages joined.
    QByteArray readTableDefinition(quint32 page) const;
    // The bytes of row `row` of data page `page` (long-value rows too).
    QByteArray readRow(quint32 page, int row) const;
    // A memo/OLE value from its 12-byte reference; inline data follows it.
    QByteArray readLongValue(const QByteArray &field) const;

private:
    JetFile() = default;

    QString m_path;
    JetHeader m_header;
    QString m_charset;
    qint64 m_pageCount = 0;
    MdbHandle *m_mdb = nullptr;
    iconv_t m_iconv = iconv_t(-1); // Jet 3 text
    mutable std::recursive_mutex m_mutex;
};

// One column of a table definition, as stored.
struct JetColumnDef
{
    QString name;
    int type = 0;   // Jet column type code
    int number = 0; // column number (deleted columns leave gaps)
    int size = 0;   // bytes as stored
    int flags = 0;  // 0x01 fixed, 0x04 AutoNumber, 0x40 GUID AutoNumber, 0x80 hyperlink
    int precision = 0;
    int scale = 0;
    quint32 complexId = 0; // complex columns (0x12): their MSysComplexColumns.ComplexID
    int fixedOffset = 0;   // fixed columns: where the value lies after the column count
    int varIndex = 0;      // variable columns: the entry in a row's offset table
    int sortOrder = 0;     // Text: the LCID of its collation (0x0409 General)
    int sortVersion = 0;   // Text, Jet 4: the collation's version (0 up to Access 2007)
    quint16 codePage = 0;  // Text, Jet 3: the code page it is stored in (0: the file's)
    bool fixed() const { return flags & 0x01; }
};

struct JetIndexDef
{
    QString name;
    int type = 0;             // 1 primary key, 2 foreign key (relationship), 0 other
    int flags = 0;            // 0x01 unique, 0x02 ignore nulls, 0x08 required
    QList<int> columnNumbers; // key order
    QList<bool> descending;
    int realIndex = -1; // the real index (the tree) it uses
};

// A table definition read from its TDEF pages (without libmdb, whose index
// reader matches physical and logical indexes by the wrong number).
struct JetTableDefinition
{
    qint32 rowCount = 0;         // as stored: often stale in Access files (system tables above all)
    int variableColumns = 0;     // as stored; rows have an offset table only when nonzero
    QList<JetColumnDef> columns; // in column-number order
    QList<JetIndexDef> indexes;  // logical order
};

// Parses the bytes of a TDEF (its pages joined, each continuation page
// without its 8-byte header). Raises 3049 through file when inconsistent.
JetTableDefinition parseTableDefinition(const QByteArray &tdef, const JetFile &file);

// The stored size of a Byte, Integer, Long, Currency, Single, Double,
// Date/Time or large-number value; 0 for other types.
int storedNumberSize(int type);
// Such a value from its storedNumberSize(type) little-endian bytes.
Value storedNumber(int type, const char *data);

// Where a column's value lies in a row: `start` and `size` into the row's
// bytes. A Yes/No column keeps its value in `null` (set means No).
struct JetCell
{
    bool null = true;
    int start = 0;
    int size = 0;
};

// Splits a row (its bytes as stored on the page) into one cell per column of
// `def`, in its column order. False when the row's column count, null mask
// or offset table point outside the row.
bool crackRow(const QByteArray &row, bool jet3, const JetTableDefinition &def,
              QList<JetCell> &cells);

// One local table; rows are walked in storage order through the table's page
// map, split by crackRow, values decoded here from the raw bytes.
// Pages and rows that cannot be read are skipped and noted as skipped
// damage; a definition that cannot be read raises 3049.
class JetTable
{
public:
    // Raises 3049 when the page holds no readable table definition.
    JetTable(std::shared_ptr<JetFile> file, quint32 tdefPage, const QString &name);
    JetTable(const JetTable &) = delete;
    JetTable &operator=(const JetTable &) = delete;

    const JetTableDefinition &definition() const { return m_definition; }
    const QList<JetColumnDef> &columns() const { return m_definition.columns; }
    int columnIndex(QStringView name) const; // -1 when absent
    const std::shared_ptr<JetFile> &file() const { return m_file; }

    // Moves to the next live row; false at the end.
    bool next();
    bool isNull(int column) const;
    QByteArray bytes(int column) const;
    // The whole memo/OLE value behind a long-value reference.
    QByteArray longValue(int column) const;
    // Text, memo or (as text) any other value, Decimal with all its digits;
    // empty when null.
    QString text(int column) const;
    // The row value typed as DAO hands it out (Null when null).
    Value value(int column) const;
    // Whether a page or row was skipped so far.
    bool skippedDamage() const { return m_skipped; }

private:
    void readPageMapRow(const QByteArray &tdef);
    void skip(const QString &what) const;
    void readUsageMap();
    bool loadDataPage(quint32 page);
    bool rowBounds(quint32 page, int row, int &start, int &size) const;
    bool followOverflow(quint32 &page, int &row, int &start, int &size);

    std::shared_ptr<JetFile> m_file;
    QString m_name;
    JetTableDefinition m_definition;
    quint32 m_tdefPage = 0;
    QByteArray m_pageMap; // the row the definition names
    QByteArray m_row;
    QList<JetCell> m_cells;
    bool m_started = false;
    QList<quint32> m_pages; // data pages named by the usage map
    qsizetype m_pageIndex = -1;
    int m_pageRows = 0; // rows of the current page
    int m_nextRow = 0;
    mutable bool m_skipped = false;
};
