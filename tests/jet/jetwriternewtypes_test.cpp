// GUID (Replication ID) and Decimal columns of the writer, read back through
// our JetSource and through mdbtools, which shares no code with the writer.

#include "host/jet/jetsource.h"
#include "host/jet/write/jetwriter.h"
#include "host/jet/write/jetwriterdesc.h"
#include "host/vb/errors.h"
#include "jet/writertest.h"
#include "support/testsupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every group of the GUID differs in its bytes, so a swapped or unswapped
// group shows; lower-case input comes back upper case.
const QString guid1 = QStringLiteral("{6b29fc40-ca47-1067-b31d-00dd010662da}");
const QString guid2 = QStringLiteral("{01234567-89AB-CDEF-0011-223344556677}");
const QString maxDigits = QStringLiteral("9999999999999999999999999999"); // 28 digits

// Types given by their JSON names, so that the names are covered too.
const char *description = R"({
  "version": 4,
  "tables": [{
    "name": "Amounts",
    "columns": [
      {"name": "ID", "type": "Long"},
      {"name": "Key", "type": "GUID"},
      {"name": "Rep", "type": "ReplicationID"},
      {"name": "Price", "type": "Decimal", "precision": 10, "scale": 4},
      {"name": "Whole", "type": "Decimal", "precision": 28},
      {"name": "Fine", "type": "Decimal", "precision": 28, "scale": 20},
      {"name": "Plain", "type": "Decimal"}
    ],
    "rows": [
      [1, "{6b29fc40-ca47-1067-b31d-00dd010662da}", "{01234567-89AB-CDEF-0011-223344556677}",
       "-12345.6789", "9999999999999999999999999999", "-12345678.12345678901234567891", "7"],
      [2, null, null, null, null, null, null],
      [3, "{00000000-0000-0000-0000-000000000000}", "{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}",
       42, "-9999999999999999999999999999", "0.00000000000000000001", -3],
      [4, "{01234567-89AB-CDEF-0011-223344556677}", null,
       "0.5000", "-0", -0.1, "-999999999999999999"]
    ]
  }]
})";

int errorOf(const JetWriterDatabase &db, QString *message = nullptr)
{
    try {
        buildJetDatabase(db);
    } catch (const HostError &e) {
        if (message)
            *message = e.description();
        return e.code();
    }
    return 0;
}

JetWriterColumn decimalColumn(const QString &name, int precision, int scale)
{
    JetWriterColumn c = column(name, JetType::Decimal);
    c.precision = precision;
    c.scale = scale;
    return c;
}

} // namespace

TEST(JetWriterNewTypes, GuidAndDecimalReadBackThroughJetSourceAndMdbtools)
{
    QTemporaryDir dir;
    const JetWriterDatabase db = parseJetDescription(description, dir.path());
    const QString path = writeDatabase(dir, db);
    const auto source = JetSource::open(path);

    const QList<TableDef> tables = source->tableDefs();
    const TableDef *t = tableNamed(tables, QStringLiteral("Amounts"));
    ASSERT_TRUE(t);
    const QList<qint16> types{DaoType::Long,    DaoType::Guid,    DaoType::Guid,   DaoType::Decimal,
                              DaoType::Decimal, DaoType::Decimal, DaoType::Decimal};
    ASSERT_EQ(t->Fields().size(), types.size());
    for (int i = 0; i < types.size(); ++i)
        EXPECT_EQ(t->Fields()[i].Type, types[i]) << i;

    // Values: GUIDs as upper-case text, Decimals as the nearest Double and,
    // through text(), with every digit.
    JetTableReader rows = source->readTable(QStringLiteral("Amounts"));
    QList<QList<Value>> values;
    QList<QStringList> texts;
    while (rows.next()) {
        values.append(rows.row());
        QStringList row;
        for (int c = 0; c < 7; ++c)
            row.append(rows.text(c));
        texts.append(row);
    }
    ASSERT_EQ(values.size(), 4);
    EXPECT_EQ(values[0][1], Value(guid1.toUpper()));
    EXPECT_EQ(values[0][2], Value(guid2));
    EXPECT_EQ(values[0][3], Value::dbl(-12345.6789));
    EXPECT_EQ(values[0][4], Value::dbl(9999999999999999999999999999.0));
    EXPECT_EQ(values[0][5], Value::dbl(-12345678.12345678901234567891));
    EXPECT_EQ(values[0][6], Value::dbl(7));
    EXPECT_EQ(texts[0].mid(3),
              (QStringList{"-12345.6789", maxDigits, "-12345678.12345678901234567891", "7"}));
    for (int c = 1; c < 7; ++c) {
        EXPECT_TRUE(values[1][c].isNull()) << c;
        EXPECT_TRUE(texts[1][c].isEmpty()) << c;
    }
    EXPECT_EQ(values[2][1], Value(QStringLiteral("{00000000-0000-0000-0000-000000000000}")));
    EXPECT_EQ(values[2][2], Value(QStringLiteral("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}")));
    EXPECT_EQ(texts[2].mid(3),
              (QStringList{"42", "-" + maxDigits, "0.00000000000000000001", "-3"}));
    EXPECT_EQ(values[2][5], Value::dbl(1e-20));
    EXPECT_EQ(values[3][1], Value(guid2));
    EXPECT_TRUE(values[3][2].isNull());
    EXPECT_EQ(texts[3].mid(3), (QStringList{"0.5", "0", "-0.1", "-999999999999999999"}));

    // mdbtools: the column types with precision and scale, and every value.
    const QString schema = runTool("mdb-schema", {"-T", "Amounts", path, "access"});
    for (const char *line : {"[Key]\t\t\tReplication ID", "[Rep]\t\t\tReplication ID",
                             "[Price]\t\t\tNumeric (10, 4)", "[Whole]\t\t\tNumeric (28, 0)",
                             "[Fine]\t\t\tNumeric (28, 20)", "[Plain]\t\t\tNumeric (18, 0)"})
        EXPECT_TRUE(schema.contains(QString::fromUtf8(line))) << line << "\n"
                                                              << schema.toStdString();
    const QStringList exported =
        runTool("mdb-export", {"-q", "", path, "Amounts"}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(exported.size(), 5);
    EXPECT_EQ(exported[0], "ID,Key,Rep,Price,Whole,Fine,Plain");
    EXPECT_EQ(exported[1], "1,{6B29FC40-CA47-1067-B31D00DD010662DA},{01234567-89AB-CDEF-"
                           "0011223344556677},-12345.6789," +
                               maxDigits + ",-12345678.12345678901234567891,7");
    EXPECT_EQ(exported[2], "2,,,,,,");
    EXPECT_EQ(exported[3], "3,{00000000-0000-0000-0000000000000000},{FFFFFFFF-FFFF-FFFF-"
                           "FFFFFFFFFFFFFFFF},42.0000,-" +
                               maxDigits + ",0.00000000000000000001,-3");
    EXPECT_EQ(exported[4],
              "4,{01234567-89AB-CDEF-0011223344556677},,0.5000,0,-0.10000000000000000000,"
              "-999999999999999999");
}

TEST(JetWriterNewTypes, Jet3KeepsGuidsAndRefusesDecimals)
{
    QTemporaryDir dir;
    JetWriterDatabase db;
    db.version = 3;
    JetWriterTable t;
    t.name = QStringLiteral("Keys");
    t.columns = {column(QStringLiteral("ID"), JetType::Long),
                 column(QStringLiteral("Key"), JetType::Guid)};
    t.rows = {{Value::longInt(1), Value(guid2)}, {Value::longInt(2), Value::null()}};
    db.tables = {t};
    const QString path = writeDatabase(dir, db);
    const auto source = JetSource::open(path);
    EXPECT_EQ(readAll(*source, QStringLiteral("Keys")),
              (QList<QList<Value>>{{Value::longInt(1), Value(guid2)},
                                   {Value::longInt(2), Value::null()}}));
    EXPECT_EQ(runTool("mdb-export", {"-q", "", path, "Keys"}),
              "ID,Key\n1,{01234567-89AB-CDEF-0011223344556677}\n2,\n");

    db.tables[0].columns.append(decimalColumn(QStringLiteral("Amount"), 10, 2));
    for (QList<Value> &row : db.tables[0].rows)
        row.append(Value::null());
    QString message;
    EXPECT_EQ(errorOf(db, &message), 3000);
    EXPECT_TRUE(message.contains(u"Keys.Amount")) << message.toStdString();
}

TEST(JetWriterNewTypes, ValuesAndColumnsThatDoNotFitAreRefused)
{
    const auto attempt = [](const JetWriterColumn &c, const Value &v, QString *message) {
        JetWriterDatabase db;
        JetWriterTable t;
        t.name = QStringLiteral("T");
        t.columns = {column(QStringLiteral("ID"), JetType::Long), c};
        t.rows = {{Value::longInt(1), Value::null()}, {Value::longInt(2), v}};
        db.tables = {t};
        return errorOf(db, message);
    };
    QString message;
    // Values that fit, at the edges.
    EXPECT_EQ(attempt(decimalColumn("D", 6, 2), Value("-9999.99"), &message), 0)
        << message.toStdString();
    EXPECT_EQ(attempt(decimalColumn("D", 6, 2), Value("+0012.3400"), &message), 0)
        << message.toStdString();
    EXPECT_EQ(
        attempt(decimalColumn("D", 28, 28), Value("-0.9999999999999999999999999999"), &message), 0)
        << message.toStdString();
    EXPECT_EQ(attempt(decimalColumn("D", 6, 2), Value::currency(99999900), &message), 0)
        << message.toStdString();

    struct Case
    {
        JetWriterColumn column;
        Value value;
    };
    const QList<Case> refused{
        {decimalColumn("D", 6, 2), Value("10000")},         // too many whole digits
        {decimalColumn("D", 6, 2), Value("1.234")},         // too many after the point
        {decimalColumn("D", 6, 2), Value::currency(12345)}, // 1.2345
        {decimalColumn("D", 6, 2), Value::dbl(0.001)},      //
        {decimalColumn("D", 6, 2), Value("12a")},           // not a number
        {decimalColumn("D", 6, 2), Value("1e3")},           //
        {decimalColumn("D", 6, 2), Value(".")},             //
        {decimalColumn("D", 6, 2), Value::binary("\x01")},  //
        {column("G", JetType::Guid), Value("6B29FC40-CA47-1067-B31D-00DD010662DA")},
        {column("G", JetType::Guid), Value("{6B29FC40-CA47-1067-B31D-00DD010662D}")},
        {column("G", JetType::Guid), Value("{6B29FC40-CA47-1067-B31D-00DD010662DX}")},
        {column("G", JetType::Guid), Value::longInt(1)},
    };
    for (const Case &c : refused) {
        message.clear();
        EXPECT_EQ(attempt(c.column, c.value, &message), 3000) << c.column.name.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("table T, row 2, column ") + c.column.name))
            << message.toStdString();
    }
    for (const auto &[precision, scale] :
         std::initializer_list<std::pair<int, int>>{{0, 0}, {29, 0}, {5, 6}, {5, -1}}) {
        message.clear();
        EXPECT_EQ(attempt(decimalColumn("D", precision, scale), Value::null(), &message), 3000)
            << precision << "," << scale;
        EXPECT_TRUE(message.contains(u"T.D")) << message.toStdString();
    }
}
