// JetSource against the real files of the corpus, with mdbtools' command-line
// tools as the independent reference for names, columns and row counts.

#include "host/jet/jetsource.h"
#include "host/vb/errors.h"
#include "jet/corpuscatalog.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The first output line only: mdb-export prints the column names first.
QString firstLine(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    QByteArray out;
    while (!out.contains('\n') && p.waitForReadyRead(60000))
        out += p.readAllStandardOutput();
    p.kill();
    p.waitForFinished();
    return QString::fromUtf8(out.left(out.indexOf('\n')));
}

int openError(const QString &path)
{
    try {
        JetSource::open(path);
    } catch (const HostError &e) {
        return e.code();
    }
    return 0;
}

const TableDef *tableNamed(const QList<TableDef> &tables, const QString &name)
{
    for (const TableDef &t : tables)
        if (t.Name == name)
            return &t;
    return nullptr;
}

const QueryDef *queryNamed(const QList<QueryDef> &queries, const QString &name)
{
    for (const QueryDef &q : queries)
        if (q.Name == name)
            return &q;
    return nullptr;
}

} // namespace

TEST(JetSourceCorpus, EveryFileOpensOrFailsWithTheRightNumber)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    EXPECT_GT(corpusDatabases().size(), 60);
    for (const QString &path : corpusDatabases()) {
        const int expected = path.endsWith(QLatin1String("office-agile-4.4.accdb"))
                                 ? int(Err::PasswordProtected)
                                 : 0;
        EXPECT_EQ(openError(path), expected) << path.toStdString();
    }
    const QDir invalid(corpusFile(QStringLiteral("invalid")));
    for (const QString &name : invalid.entryList(QDir::Files))
        EXPECT_EQ(openError(invalid.filePath(name)), int(Err::UnrecognizedFormat));
    EXPECT_EQ(openError(corpusFile(QStringLiteral("jet3/no-such-file.mdb"))),
              int(Err::DaoFileNotFound));
}

TEST(JetSourceCorpus, TablesColumnsAndCountsMatchMdbtools)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    int compared = 0;
    for (const QString &path : corpusDatabases()) {
        if (path.endsWith(QLatin1String("office-agile-4.4.accdb")))
            continue;
        SCOPED_TRACE(path.toStdString());
        const auto source = JetSource::open(path);
        const QList<TableDef> tables = source->tableDefs();
        // mdb-tables lists local tables (system ones with -S) in catalog order.
        QStringList local;
        for (const TableDef &t : tables)
            if (!(t.Attributes & (DaoTableAttr::AttachedTable | DaoTableAttr::AttachedODBC)))
                local.append(t.Name);
        QStringList expected =
            run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), QStringLiteral("-S"), path})
                .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (path.contains(QLatin1String("book-list")) || path.contains(QLatin1String("GBK")))
            continue; // mdbtools decodes these GBK names as Western text
        // mdbtools lists catalog rows that moved to another page where they
        // landed; we keep them where their overflow pointer stands.
        local.sort();
        expected.sort();
        EXPECT_EQ(local, expected);
        for (const TableDef &t : tables) {
            if (!local.contains(t.Name) || t.Name.startsWith(QLatin1String("MSys")))
                continue;
            SCOPED_TRACE(t.Name.toStdString());
            const QString header =
                firstLine(QStringLiteral("mdb-export"),
                          {QStringLiteral("-d"), QStringLiteral("\x01"), path, t.Name});
            QStringList names;
            for (const Field &f : t.Fields())
                names.append(f.Name);
            EXPECT_EQ(names.join(QChar(1)), header);
            const int count = run(QStringLiteral("mdb-count"), {path, t.Name}).trimmed().toInt();
            EXPECT_EQ(t.RecordCount(), count);
            ++compared;
        }
    }
    EXPECT_GT(compared, 150); // the comparison really ran over the corpus
}

TEST(JetSourceCorpus, QueryTestSqlIsRebuiltForEveryQueryType)
{
    const QString v2000 = corpusFile(QStringLiteral("jet4/queryTestV2000.mdb"));
    const QString v1997 = corpusFile(QStringLiteral("jet3/queryTestV1997.mdb"));
    if (v2000.isEmpty())
        GTEST_SKIP() << "no corpus";
    const QString select = QStringLiteral(
        "SELECT DISTINCT Table1.*, Table2.col1, Table2.col2, Table3.col3\r\n"
        "FROM (Table1 LEFT JOIN Table3 ON Table1.col1 = Table3.col1) INNER JOIN Table2 ON "
        "(Table3.col1 = Table2.col2) AND (Table3.col1 = Table2.col1)\r\n"
        "WHERE (((Table2.col2)=\"foo\" Or (Table2.col2) In (\"buzz\",\"bazz\")))\r\n"
        "ORDER BY Table2.col1;");
    const QString update = QStringLiteral(
        "UPDATE Table1 SET Table1.col1 = \"foo\", Table1.col2 = [Table2].[col3], [Table2].[col1] = "
        "[User Name]\r\n"
        "WHERE ((([Table2].[col1]) Is Not Null));");
    const QString append =
        QStringLiteral("INSERT INTO Table3 ( col2, col2, col3 )\r\n"
                       "SELECT [Table1].[col2], [Table2].[col2], [Table2].[col3]\r\n"
                       "FROM Table3, Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1];");
    const QString del = QStringLiteral("DELETE Table1.col1, Table1.col2, Table1.col3\r\n"
                                       "FROM Table1\r\n"
                                       "WHERE (((Table1.col1)>\"blah\"));");
    const QString makeTable = QStringLiteral(
        "SELECT Max(Table2.col1) AS MaxOfcol1, Table2.col2, Table3.col2 INTO Table4\r\n"
        "FROM (Table2 INNER JOIN Table1 ON Table2.col1 = Table1.col2) RIGHT JOIN Table3 ON "
        "Table1.col2 = Table3.col3\r\n"
        "GROUP BY Table2.col2, Table3.col2\r\n"
        "HAVING (((Max(Table2.col1))=\"buzz\") AND ((Table2.col2)<>\"blah\"));");
    const QString crosstab = QStringLiteral(
        "TRANSFORM Count([Table2].[col2]) AS CountOfcol2\r\n"
        "SELECT Table2_1.col1, [Table2].[col3], Avg(Table2_1.col2) AS AvgOfcol2\r\n"
        "FROM (Table1 INNER JOIN Table2 ON [Table1].[col1]=[Table2].[col1]) INNER JOIN Table2 "
        "AS Table2_1 ON [Table2].[col1]=Table2_1.col3\r\n"
        "WHERE ((([Table1].[col1])>\"10\") And ((Table2_1.col1) Is Not Null) And "
        "((Avg(Table2_1.col2))>\"10\"))\r\n"
        "GROUP BY Table2_1.col1, [Table2].[col3]\r\n"
        "ORDER BY [Table2].[col3]\r\n"
        "PIVOT [Table1].[col1];");
    const QString unionSql = QStringLiteral("Select Table1.col1, Table1.col2\r\n"
                                            "where Table1.col1 = \"foo\"\r\n"
                                            "UNION\r\n"
                                            "Select Table2.col1, Table2.col2\r\n"
                                            "UNION ALL Select Table3.col1, Table3.col2\r\n"
                                            "where Table3.col3 > \"blah\";");

    for (const QString &path : {v2000, v1997}) {
        SCOPED_TRACE(path.toStdString());
        const bool jet3 = path == v1997;
        const QList<QueryDef> queries = JetSource::open(path)->queryDefs();
        const auto sql = [&](const char *name) {
            const QueryDef *q = queryNamed(queries, QString::fromLatin1(name));
            return q ? q->SQL() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
        };
        const auto type = [&](const char *name) {
            const QueryDef *q = queryNamed(queries, QString::fromLatin1(name));
            return q ? int(q->Type) : -1;
        };
        EXPECT_EQ(sql("SelectQuery"), select);
        EXPECT_EQ(sql("UpdateQuery"),
                  QStringLiteral("PARAMETERS [User Name] %1;\r\n")
                          .arg(jet3 ? QStringLiteral("Text") : QStringLiteral("Text ( 255 )")) +
                      update);
        EXPECT_EQ(sql("AppendQuery"), append);
        EXPECT_EQ(sql("DeleteQuery"), del);
        EXPECT_EQ(sql("MakeTableQuery"), makeTable);
        EXPECT_EQ(sql("CrosstabQuery"), crosstab);
        EXPECT_EQ(sql("UnionQuery"), unionSql);
        EXPECT_EQ(sql("PassthroughQuery"), QStringLiteral("ALTER TABLE Table4 DROP COLUMN col5;"));
        EXPECT_EQ(sql("DataDefinitionQuery"),
                  QStringLiteral("CREATE TABLE Table5 (col1 CHAR, col2 CHAR);"));
        EXPECT_EQ(type("SelectQuery"), 0);
        EXPECT_EQ(type("CrosstabQuery"), 16);
        EXPECT_EQ(type("DeleteQuery"), 32);
        EXPECT_EQ(type("UpdateQuery"), 48);
        EXPECT_EQ(type("AppendQuery"), 64);
        EXPECT_EQ(type("MakeTableQuery"), 80);
        EXPECT_EQ(type("DataDefinitionQuery"), 96);
        EXPECT_EQ(type("PassthroughQuery"), 112);
        EXPECT_EQ(type("UnionQuery"), 128);
        const QueryDef *pass = queryNamed(queries, QStringLiteral("PassthroughQuery"));
        ASSERT_TRUE(pass);
        EXPECT_EQ(pass->Connect, QStringLiteral("ODBC;"));

        // Output columns take the type of the table column they show.
        const QueryDef *make = queryNamed(queries, QStringLiteral("MakeTableQuery"));
        ASSERT_TRUE(make);
        ASSERT_EQ(make->Fields().size(), 3);
        EXPECT_EQ(make->Fields()[0].Name, QStringLiteral("MaxOfcol1"));
        EXPECT_EQ(make->Fields()[1].SourceTable, QStringLiteral("Table2"));
        EXPECT_EQ(make->Fields()[2].SourceTable, QStringLiteral("Table3"));
        EXPECT_EQ(make->Fields()[2].Type, DaoType::Text);
        EXPECT_EQ(make->Fields()[2].Size, 50);
        // Table1.* expands to Table1's three columns.
        const QueryDef *sel = queryNamed(queries, QStringLiteral("SelectQuery"));
        ASSERT_TRUE(sel);
        EXPECT_EQ(sel->Fields().size(), 6);
    }
}

TEST(JetSourceCorpus, SummaryTablesAndContainersOfNorthwind97)
{
    const QString path = corpusFile(QStringLiteral("jet3/nwind.mdb"));
    if (path.isEmpty())
        GTEST_SKIP() << "no corpus";
    const auto source = JetSource::open(path);
    const DatabaseSummary s = source->summary();
    EXPECT_EQ(s.Name, QFileInfo(path).absoluteFilePath());
    EXPECT_EQ(s.Version, QStringLiteral("3.0"));
    EXPECT_EQ(s.properties.item(u"AccessVersion").value, Value("07.53"));

    const QList<TableDef> tables = source->tableDefs();
    const TableDef *objects = tableNamed(tables, QStringLiteral("MSysObjects"));
    ASSERT_TRUE(objects);
    EXPECT_EQ(objects->Attributes, qint32(0x80000000u)); // the engine's own table
    const TableDef *accessObjects = tableNamed(tables, QStringLiteral("MSysAccessObjects"));
    ASSERT_TRUE(accessObjects);
    EXPECT_EQ(accessObjects->Attributes, 2); // one Access adds
    const TableDef *products = tableNamed(tables, QStringLiteral("Products"));
    ASSERT_TRUE(products);
    EXPECT_EQ(products->Attributes, 0);
    EXPECT_EQ(products->DateCreated.type(), Value::Type::Date);
    const QList<Field> &fields = products->Fields();
    ASSERT_GE(fields.size(), 2);
    EXPECT_EQ(fields[0].Name, QStringLiteral("ProductID"));
    EXPECT_EQ(fields[0].Type, DaoType::Long);
    EXPECT_EQ(fields[1].Name, QStringLiteral("ProductName"));
    EXPECT_EQ(fields[1].Type, DaoType::Text);
    EXPECT_EQ(fields[1].Size, 40);
    EXPECT_TRUE(fields[1].Required);
    bool primary = false;
    for (const Index &i : products->Indexes())
        if (i.Primary) {
            primary = true;
            EXPECT_TRUE(i.Unique);
            EXPECT_EQ(i.Fields, QStringList{QStringLiteral("ProductID")});
        }
    EXPECT_TRUE(primary);
    EXPECT_TRUE(products->Properties().find(u"Description"));

    QStringList names;
    int forms = 0;
    for (const Container &c : source->containers()) {
        names.append(c.Name);
        if (c.Name == QLatin1String("Forms"))
            forms = int(c.Documents.size());
    }
    for (const char *name : {"Forms", "Reports", "Scripts", "Modules", "Tables"})
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
    EXPECT_EQ(forms, 21);
}

TEST(JetSourceCorpus, LinkedTablesCarryConnectAndSource)
{
    const QString jet = corpusFile(QStringLiteral("jet4/linked.mdb"));
    const QString odbc = corpusFile(QStringLiteral("ace/odbcLinkerTestV2007.accdb"));
    if (jet.isEmpty())
        GTEST_SKIP() << "no corpus";
    const QList<TableDef> tables = JetSource::open(jet)->tableDefs();
    const TableDef *t = tableNamed(tables, QStringLiteral("Table1"));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Attributes, DaoTableAttr::AttachedTable);
    EXPECT_EQ(t->Connect, QStringLiteral(";DATABASE=C:\\db\\linkee1.mdb"));
    EXPECT_EQ(t->SourceTableName, QStringLiteral("Table1"));
    EXPECT_EQ(t->RecordCount(), -1);

    const QList<TableDef> odbcTables = JetSource::open(odbc)->tableDefs();
    const TableDef *o = tableNamed(odbcTables, QStringLiteral("Ordrar"));
    ASSERT_TRUE(o);
    EXPECT_TRUE(o->Attributes & DaoTableAttr::AttachedODBC);
    EXPECT_TRUE(o->Connect.startsWith(QLatin1String("ODBC;")));
    EXPECT_EQ(o->SourceTableName, QStringLiteral("dbo.Ordrar"));
    EXPECT_FALSE(o->Fields().isEmpty()); // the cached column list of the link
}

TEST(JetSourceCorpus, JapaneseAndChineseTextDecodes)
{
    const QString ja = corpusFile(QStringLiteral("ace/sample_ja.accdb"));
    const QString gbk = corpusFile(QStringLiteral("jet3/book-list.mdb"));
    if (ja.isEmpty())
        GTEST_SKIP() << "no corpus";
    JetTableReader items = JetSource::open(ja)->readTable(QStringLiteral("item"));
    EXPECT_EQ(items.fieldNames(),
              (QStringList{QStringLiteral("item_id"), QStringLiteral("item_name")}));
    QList<QList<Value>> rows;
    while (items.next())
        rows.append(items.row());
    ASSERT_EQ(rows.size(), 2);
    // Row 1 grew when it was edited and moved to another page; its overflow
    // pointer keeps its place first (mdbtools lists it last, where it landed).
    EXPECT_EQ(rows[0][0], Value::longInt(1));
    EXPECT_EQ(rows[0][1], Value(QStringLiteral("ringo")));
    EXPECT_EQ(rows[1][0], Value::longInt(2));
    EXPECT_EQ(rows[1][1], Value(QStringLiteral("みかん")));

    const QList<TableDef> jaTables =
        JetSource::open(corpusFile(QStringLiteral("jet4/Northwind_ja.mdb")))->tableDefs();
    EXPECT_TRUE(tableNamed(jaTables, QStringLiteral("商品")));

    // The header says 1252; only the override gives the GBK column names.
    JetOptions options;
    options.jet3Charset = QStringLiteral("GBK");
    QStringList columns;
    for (const TableDef &t : JetSource::open(gbk, options)->tableDefs())
        if (!(t.Attributes & DaoTableAttr::SystemObject))
            for (const Field &f : t.Fields())
                columns.append(f.Name);
    EXPECT_TRUE(columns.contains(QStringLiteral("书名"))) << columns.join(',').toStdString();
}

TEST(JetSourceCorpus, RowsKeepExactCurrencyDatesAndLongMemos)
{
    const QString path = corpusFile(QStringLiteral("jet3/nwind.mdb"));
    if (path.isEmpty())
        GTEST_SKIP() << "no corpus";
    const auto source = JetSource::open(path);
    JetTableReader products = source->readTable(QStringLiteral("Products"));
    const int price = int(products.fieldNames().indexOf(QStringLiteral("UnitPrice")));
    ASSERT_GE(price, 0);
    ASSERT_TRUE(products.next());
    EXPECT_EQ(products.value(price), Value::currency(180000)); // Chai, 18.00

    JetTableReader orders = source->readTable(QStringLiteral("Orders"));
    const int date = int(orders.fieldNames().indexOf(QStringLiteral("OrderDate")));
    ASSERT_TRUE(orders.next());
    EXPECT_EQ(orders.value(date).type(), Value::Type::Date);

    // Memo values longer than libmdb's bind buffer come out whole.
    JetTableReader employees = source->readTable(QStringLiteral("Employees"));
    const int notes = int(employees.fieldNames().indexOf(QStringLiteral("Notes")));
    const int photo = int(employees.fieldNames().indexOf(QStringLiteral("Photo")));
    ASSERT_TRUE(employees.next());
    EXPECT_TRUE(employees.value(notes).asText().startsWith(QLatin1String("Education includes")));
    EXPECT_GT(employees.value(photo).asBinary().size(), 16384);

    EXPECT_THROW(source->readTable(QStringLiteral("No such table")), HostError);
}

TEST(JetSourceDamage, TruncatedOrScrambledFilesRaiseOrOpen)
{
    const QString path = corpusFile(QStringLiteral("jet4/queryTestV2000.mdb"));
    if (path.isEmpty())
        GTEST_SKIP() << "no corpus";
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray original = in.readAll();
    QTemporaryDir dir;

    const auto exercise = [](const QString &file) {
        try {
            const auto s = JetSource::open(file);
            s->summary();
            for (const TableDef &t : s->tableDefs()) {
                t.Fields();
                t.Indexes();
                if (!(t.Attributes & (DaoTableAttr::AttachedTable | DaoTableAttr::AttachedODBC))) {
                    JetTableReader r = s->readTable(t.Name);
                    while (r.next())
                        r.row();
                }
            }
            for (const QueryDef &q : s->queryDefs())
                q.Fields();
            for (const Container &c : s->containers())
                for (const Document &d : c.Documents)
                    d.Properties();
            return 0;
        } catch (const HostError &e) {
            return e.code();
        }
    };
    const auto accepted = [](int code) {
        return code == 0 || code == int(Err::DamagedDatabase) ||
               code == int(Err::UnrecognizedFormat) || code == int(Err::ObjectNotFound);
    };

    EXPECT_EQ(exercise(writeFile(dir, QStringLiteral("empty.mdb"), QByteArray())),
              int(Err::UnrecognizedFormat));
    EXPECT_EQ(exercise(writeFile(dir, QStringLiteral("half.mdb"), original.left(10000))),
              int(Err::DamagedDatabase));
    EXPECT_EQ(exercise(writeFile(dir, QStringLiteral("cut.mdb"), original.left(4096 * 5))),
              int(Err::DamagedDatabase));

    // Scrambled bytes across the catalog, table definitions, page maps and
    // data pages, in a Jet 4 and a Jet 3 file (page maps once crashed libmdb).
    quint32 seed = 1;
    const auto random = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFFF;
    };
    QFile jet3(corpusFile(QStringLiteral("jet3/queryTestV1997.mdb")));
    ASSERT_TRUE(jet3.open(QIODevice::ReadOnly));
    for (const QByteArray &file : {original, jet3.readAll()}) {
        for (int round = 0; round < 150; ++round) {
            QByteArray copy = file;
            for (int flips = 0; flips < 1 + round % 40; ++flips)
                copy[qsizetype(2048 + random() % (copy.size() - 2048))] = char(random());
            const int code = exercise(writeFile(dir, QStringLiteral("flip.mdb"), copy));
            EXPECT_TRUE(accepted(code)) << "round " << round << " code " << code;
        }
    }
}

TEST(JetSourceOpen, MissingFolderAndUnopenableFilesHaveTheirNumbers)
{
    QTemporaryDir dir;
    EXPECT_EQ(openError(dir.filePath(QStringLiteral("absent.mdb"))), int(Err::DaoFileNotFound));
    EXPECT_EQ(openError(dir.path()), int(Err::InvalidPath));

    // A socket exists but cannot be opened, even by root (chmod would not
    // keep root out).
    const QByteArray socketPath = QFile::encodeName(dir.filePath(QStringLiteral("db.mdb")));
    sockaddr_un address{};
    ASSERT_LT(size_t(socketPath.size()), sizeof(address.sun_path));
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)), 0);
    EXPECT_EQ(openError(QFile::decodeName(socketPath)), int(Err::FileOpenDenied));
    close(fd);
}

TEST(JetSourceCorpus, ComplexColumnsTakeTheirKindFromTheComplexColumnsTable)
{
    const QString path = corpusFile(QStringLiteral("ace/complexDataTestV2010.accdb"));
    if (path.isEmpty())
        GTEST_SKIP() << "no corpus";
    const auto source = JetSource::open(path);
    const QList<TableDef> tables = source->tableDefs();
    const TableDef *table1 = tableNamed(tables, QStringLiteral("Table1"));
    const TableDef *resources = tableNamed(tables, QStringLiteral("MSysResources"));
    ASSERT_TRUE(table1 && resources);
    QHash<QString, qint16> types;
    for (const Field &f : table1->Fields())
        types.insert(f.Name, f.Type);
    for (const Field &f : resources->Fields())
        types.insert(QStringLiteral("MSysResources.") + f.Name, f.Type);
    EXPECT_EQ(types.value(QStringLiteral("multi-value-data")), DaoType::ComplexText);
    EXPECT_EQ(types.value(QStringLiteral("attach-data")), DaoType::Attachment);
    EXPECT_EQ(types.value(QStringLiteral("MSysResources.Data")), DaoType::Attachment);
    EXPECT_EQ(types.value(QStringLiteral("memo-data")), DaoType::Memo);
}

TEST(JetSourceCorpus, DecimalsReadAsNearestDoubleAndExactText)
{
    const QString path = corpusFile(QStringLiteral("ace/calcFieldTestV2010.accdb"));
    if (path.isEmpty())
        GTEST_SKIP() << "no corpus";
    JetTableReader rows = JetSource::open(path)->readTable(QStringLiteral("Table1"));
    const int popularity = int(rows.fieldNames().indexOf(QStringLiteral("Popularity")));
    ASSERT_GE(popularity, 0);
    QStringList texts;
    QList<double> numbers;
    while (rows.next()) {
        texts.append(rows.text(popularity));
        numbers.append(rows.value(popularity).toDouble());
    }
    EXPECT_EQ(texts.join(u' '), QStringLiteral("50.325 -36.2222 0.0123 102030405060.654321"));
    EXPECT_EQ(numbers, (QList<double>{50.325, -36.2222, 0.0123, 102030405060.654321}));
}
