// The parts of the Jet reader that work on bytes and rows alone: SQL rebuilt
// from MSysQueries rows, property blobs, the file header and Jet 4 text.

#include "host/jet/jetfile.h"
#include "host/jet/jetprops.h"
#include "host/jet/jetquery.h"
#include "host/vb/errors.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {

JetQueryRow row(int attribute, const QString &name1 = QString(), const QString &name2 = QString(),
                const QString &expression = QString(), int flag = 0)
{
    return JetQueryRow{attribute, name1, name2, expression, flag, 0};
}

QByteArray le16(int v)
{
    QByteArray b(2, 0);
    qToLittleEndian<quint16>(quint16(v), b.data());
    return b;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, 0);
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray ucs2(const QString &s)
{
    return QByteArray(reinterpret_cast<const char *>(s.utf16()), s.size() * 2);
}

QByteArray entry(int type, int nameIndex, const QByteArray &data)
{
    return le16(8 + int(data.size())) + char(0) + char(type) + le16(nameIndex) +
           le16(int(data.size())) + data;
}

QByteArray chunk(int type, const QByteArray &body)
{
    return le32(quint32(6 + body.size())) + le16(type) + body;
}

QByteArray valueBlock(const QString &name, const QByteArray &entries)
{
    const QByteArray n = ucs2(name);
    return chunk(name.isEmpty() ? 0 : 1,
                 le32(quint32(6 + n.size())) + le16(int(n.size())) + n + entries);
}

const JetTextDecoder jet4 = [](const char *d, qsizetype n) { return decodeJet4Text(d, n); };

} // namespace

TEST(JetQuerySql, SelectOptionsParametersAndClauses)
{
    QList<JetQueryRow> rows = {
        row(0),
        row(1, {}, {}, {}, 1),
        row(2, QStringLiteral("Forms!Sales Dialog!Start"), {}, {}, 8),
        row(2, QStringLiteral("Size"), {}, {}, 10),
        row(3, QStringLiteral("25"), {}, {}, 0x08 | 0x10 | 0x20 | 0x04),
        row(5, QStringLiteral("Order Details"), QStringLiteral("od")),
        row(6, QStringLiteral("Total Sum"), {}, QStringLiteral("Sum(od.Price)")),
        row(6, {}, {}, QStringLiteral("od.OrderID")),
        row(9, {}, {}, QStringLiteral("od.OrderID")),
        row(11, QStringLiteral("D"), {}, QStringLiteral("Sum(od.Price)")),
        row(11, {}, {}, QStringLiteral("od.OrderID")),
        row(255),
    };
    rows[3].extra = 40;
    EXPECT_EQ(buildQuerySql(rows, 0),
              QStringLiteral("PARAMETERS [Forms]![Sales Dialog]![Start] DateTime, "
                             "[Size] Text ( 40 );\r\n"
                             "SELECT DISTINCTROW TOP 25 PERCENT Sum(od.Price) AS [Total Sum], "
                             "od.OrderID\r\n"
                             "FROM [Order Details] AS od\r\n"
                             "GROUP BY od.OrderID\r\n"
                             "ORDER BY Sum(od.Price) DESC, od.OrderID\r\n"
                             "WITH OWNERACCESS OPTION;"));
    // Jet 3 keeps no parameter sizes.
    EXPECT_TRUE(buildQuerySql(rows, 0, true)
                    .startsWith(QStringLiteral(
                        "PARAMETERS [Forms]![Sales Dialog]![Start] DateTime, [Size] Text;")));
}

TEST(JetQuerySql, JoinsNestInStorageOrderAndShareConditions)
{
    const QList<JetQueryRow> rows = {
        row(1, {}, {}, {}, 1),
        row(3, {}, {}, {}, 0x01),
        row(5, QStringLiteral("A")),
        row(5, QStringLiteral("B")),
        row(5, QStringLiteral("C")),
        row(5, QStringLiteral("D")),
        row(7, QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("B.x = C.x"), 2),
        row(7, QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("C.y = D.y"), 3),
        row(7, QStringLiteral("C"), QStringLiteral("D"), QStringLiteral("C.z = D.z"), 3),
        row(8, {}, {}, QStringLiteral("A.k > 1")),
    };
    EXPECT_EQ(buildQuerySql(rows, 0),
              QStringLiteral("SELECT *\r\n"
                             "FROM A, (B LEFT JOIN C ON B.x = C.x) RIGHT JOIN D ON (C.z = D.z) "
                             "AND (C.y = D.y)\r\n"
                             "WHERE A.k > 1;"));
}

TEST(JetQuerySql, ActionQueriesKeepTheirTargets)
{
    const QList<JetQueryRow> append = {
        row(1, QStringLiteral("Archive"), QStringLiteral("C:\\old.mdb"), {}, 3),
        row(6, {}, QStringLiteral("Name"), QStringLiteral("\"x\""), 0x8000),
        row(6, {}, QStringLiteral("Qty"), QStringLiteral("3"), 0x8000),
    };
    EXPECT_EQ(buildQuerySql(append, 64),
              QStringLiteral("INSERT INTO Archive IN 'C:\\old.mdb' ( Name, Qty )\r\n"
                             "VALUES (\"x\", 3);"));

    const QList<JetQueryRow> make = {
        row(1, QStringLiteral("New Table"), {}, {}, 2),
        row(5, QStringLiteral("T")),
        row(6, {}, {}, QStringLiteral("T.a")),
    };
    EXPECT_EQ(buildQuerySql(make, 80), QStringLiteral("SELECT T.a INTO [New Table]\r\nFROM T;"));

    // SET stays on the UPDATE line, after the joined tables; WHERE starts the next.
    QList<JetQueryRow> update = {
        row(1, {}, {}, {}, 4),
        row(5, QStringLiteral("Orders")),
        row(5, QStringLiteral("Customers")),
        row(6, {}, QStringLiteral("Orders.Region"), QStringLiteral("Customers.Region")),
        row(6, {}, QStringLiteral("Orders.Checked"), QStringLiteral("True")),
        row(7, QStringLiteral("Orders"), QStringLiteral("Customers"),
            QStringLiteral("Orders.CustomerID = Customers.ID"), 1),
        row(8, {}, {}, QStringLiteral("Orders.Region Is Null")),
    };
    EXPECT_EQ(buildQuerySql(update, 48),
              QStringLiteral("UPDATE Orders INNER JOIN Customers ON Orders.CustomerID = "
                             "Customers.ID SET Orders.Region = Customers.Region, "
                             "Orders.Checked = True\r\n"
                             "WHERE Orders.Region Is Null;"));
    update.removeLast();
    EXPECT_EQ(buildQuerySql(update, 48),
              QStringLiteral("UPDATE Orders INNER JOIN Customers ON Orders.CustomerID = "
                             "Customers.ID SET Orders.Region = Customers.Region, "
                             "Orders.Checked = True;"));

    // The stored kind wins over the catalog's flags; NULs and bare LFs go.
    const QList<JetQueryRow> ddl = {
        row(1, {}, {}, QStringLiteral("CREATE TABLE X\n(a INT);") + QChar(0), 7)};
    EXPECT_EQ(buildQuerySql(ddl, 0), QStringLiteral("CREATE TABLE X\r\n(a INT);"));
    EXPECT_EQ(daoQueryType(queryKind(ddl, 0)), 96);

    const QList<JetQueryRow> passThrough = {
        row(1, QStringLiteral("ODBC;DSN=x"), {}, QStringLiteral("exec p"), 8)};
    EXPECT_EQ(queryConnect(passThrough), QStringLiteral("ODBC;DSN=x"));
    EXPECT_EQ(queryConnect(make), QString());

    const QList<JetQueryRow> unionRows = {
        row(1, {}, {}, {}, 9),
        row(3, {}, {}, {}, 0x02),
        row(5, {}, QStringLiteral("X7YZ_____2"), QStringLiteral("SELECT b FROM U ")),
        row(5, {}, QStringLiteral("X7YZ_____1"), QStringLiteral(" SELECT a FROM T\r\n")),
        row(11, {}, {}, QStringLiteral("a")),
    };
    EXPECT_EQ(buildQuerySql(unionRows, 128),
              QStringLiteral("SELECT a FROM T\r\nUNION SELECT b FROM U\r\nORDER BY a;"));
}

TEST(JetQuerySql, OutputsNameAndLocateTheirColumns)
{
    const QList<JetQueryRow> rows = {
        row(1, {}, {}, {}, 1),
        row(5, QStringLiteral("Orders"), QStringLiteral("o")),
        row(6, {}, {}, QStringLiteral("[o].[Order Date]")),
        row(6, QStringLiteral("Total"), {}, QStringLiteral("o.Qty*2")),
        row(6, {}, {}, QStringLiteral("o.*")),
        row(6, {}, {}, QStringLiteral("Len(o.Name)")),
    };
    const QList<JetQueryOutput> out = queryOutputs(rows, 0);
    ASSERT_EQ(out.size(), 4);
    EXPECT_EQ(out[0].name, QStringLiteral("Order Date"));
    EXPECT_EQ(out[0].table, QStringLiteral("Orders"));
    EXPECT_EQ(out[1].name, QStringLiteral("Total"));
    EXPECT_TRUE(out[1].column.isEmpty());
    EXPECT_EQ(out[2].column, QStringLiteral("*"));
    EXPECT_EQ(out[3].name, QStringLiteral("Expr1000"));
    EXPECT_TRUE(
        queryOutputs({row(1, {}, {}, {}, 4), row(6, {}, {}, QStringLiteral("a"))}, 48).isEmpty());

    EXPECT_EQ(bracketName(QStringLiteral("Order Details")), QStringLiteral("[Order Details]"));
    EXPECT_EQ(bracketName(QStringLiteral("商品")), QStringLiteral("商品"));
    EXPECT_EQ(bracketName(QStringLiteral("2nd")), QStringLiteral("[2nd]"));
    EXPECT_EQ(bracketName(QStringLiteral("[x y]")), QStringLiteral("[x y]"));
}

TEST(JetProperties, BlocksKeepOrderTypesAndColumns)
{
    const QByteArray names = chunk(0x80, le16(22) + ucs2(QStringLiteral("Description")) + le16(22) +
                                             ucs2(QStringLiteral("ColumnWidth")) + le16(16) +
                                             ucs2(QStringLiteral("Required")) + le16(14) +
                                             ucs2(QStringLiteral("Created")));
    QByteArray date(8, 0);
    qToLittleEndian<double>(45000.5, date.data());
    const QByteArray own =
        valueBlock(QString(), entry(12, 0, ucs2(QStringLiteral("Orders"))) + entry(8, 3, date));
    // ColumnWidth is typed Integer but stored in four bytes.
    const QByteArray column =
        valueBlock(QStringLiteral("Qty"),
                   entry(3, 1, le32(1440)) + entry(1, 2, QByteArray(1, 1)) + entry(3, 9, le16(5)));
    const QByteArray blob = QByteArray("MR2\0", 4) + names + own + column;

    bool damaged = true;
    const QList<JetPropertyBlock> blocks = parsePropertyBlob(blob, jet4, &damaged);
    EXPECT_FALSE(damaged);
    ASSERT_EQ(blocks.size(), 2);
    EXPECT_EQ(blocks[0].name, QString());
    ASSERT_EQ(blocks[0].properties.Count(), 2);
    EXPECT_EQ(blocks[0].properties.item(0).value, Value("Orders"));
    EXPECT_EQ(blocks[0].properties.item(1).value, Value::date(45000.5));
    EXPECT_EQ(blocks[1].name, QStringLiteral("Qty"));
    ASSERT_EQ(blocks[1].properties.Count(), 2); // the entry naming index 9 is dropped
    EXPECT_EQ(blocks[1].properties.item(0).name, QStringLiteral("ColumnWidth"));
    EXPECT_EQ(blocks[1].properties.item(0).value, Value::longInt(1440));
    EXPECT_EQ(blocks[1].properties.item(1).value, Value::boolean(true));

    const Properties qty = propertyBlock(blocks, QStringLiteral("qty"), QStringLiteral("Qty"));
    EXPECT_EQ(qty.Count(), 2);
    EXPECT_EQ(propertyBlock(blocks, QStringLiteral("None"), QStringLiteral("None")).Count(), 0);

    // Cut anywhere inside a chunk, the blob yields what was read before the
    // cut, no more, and says it is damaged; cut between chunks, it is whole.
    const QList<qsizetype> chunkEnds = {4, 4 + names.size(), 4 + names.size() + own.size()};
    for (qsizetype cut = 1; cut < blob.size(); ++cut) {
        SCOPED_TRACE(cut);
        const QList<JetPropertyBlock> part = parsePropertyBlob(blob.left(cut), jet4, &damaged);
        EXPECT_LE(part.size(), 2);
        EXPECT_EQ(damaged, !chunkEnds.contains(cut));
    }
    parsePropertyBlob(QByteArray(), jet4, &damaged);
    EXPECT_FALSE(damaged); // no properties at all
    EXPECT_TRUE(parsePropertyBlob(QByteArray("XYZ\0abc", 7), jet4, &damaged).isEmpty());
    EXPECT_TRUE(damaged);
}

TEST(JetRows, CrackerFindsValuesAndRefusesOffsetsOutsideTheRow)
{
    JetTableDefinition def;
    def.variableColumns = 1;
    JetColumnDef id;
    id.type = 4; // Long, fixed at offset 0
    id.flags = 0x01;
    id.size = 4;
    JetColumnDef name;
    name.type = 10; // Text, first variable column
    name.number = 1;
    JetColumnDef added; // a column added after the row was written
    added.type = 4;
    added.number = 2;
    added.flags = 0x01;
    added.fixedOffset = 4;
    added.size = 4;
    def.columns = {id, name, added};
    // Jet 4: column count, fixed values, variable values, end offset, the
    // offsets table backwards, variable count, null mask (1 = not null).
    const QByteArray row("\x02\x00"
                         "\x2a\x00\x00\x00"
                         "ab"
                         "\x08\x00"
                         "\x06\x00"
                         "\x01\x00"
                         "\x03",
                         15);
    QList<JetCell> cells;
    ASSERT_TRUE(crackRow(row, false, def, cells));
    ASSERT_EQ(cells.size(), 3);
    EXPECT_FALSE(cells[0].null);
    EXPECT_EQ(row.mid(cells[0].start, cells[0].size), QByteArray("\x2a\x00\x00\x00", 4));
    EXPECT_FALSE(cells[1].null);
    EXPECT_EQ(row.mid(cells[1].start, cells[1].size), "ab");
    EXPECT_TRUE(cells[2].null);

    QByteArray nullName = row;
    nullName[14] = 0x01;
    ASSERT_TRUE(crackRow(nullName, false, def, cells));
    EXPECT_TRUE(cells[1].null);

    QByteArray pastEnd = row;
    pastEnd[10] = 0x40; // the text would start beyond the row
    EXPECT_FALSE(crackRow(pastEnd, false, def, cells));
    QByteArray tooManyOffsets = row;
    tooManyOffsets[12] = 0x09;
    EXPECT_FALSE(crackRow(tooManyOffsets, false, def, cells));
    // Cut anywhere, every cell it returns lies inside what is left.
    for (qsizetype cut = 0; cut < row.size(); ++cut) {
        const QByteArray part = row.left(cut);
        if (!crackRow(part, false, def, cells))
            continue;
        for (const JetCell &cell : cells)
            EXPECT_LE(cell.start + cell.size, part.size()) << cut;
    }
}

TEST(JetHeader, FormatsTruncationAndEncryption)
{
    // A header page as Jet writes it: the area from 0x18 masked with RC4.
    const auto page = [](int version, quint16 codePage, quint32 key) {
        QByteArray p(4096, 0);
        const QByteArray magic = version >= 2 ? QByteArray("\x00\x01\x00\x00Standard ACE DB", 19)
                                              : QByteArray("\x00\x01\x00\x00Standard Jet DB", 19);
        p.replace(0, magic.size(), magic);
        p[0x14] = char(version);
        QByteArray area(128, 0);
        qToLittleEndian<quint16>(codePage, area.data() + 0x3C - 0x18);
        qToLittleEndian<quint32>(key, area.data() + 0x3E - 0x18);
        const uchar k[4] = {0xC7, 0xDA, 0x39, 0x6B};
        uchar s[256];
        for (int i = 0; i < 256; ++i)
            s[i] = uchar(i);
        for (int i = 0, j = 0; i < 256; ++i) {
            j = (j + s[i] + k[i % 4]) & 0xff;
            std::swap(s[i], s[j]);
        }
        for (int n = 0, i = 0, j = 0; n < 128; ++n) {
            i = (i + 1) & 0xff;
            j = (j + s[i]) & 0xff;
            std::swap(s[i], s[j]);
            p[0x18 + n] = char(area[n] ^ s[(s[i] + s[j]) & 0xff]);
        }
        return p;
    };
    const QString path = QStringLiteral("x.mdb");
    EXPECT_THROW(parseJetHeader(QByteArray("PK\x03\x04", 4), 4096 * 4, path), HostError);
    try {
        parseJetHeader(QByteArray(4096, 'x'), 4096 * 4, path);
        ADD_FAILURE();
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::UnrecognizedFormat);
    }
    const JetHeader jet4h = parseJetHeader(page(1, 0, 0), 4096 * 10, path);
    EXPECT_EQ(jet4h.pageSize, 4096);
    EXPECT_EQ(jet4h.daoVersion(), QStringLiteral("4.0"));
    EXPECT_EQ(parseJetHeader(page(0, 0, 0), 2048 * 3, path).daoVersion(), QStringLiteral("3.0"));
    EXPECT_EQ(parseJetHeader(page(3, 0, 0), 4096 * 3, path).daoVersion(), QStringLiteral("14.0"));
    try {
        parseJetHeader(page(1, 0, 0), 4096 * 10 + 100, path);
        ADD_FAILURE();
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::DamagedDatabase);
    }
    try {
        parseJetHeader(page(2, 0, 0), 4096 * 2, path);
        ADD_FAILURE();
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::DamagedDatabase);
    }
    EXPECT_EQ(parseJetHeader(page(0, 932, 0), 2048 * 3, path).codePage, 932);
    // Jet RC4 page keys are readable; an ACE file with a key is Office-encrypted.
    EXPECT_EQ(parseJetHeader(page(1, 1252, 0x1234), 4096 * 3, path).databaseKey, 0x1234u);
    try {
        parseJetHeader(page(3, 1252, 0x1234), 4096 * 3, path);
        ADD_FAILURE();
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::PasswordProtected);
    }
    EXPECT_EQ(jet3CharsetFor(932), QStringLiteral("CP932"));
    EXPECT_EQ(jet3CharsetFor(0), QStringLiteral("CP1252"));
}

TEST(JetText, Jet4TextPlainAndCompressed)
{
    const QString plain = QStringLiteral("Ab\u00e9\u5546\U0001F600");
    const QByteArray bytes = ucs2(plain);
    EXPECT_EQ(decodeJet4Text(bytes.constData(), bytes.size()), plain);
    // FF FE, "Ab" one byte each, 00 toggles to two-byte "商", 00 back to "c".
    const QByteArray compressed("\xFF\xFE"
                                "Ab\x00\x46\x55\x00"
                                "c",
                                9);
    EXPECT_EQ(decodeJet4Text(compressed.constData(), compressed.size()),
              QStringLiteral("Ab\u5546c"));
    EXPECT_EQ(decodeJet4Text(bytes.constData(), 3), QStringLiteral("A"));
}

TEST(JetDecimal, ExactDigitsSignScaleAndWordOrder)
{
    const auto stored = [](unsigned __int128 magnitude, bool negative) {
        QByteArray b(17, '\0');
        b[0] = negative ? '\x80' : '\0';
        for (int w = 0; w < 4; ++w)
            qToLittleEndian<quint32>(quint32(magnitude >> (32 * (3 - w))), b.data() + 1 + 4 * w);
        return b;
    };
    const auto text = [&](unsigned __int128 magnitude, int scale, bool negative = false) {
        return decimalText(stored(magnitude, negative).constData(), scale);
    };
    EXPECT_EQ(text(50325000, 6), QStringLiteral("50.325"));
    EXPECT_EQ(text(362222, 4, true), QStringLiteral("-36.2222"));
    EXPECT_EQ(text(123, 4), QStringLiteral("0.0123"));
    EXPECT_EQ(text(10, 1), QStringLiteral("1"));
    EXPECT_EQ(text(0, 3, true), QStringLiteral("0"));
    EXPECT_EQ(text(102030405060654321ULL, 6), QStringLiteral("102030405060.654321"));
    // 28 nines: more digits than a Double holds.
    unsigned __int128 nines = 0;
    for (int i = 0; i < 28; ++i)
        nines = nines * 10 + 9;
    EXPECT_EQ(text(nines, 0), QString(28, u'9'));
    // The first word is the most significant one.
    EXPECT_EQ(text((unsigned __int128)1 << 96 | 1, 0),
              QStringLiteral("79228162514264337593543950337"));
}
