// The Jet 4 writer, checked only through readers that share no code with
// it: our JetSource and the mdbtools command-line tools.

#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"
#include "host/jet/write/jetwriter.h"
#include "host/jet/write/jetwriterdesc.h"
#include "host/vb/errors.h"
#include "jet/writertest.h"
#include "support/testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString longMemo =
    QStringLiteral("長い備考。").repeated(700); // 7,000 bytes: a chain of LVAL rows
const QString pageMemo = QStringLiteral("Memo on one LVAL row. ").repeated(60); // 2,640 bytes

// A table with one column of every type the writer stores, Japanese names
// included, and rows with NULLs, inline and paged long values.
JetWriterTable everyTypeTable()
{
    JetWriterTable t;
    t.name = QStringLiteral("全型　ﾃｽﾄ");
    JetWriterColumn id = column(QStringLiteral("ID"), JetType::Long);
    id.autoNumber = true;
    t.columns = {id,
                 column(QStringLiteral("Flag"), JetType::Boolean),
                 column(QStringLiteral("Small"), JetType::Byte),
                 column(QStringLiteral("Count"), JetType::Integer),
                 column(QStringLiteral("Price"), JetType::Currency),
                 column(QStringLiteral("Ratio"), JetType::Single),
                 column(QStringLiteral("Amount"), JetType::Double),
                 column(QStringLiteral("When"), JetType::DateTime),
                 column(QStringLiteral("氏名"), JetType::Text, 20),
                 column(QStringLiteral("Notes"), JetType::Memo),
                 column(QStringLiteral("Picture"), JetType::Ole)};
    t.primaryKey = {QStringLiteral("ID")};
    t.rows = {
        {Value(), Value::boolean(true), Value::integer(200), Value::integer(-123),
         Value::currency(123456789), Value::single(1.5f), Value::dbl(-2.25),
         Value("2024-03-05 13:45:10"), Value(u"山田　太郎"_qs), Value(QStringLiteral("short memo")),
         Value::binary(QByteArray("\x01\x02\x00\x03", 4))},
        {Value(), Value::boolean(false), Value::null(), Value::null(), Value::null(), Value::null(),
         Value::null(), Value::null(), Value::null(), Value(pageMemo), Value::null()},
        {Value::longInt(10), Value::boolean(true), Value::integer(0), Value::integer(32767),
         Value::currency(-5), Value::single(0), Value::dbl(1e100), Value::date(2.5),
         Value(QString()), Value(longMemo), Value::binary(QByteArray(9000, 'x'))},
    };
    t.properties = {{QStringLiteral("Description"), Value(u"全ての型の表"_qs)}};
    t.columns[8].properties = {
        {QStringLiteral("Description"), Value(u"ﾌﾘｶﾞﾅ付きの名前"_qs)},
        {QStringLiteral("Caption"), Value(u"お名前"_qs)},
        {QStringLiteral("Required"), Value::boolean(true)},
        {QStringLiteral("AllowZeroLength"), Value::boolean(true)},
        {QStringLiteral("DefaultValue"), Value("\"未定\"")},
        {QStringLiteral("ValidationRule"), Value("Len([氏名])>0")},
        {QStringLiteral("ValidationText"), Value(u"名前を入れてください"_qs)}};
    return t;
}

int errorOf(const JetWriterDatabase &db)
{
    try {
        buildJetDatabase(db);
    } catch (const HostError &e) {
        return e.code();
    }
    return 0;
}

} // namespace

TEST(JetWriter, EveryColumnTypeReadsBackThroughJetSourceAndMdbtools)
{
    QTemporaryDir dir;
    JetWriterDatabase db;
    db.tables = {everyTypeTable()};
    const QString path = writeDatabase(dir, db);
    const QString table = db.tables[0].name;

    const auto source = JetSource::open(path);
    EXPECT_EQ(source->summary().Version, QStringLiteral("4.0"));
    const QList<TableDef> tables = source->tableDefs();
    const TableDef *t = tableNamed(tables, table);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->RecordCount(), 3);
    const QList<qint16> types{DaoType::Long,    DaoType::Boolean,   DaoType::Byte,
                              DaoType::Integer, DaoType::Currency,  DaoType::Single,
                              DaoType::Double,  DaoType::Date,      DaoType::Text,
                              DaoType::Memo,    DaoType::LongBinary};
    ASSERT_EQ(t->Fields().size(), types.size());
    for (int i = 0; i < types.size(); ++i) {
        EXPECT_EQ(t->Fields()[i].Name, db.tables[0].columns[i].name);
        EXPECT_EQ(t->Fields()[i].Type, types[i]) << i;
    }
    EXPECT_EQ(t->Fields()[8].Size, 20);

    JetTableReader rows = source->readTable(table);
    QList<QList<Value>> read;
    while (rows.next())
        read.append(rows.row());
    ASSERT_EQ(read.size(), 3);
    EXPECT_EQ(read[0][0], Value::longInt(11)); // AutoNumbers continue after the highest given
    EXPECT_EQ(read[1][0], Value::longInt(12));
    EXPECT_EQ(read[2][0], Value::longInt(10));
    EXPECT_EQ(read[0][1], Value::boolean(true));
    EXPECT_EQ(read[1][1], Value::boolean(false));
    EXPECT_EQ(read[0][2], Value::integer(200));
    EXPECT_EQ(read[0][3], Value::integer(-123));
    EXPECT_EQ(read[0][4], Value::currency(123456789));
    EXPECT_EQ(read[0][5], Value::single(1.5f));
    EXPECT_EQ(read[0][6], Value::dbl(-2.25));
    EXPECT_DOUBLE_EQ(read[0][7].asOleDate(), 45356 + (13 * 3600 + 45 * 60 + 10) / 86400.0);
    EXPECT_EQ(read[0][8], Value(u"山田　太郎"_qs));
    EXPECT_EQ(read[0][9], Value(QStringLiteral("short memo")));
    EXPECT_EQ(read[0][10], Value::binary(QByteArray("\x01\x02\x00\x03", 4)));
    for (int c = 2; c <= 8; ++c)
        EXPECT_TRUE(read[1][c].isNull()) << c;
    EXPECT_EQ(read[1][9], Value(pageMemo));
    EXPECT_EQ(read[2][6], Value::dbl(1e100));
    EXPECT_EQ(read[2][8], Value(QString())); // empty, not NULL
    EXPECT_EQ(read[2][9], Value(longMemo));
    EXPECT_EQ(read[2][10], Value::binary(QByteArray(9000, 'x')));

    // mdbtools: the catalog, the schema and every value.
    const QStringList listed =
        runTool("mdb-tables", {"-1", "-S", path}).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(listed,
              (QStringList{"MSysObjects", "MSysACEs", "MSysQueries", "MSysRelationships", table}));
    const QString schema = runTool("mdb-schema", {"-T", table, path, "access"});
    EXPECT_TRUE(schema.contains(u"[氏名]\t\t\tText (20) NOT NULL"_qs)) << schema.toStdString();
    EXPECT_TRUE(schema.contains(u"[Notes]\t\t\tMemo/Hyperlink"_qs)) << schema.toStdString();
    const QStringList exported =
        runTool("mdb-export", {"-T", "%Y-%m-%d %H:%M:%S", "-b", "hex", "-q", "", path, table})
            .split('\n');
    ASSERT_GE(exported.size(), 4);
    EXPECT_EQ(exported[0], "ID,Flag,Small,Count,Price,Ratio,Amount,When,氏名,Notes,Picture");
    EXPECT_EQ(
        exported[1],
        u"11,1,200,-123,12345.6789,1.5,-2.25,2024-03-05 13:45:10,山田　太郎,short memo,01020003"_qs);
    EXPECT_EQ(exported[2], u"12,0,,,,,,,,"_qs + pageMemo + u","_qs);
    EXPECT_TRUE(exported[3].startsWith(u"10,1,0,32767,-0.0005,0,1e+100,1900-01-01 12:00:00,,"_qs +
                                       longMemo))
        << exported[3].left(120).toStdString();
}

TEST(JetWriter, QueriesOfEveryKindRebuildTheirSql)
{
    QTemporaryDir dir;
    JetWriterDatabase db;
    JetWriterTable t;
    t.name = QStringLiteral("得意先");
    t.columns = {column(QStringLiteral("ID"), JetType::Long),
                 column(QStringLiteral("名前"), JetType::Text, 50),
                 column(QStringLiteral("地域"), JetType::Text, 10)};
    t.rows = {{Value::longInt(1), Value(u"株式会社ｱｲｳ"_qs), Value(u"東京"_qs)}};
    db.tables = {t};

    using Q = JetWriterQuery;
    Q select;
    select.name = QStringLiteral("東京の得意先");
    select.sources = {{QStringLiteral("得意先"), {}}};
    select.outputs = {{QStringLiteral("[得意先].[ID]"), {}, {}, -1},
                      {QStringLiteral("[得意先].[名前]"), {}, {}, -1}};
    select.where = QStringLiteral("[得意先].[地域]=\"東京\"");
    select.orderBy = {{QStringLiteral("[得意先].[名前]"), true}};
    select.properties = {{QStringLiteral("Description"), Value(u"東京だけ"_qs)}};
    Q group = select;
    group.name = QStringLiteral("地域別");
    group.outputs = {{QStringLiteral("[地域]"), {}, {}, -1},
                     {QStringLiteral("Count(*)"), QStringLiteral("件数"), {}, -1}};
    group.where.clear();
    group.orderBy.clear();
    group.groupBy = {QStringLiteral("[地域]")};
    group.properties.clear();
    Q update;
    update.name = QStringLiteral("地域更新");
    update.kind = Q::Update;
    update.sources = {{QStringLiteral("得意先"), {}}};
    update.outputs = {{QStringLiteral("\"大阪\""), {}, QStringLiteral("得意先.地域"), -1}};
    update.where = QStringLiteral("[ID]=1");
    Q del;
    del.name = QStringLiteral("削除");
    del.kind = Q::Delete;
    del.sources = {{QStringLiteral("得意先"), {}}};
    del.outputs = {{QStringLiteral("得意先.*"), {}, {}, -1}};
    del.where = QStringLiteral("[ID]>100");
    Q ddl;
    ddl.name = QStringLiteral("表作成");
    ddl.kind = Q::DataDefinition;
    ddl.sql = QStringLiteral("CREATE TABLE Temp (A TEXT(10));");
    Q uni;
    uni.name = QStringLiteral("結合");
    uni.kind = Q::Union;
    uni.unionParts = {QStringLiteral("SELECT ID FROM 得意先"),
                      QStringLiteral("SELECT ID FROM 得意先")};
    db.queries = {select, group, update, del, ddl, uni};
    const QString path = writeDatabase(dir, db);

    const auto source = JetSource::open(path);
    QHash<QString, QueryDef> byName;
    for (const QueryDef &q : source->queryDefs())
        byName.insert(q.Name, q);
    ASSERT_EQ(byName.size(), 6);
    EXPECT_EQ(
        byName[select.name].SQL(),
        u"SELECT [得意先].[ID], [得意先].[名前]\r\nFROM 得意先\r\nWHERE [得意先].[地域]=\"東京\"\r\nORDER BY [得意先].[名前] DESC;"_qs)
        << byName[select.name].SQL().toStdString();
    EXPECT_EQ(byName[select.name].Properties().item(u"Description").value, Value(u"東京だけ"_qs));
    EXPECT_EQ(byName[group.name].SQL(),
              u"SELECT [地域], Count(*) AS 件数\r\nFROM 得意先\r\nGROUP BY [地域];"_qs)
        << byName[group.name].SQL().toStdString();
    EXPECT_EQ(byName[update.name].Type, 48);
    EXPECT_EQ(byName[update.name].SQL(),
              u"UPDATE 得意先 SET 得意先.地域 = \"大阪\"\r\nWHERE [ID]=1;"_qs);
    EXPECT_EQ(byName[del.name].Type, 32);
    EXPECT_TRUE(byName[del.name].SQL().startsWith(u"DELETE 得意先.*\r\nFROM 得意先"_qs))
        << byName[del.name].SQL().toStdString();
    EXPECT_EQ(byName[ddl.name].Type, 96);
    EXPECT_EQ(byName[ddl.name].SQL(), ddl.sql);
    EXPECT_EQ(byName[uni.name].Type, 128);
    EXPECT_TRUE(byName[uni.name].SQL().contains(u"UNION"_qs))
        << byName[uni.name].SQL().toStdString();

    const QString queries = runTool("mdb-queries", {"-L", path});
    for (const QString &name : byName.keys())
        EXPECT_TRUE(queries.contains(name)) << name.toStdString();
    const QString sql = runTool("mdb-queries", {path, select.name});
    EXPECT_TRUE(sql.contains(u"FROM [得意先]"_qs)) << sql.toStdString();
    EXPECT_TRUE(sql.contains(u"WHERE [得意先].[地域]=\"東京\""_qs)) << sql.toStdString();
}

TEST(JetWriter, DocumentsLinksAndManyRowsAreCataloguedWhereReadersLook)
{
    QTemporaryDir dir;
    JetWriterDatabase db;
    JetWriterTable t;
    t.name = QStringLiteral("Big");
    t.columns = {column(QStringLiteral("N"), JetType::Long),
                 column(QStringLiteral("S"), JetType::Text, 100)};
    for (int i = 0; i < 3000; ++i)
        t.rows.append({Value::longInt(i), Value(QStringLiteral("row %1 ").arg(i).repeated(4))});
    db.tables = {t};
    db.links = {{QStringLiteral("遠い表"),
                 QStringLiteral("C:\\data\\other.mdb"),
                 QStringLiteral("Remote"),
                 {}}};
    db.documents = {{QStringLiteral("受注フォーム"),
                     JetWriterDocument::Form,
                     {{QStringLiteral("Description"), Value("f")}},
                     {},
                     false,
                     false},
                    {QStringLiteral("売上報告"), JetWriterDocument::Report, {}, {}, false, false},
                    {QStringLiteral("AutoExec"), JetWriterDocument::Macro, {}, {}, false, false},
                    {QStringLiteral("共通関数"), JetWriterDocument::Module, {}, {}, false, false}};
    JetWriterRelationship rel;
    rel.name = QStringLiteral("BigBig");
    rel.table = rel.referencedTable = QStringLiteral("Big");
    rel.column = rel.referencedColumn = QStringLiteral("N");
    db.relationships = {rel};
    const QString path = writeDatabase(dir, db);

    const auto source = JetSource::open(path);
    QHash<QString, QStringList> documents;
    for (const Container &c : source->containers())
        for (const Document &d : c.Documents)
            documents[c.Name].append(d.Name);
    EXPECT_EQ(documents[QStringLiteral("Forms")], QStringList{QStringLiteral("受注フォーム")});
    EXPECT_EQ(documents[QStringLiteral("Reports")], QStringList{QStringLiteral("売上報告")});
    EXPECT_EQ(documents[QStringLiteral("Scripts")], QStringList{QStringLiteral("AutoExec")});
    EXPECT_EQ(documents[QStringLiteral("Modules")], QStringList{QStringLiteral("共通関数")});
    EXPECT_TRUE(documents[QStringLiteral("Tables")].contains(QStringLiteral("Big")));
    EXPECT_TRUE(documents[QStringLiteral("Relationships")].contains(QStringLiteral("BigBig")));
    for (const Container &c : source->containers()) {
        if (c.Name == QStringLiteral("Forms")) {
            EXPECT_EQ(c.Documents[0].Properties().item(u"Description").value, Value("f"));
        }
    }

    const QList<TableDef> tables = source->tableDefs();
    const TableDef *link = tableNamed(tables, QStringLiteral("遠い表"));
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->Attributes & DaoTableAttr::AttachedTable);
    EXPECT_EQ(link->SourceTableName, QStringLiteral("Remote"));
    EXPECT_TRUE(link->Connect.contains(QStringLiteral("C:\\data\\other.mdb")))
        << link->Connect.toStdString();

    const TableDef *big = tableNamed(tables, QStringLiteral("Big"));
    ASSERT_TRUE(big);
    EXPECT_EQ(big->RecordCount(), 3000);
    JetTableReader rows = source->readTable(QStringLiteral("Big"));
    int n = 0;
    while (rows.next()) {
        if (rows.value(0) != Value::longInt(n) ||
            rows.value(1) != Value(QStringLiteral("row %1 ").arg(n).repeated(4)))
            ADD_FAILURE() << "row " << n;
        ++n;
    }
    EXPECT_EQ(n, 3000);
    EXPECT_EQ(runTool("mdb-count", {path, "Big"}).trimmed(), "3000");
    const QStringList exported =
        runTool("mdb-export", {"-H", path, "Big"}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(exported.size(), 3000);
    EXPECT_EQ(exported[2999],
              QStringLiteral("2999,\"%1\"").arg(QStringLiteral("row 2999 ").repeated(4)));
}

TEST(JetWriter, UnwritableDescriptionsAreRefusedWithTheirReason)
{
    const auto withTable = [](const std::function<void(JetWriterTable &)> &change) {
        JetWriterDatabase db;
        JetWriterTable t;
        t.name = QStringLiteral("T");
        t.columns = {column(QStringLiteral("A"), JetType::Long),
                     column(QStringLiteral("B"), JetType::Text, 3)};
        t.rows = {{Value::longInt(1), Value("abc")}};
        change(t);
        db.tables = {t};
        return errorOf(db);
    };
    EXPECT_EQ(withTable([](JetWriterTable &) {}), 0);
    EXPECT_EQ(withTable([](JetWriterTable &t) { t.rows[0][1] = Value("abcd"); }), 3000); // too long
    EXPECT_EQ(withTable([](JetWriterTable &t) { t.rows[0][0] = Value("x"); }),
              3000); // not a number
    EXPECT_EQ(withTable([](JetWriterTable &t) { t.rows[0][0] = Value::dbl(1.5); }), 3000);
    EXPECT_EQ(withTable([](JetWriterTable &t) { t.rows[0].removeLast(); }), 3000);
    EXPECT_EQ(withTable([](JetWriterTable &t) { t.columns[1].name = QStringLiteral("a"); }), 3000);
    EXPECT_EQ(withTable([](JetWriterTable &t) {
                  t.primaryKey = {QStringLiteral("B")};
                  t.rows[0][1] = Value(QStringLiteral("日本")); // no known key
              }),
              3000);
    EXPECT_EQ(withTable([](JetWriterTable &t) {
                  t.primaryKey = {QStringLiteral("A")};
                  t.rows.append(t.rows[0]);
              }),
              3000); // duplicate key
    EXPECT_EQ(withTable([](JetWriterTable &t) { t.name = QStringLiteral("MSysObjects"); }), 3000);
}

TEST(JetWriterDescription, TheSampleBuildsAndEveryReaderSeesItsObjects)
{
    QFile json(QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/sample.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const JetWriterDatabase db =
        parseJetDescription(json.readAll(), QStringLiteral(QUILLMARK_SOURCE_DIR "/samples"));
    QTemporaryDir dir;
    const QString path = writeDatabase(dir, db, "sample.mdb");
    EXPECT_LT(QFileInfo(path).size(), 1024 * 1024);

    const auto source = JetSource::open(path);
    const QList<TableDef> tables = source->tableDefs();
    for (const JetWriterTable &t : db.tables) {
        SCOPED_TRACE(t.name.toStdString());
        const TableDef *def = tableNamed(tables, t.name);
        ASSERT_TRUE(def);
        EXPECT_EQ(def->RecordCount(), t.rows.size());
        EXPECT_EQ(def->Fields().size(), t.columns.size());
        ASSERT_EQ(def->Indexes().size(), 1);
        EXPECT_EQ(def->Indexes()[0].Fields, t.primaryKey);
        EXPECT_EQ(runTool("mdb-count", {path, t.name}).trimmed().toInt(), t.rows.size());
    }
    const TableDef *customers = tableNamed(tables, QStringLiteral("得意先"));
    ASSERT_TRUE(customers);
    EXPECT_EQ(customers->Properties().item(u"Description").value,
              Value(u"取引先の会社。ﾌﾘｶﾞﾅは半角カナで入力します。"_qs));
    EXPECT_EQ(customers->Fields()[6].ValidationText, u"与信限度額は0以上にしてください。"_qs);
    EXPECT_EQ(customers->Fields()[3].Properties().item(u"InputMask").value, Value("000-0000;;_"));
    ASSERT_TRUE(tableNamed(tables, QStringLiteral("旧顧客")));
    EXPECT_EQ(tableNamed(tables, QStringLiteral("旧顧客"))->SourceTableName,
              QStringLiteral("顧客"));

    QHash<QString, QueryDef> queries;
    for (const QueryDef &q : source->queryDefs())
        queries.insert(q.Name, q);
    ASSERT_EQ(queries.size(), db.queries.size());
    QSet<int> kinds;
    for (const QueryDef &q : queries)
        kinds.insert(q.Type);
    EXPECT_EQ(kinds, (QSet<int>{0, 16, 32, 48, 64, 80, 96, 112, 128})); // all nine kinds
    EXPECT_EQ(queries[u"受注一覧"_qs].SQL(),
              u"SELECT [受注].[受注ID], [受注].[受注日], [得意先].[会社名]\r\n"
              u"FROM 受注 INNER JOIN 得意先 ON [受注].[得意先ID]=[得意先].[得意先ID]\r\n"
              u"ORDER BY [受注].[受注日] DESC;"_qs)
        << queries[u"受注一覧"_qs].SQL().toStdString();
    EXPECT_TRUE(queries[u"期間の受注"_qs].SQL().startsWith(
        u"PARAMETERS [開始日] DateTime, [終了日] DateTime;\r\nSELECT *\r\n"_qs))
        << queries[u"期間の受注"_qs].SQL().toStdString();
    EXPECT_TRUE(queries[u"上位３商品"_qs].SQL().startsWith(u"SELECT TOP 3 "_qs))
        << queries[u"上位３商品"_qs].SQL().toStdString();
    EXPECT_TRUE(queries[u"月別商品売上"_qs].SQL().startsWith(
        u"TRANSFORM Sum([受注明細].[数量]) AS 数量の合計"_qs))
        << queries[u"月別商品売上"_qs].SQL().toStdString();
    EXPECT_TRUE(queries[u"月別商品売上"_qs].SQL().contains(
        u"PIVOT Format([受注].[受注日],\"yyyy/mm\")"_qs));
    EXPECT_TRUE(queries[u"得意先バックアップ"_qs].SQL().contains(u"INTO 得意先_控え"_qs))
        << queries[u"得意先バックアップ"_qs].SQL().toStdString();
    EXPECT_TRUE(
        queries[u"受注追加"_qs].SQL().startsWith(u"INSERT INTO 受注 ( 得意先ID, 受注日 )"_qs))
        << queries[u"受注追加"_qs].SQL().toStdString();
    EXPECT_EQ(queries[u"本社在庫"_qs].Connect, u"ODBC;DSN=本社;"_qs);

    QHash<QString, int> documents;
    for (const Container &c : source->containers())
        documents.insert(c.Name, int(c.Documents.size()));
    EXPECT_EQ(documents[QStringLiteral("Forms")], 3);
    EXPECT_EQ(documents[QStringLiteral("Reports")], 2);
    EXPECT_EQ(documents[QStringLiteral("Scripts")], 2);
    EXPECT_EQ(documents[QStringLiteral("Modules")], 2);

    const QString schema = runTool("mdb-schema", {path, "access"});
    EXPECT_TRUE(schema.contains(u"[担当者　氏名]"_qs)) << schema.left(400).toStdString();
    // mdbtools reads the primary keys from the TDEFs and the foreign keys from MSysRelationships.
    const QString keys = runTool("mdb-schema", {"--indexes", "--relations", path, "postgres"});
    EXPECT_EQ(keys.count(QStringLiteral("PRIMARY KEY")), db.tables.size()) << keys.toStdString();
    EXPECT_TRUE(keys.contains(
        u"FOREIGN KEY (\"受注id\") REFERENCES \"受注\"(\"受注id\") ON DELETE CASCADE"_qs));
    const QStringList exported =
        runTool("mdb-export", {"-T", "%Y-%m-%d", path, "社員"}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(exported.size(), 4);
    EXPECT_EQ(exported[1], u"1,\"中村　健\",\"ﾅｶﾑﾗ ｹﾝ\",\"2010-04-01\",320000"_qs)
        << exported[1].toStdString();
}

TEST(JetWriterDescription, CsvRowsGeneratedSizesAndFaultsAreHandled)
{
    QTemporaryDir dir;
    writeFile(dir, "rows.csv", "A,B,C\n1,\"x, \"\"quoted\"\"\",\n2,\"two\nlines\",\"\"\r\n");
    const QByteArray json = R"({"tables": [{"name": "T", "csv": "rows.csv",
        "columns": [{"name": "A", "type": "Long"}, {"name": "B", "type": "Memo"}, {"name": "C", "type": "Text"}]}]})";
    const JetWriterDatabase db = parseJetDescription(json, dir.path());
    const auto source = JetSource::open(writeDatabase(dir, db));
    JetTableReader rows = source->readTable(QStringLiteral("T"));
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.row(), (QList<Value>{Value::longInt(1), Value("x, \"quoted\""), Value::null()}));
    ASSERT_TRUE(rows.next());
    EXPECT_EQ(rows.row(), (QList<Value>{Value::longInt(2), Value("two\nlines"), Value(QString())}));
    EXPECT_FALSE(rows.next());

    const JetGeneratorSize size = parseGeneratorSize(QStringLiteral(
        "tables=30,fields=20,rows=3,bigrows=2000,queries=40,modules=3,procedures=7"));
    const QString big = writeDatabase(dir, generateJetDatabase(size), "big.mdb");
    const auto generated = JetSource::open(big);
    int userTables = 0;
    for (const TableDef &t : generated->tableDefs()) {
        if (t.Name.startsWith(QLatin1String("MSys")))
            continue;
        ++userTables;
        EXPECT_EQ(t.Fields().size(), 20);
        EXPECT_EQ(t.RecordCount(), t.Name == u"Table0001" ? 2000 : 3);
    }
    EXPECT_EQ(userTables, 30);
    EXPECT_EQ(generated->queryDefs().size(), 40);
    EXPECT_EQ(runTool("mdb-count", {big, "Table0001"}).trimmed(), "2000");
    const QList<ModuleText> modules = JetModuleSource(big).modules();
    ASSERT_EQ(modules.size(), 3);
    EXPECT_EQ(modules[2].name, QStringLiteral("Module0003"));
    EXPECT_EQ(modules[2].source.count(QStringLiteral("End Function")), 7);

    const auto fault = [&](const QByteArray &text) {
        try {
            parseJetDescription(text, dir.path());
        } catch (const HostError &e) {
            return e.code();
        }
        return 0;
    };
    EXPECT_EQ(fault("{\"tables\": [{\"name\": \"T\", \"columns\": [{\"name\": \"A\", \"type\": "
                    "\"Attachment\"}]}]}"),
              3000);
    EXPECT_EQ(fault("{\"queries\": [{\"name\": \"Q\", \"kind\": \"pivot\"}]}"), 3000);
    EXPECT_EQ(fault("{\"tables\": [{\"columns\": []}]}"), 3000);
    EXPECT_EQ(fault("{not json"), 3000);
    EXPECT_EQ(fault("{\"tables\": [{\"name\": \"T\", \"csv\": \"missing.csv\"}]}"), 3000);
    EXPECT_THROW(parseGeneratorSize(QStringLiteral("tables=1,colour=3")), HostError);
}
