// Jet 3 files from the writer (2 KB pages, text in a code page), read back
// by our JetSource and JetModuleSource and by the mdbtools command-line
// tools, which share no code with the writer. mdbtools decodes CP932 only
// with MDB_JET3_CHARSET=CP932 (its own name for 932 mangles 0x5C bytes).

#include "host/jet/jetsource.h"
#include "host/jet/vbasource.h"
#include "host/jet/write/jetwriter.h"
#include "host/jet/write/jetwriterdesc.h"
#include "host/vb/errors.h"
#include "jet/indexwalker.h"
#include "jet/writertest.h"
#include "support/testsupport.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Names and text with CP932 trail bytes 0x5C (ソ, 表, 能), half-width kana
// and an ideographic space.
const QString tableName = QStringLiteral("ソフト表　ｶﾅ");
const QString wideText = QStringLiteral("表示能力ソース").repeated(20); // 280 bytes in CP932

JetWriterDatabase japaneseDatabase()
{
    JetWriterDatabase db;
    db.version = 3;
    db.codePage = 932;
    db.sortOrder = 0x0411;
    JetWriterTable t;
    t.name = tableName;
    JetWriterColumn id = column(QStringLiteral("番号"), JetType::Long);
    id.autoNumber = true;
    t.columns = {id,
                 column(QStringLiteral("可否"), JetType::Boolean),
                 column(QStringLiteral("小"), JetType::Byte),
                 column(QStringLiteral("数"), JetType::Integer),
                 column(QStringLiteral("価格"), JetType::Currency),
                 column(QStringLiteral("比"), JetType::Single),
                 column(QStringLiteral("量"), JetType::Double),
                 column(QStringLiteral("日時"), JetType::DateTime),
                 column(QStringLiteral("氏名"), JetType::Text, 20),
                 column(QStringLiteral("説明"), JetType::Text, 255),
                 column(QStringLiteral("後"), JetType::Text, 10),
                 column(QStringLiteral("備考"), JetType::Memo),
                 column(QStringLiteral("絵"), JetType::Ole)};
    t.primaryKey = {QStringLiteral("番号")};
    t.rows = {
        {Value(), Value::boolean(true), Value::integer(7), Value::integer(-5),
         Value::currency(15000), Value::single(0.5f), Value::dbl(3.25),
         Value("2024-04-01 09:30:00"), Value(u"ｿﾌﾄ　太郎"_qs), Value(QStringLiteral("短い")),
         Value(QStringLiteral("終")), Value(QStringLiteral("メモ")),
         Value::binary(QByteArray("\x00\x5C\xFF", 3))},
        // Over 256 bytes: the variable columns after the wide one need the jump table.
        {Value(), Value::boolean(false), Value::null(), Value::null(), Value::null(), Value::null(),
         Value::null(), Value::null(), Value(u"表"_qs), Value(wideText),
         Value(QStringLiteral("後ろ")), Value(QStringLiteral("長い備考、ソ表。").repeated(400)),
         Value::binary(QByteArray(5000, 'o'))},
        {Value(), Value::boolean(true), Value::integer(255), Value::integer(32767),
         Value::currency(-1), Value::single(-2), Value::dbl(1e-10), Value("1999-12-31"),
         Value::null(), Value(wideText + wideText.left(100)), Value::null(), Value::null(),
         Value::null()},
    };
    t.properties = {{QStringLiteral("Description"), Value(u"ソフトの表"_qs)}};
    t.columns[8].properties = {{QStringLiteral("Caption"), Value(u"お名前"_qs)},
                               {QStringLiteral("Required"), Value::boolean(true)},
                               {QStringLiteral("ValidationRule"), Value("Len([氏名])>0")}};
    db.tables = {t};

    JetWriterQuery q;
    q.name = QStringLiteral("表示ソート");
    q.sources = {{tableName, {}}};
    q.outputs = {{QStringLiteral("[氏名]"), {}, {}, -1}};
    q.where = QStringLiteral("[説明]=\"表示\"");
    db.queries = {q};
    return db;
}

// A value as mdb-reader's rows hold it (see tests/jet/mdbreader/rows.js).
QJsonValue asMdbReader(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Null:
        return QJsonValue::Null;
    case Value::Type::Boolean:
        return v.asBoolean();
    case Value::Type::Integer:
    case Value::Type::Long:
    case Value::Type::Single:
    case Value::Type::Double:
        return v.toDouble();
    case Value::Type::Currency: {
        const qint64 units = v.asCurrencyUnits();
        const qint64 magnitude = units < 0 ? -units : units;
        return QStringLiteral("%1%2.%3")
            .arg(units < 0 ? QStringLiteral("-") : QString())
            .arg(magnitude / 10000)
            .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
    }
    case Value::Type::Date:
        return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC)
            .addMSecs(qRound64(v.asOleDate() * 86400000.0))
            .toString(Qt::ISODateWithMs);
    case Value::Type::Binary:
        return QString::fromLatin1(v.asBinary().toHex());
    default:
        return v.asText();
    }
}

} // namespace

TEST(JetWriterJet3, Cp932TablesRowsAndPropertiesReadBackThroughJetSourceAndMdbtools)
{
    QTemporaryDir dir;
    const JetWriterDatabase db = japaneseDatabase();
    const QString path = dir.filePath(QStringLiteral("jet3.mdb"));
    writeJetDatabase(db, path);
    QFile file(path);
    EXPECT_EQ(file.size() % 2048, 0);

    const auto source = JetSource::open(path);
    EXPECT_EQ(source->summary().Version, QStringLiteral("3.0"));
    EXPECT_EQ(source->summary().properties.item(u"AccessVersion").value, Value("07.53"));
    const QList<TableDef> tables = source->tableDefs();
    const TableDef *t = nullptr;
    for (const TableDef &d : tables)
        if (d.Name == tableName)
            t = &d;
    ASSERT_TRUE(t);
    EXPECT_EQ(t->RecordCount(), 3);
    ASSERT_EQ(t->Fields().size(), db.tables[0].columns.size());
    for (int i = 0; i < t->Fields().size(); ++i)
        EXPECT_EQ(t->Fields()[i].Name, db.tables[0].columns[i].name);
    EXPECT_EQ(t->Fields()[8].Size, 20); // characters, as Jet 3 counts them
    EXPECT_EQ(t->Properties().item(u"Description").value, Value(u"ソフトの表"_qs));
    EXPECT_EQ(t->Fields()[8].Properties().item(u"Caption").value, Value(u"お名前"_qs));
    EXPECT_TRUE(t->Fields()[8].Required);
    EXPECT_EQ(t->Fields()[8].ValidationRule, QStringLiteral("Len([氏名])>0"));
    ASSERT_EQ(t->Indexes().size(), 1);
    EXPECT_EQ(t->Indexes()[0].Fields, QStringList{QStringLiteral("番号")});

    const QList<QList<Value>> read = readAll(*source, tableName);
    ASSERT_EQ(read.size(), 3);
    const QList<QList<Value>> &rows = db.tables[0].rows;
    EXPECT_EQ(read[0][0], Value::longInt(1));
    EXPECT_EQ(read[2][0], Value::longInt(3));
    EXPECT_EQ(read[0][4], Value::currency(15000));
    EXPECT_EQ(read[0][6], Value::dbl(3.25));
    EXPECT_EQ(read[0][8], rows[0][8]);
    EXPECT_EQ(read[0][12], rows[0][12]);
    for (int c : {8, 9, 10, 11, 12})
        EXPECT_EQ(read[1][c], rows[1][c]) << c;
    EXPECT_EQ(read[2][9], rows[2][9]);
    EXPECT_TRUE(read[2][10].isNull());
    EXPECT_TRUE(read[1][2].isNull());

    const auto queries = source->queryDefs();
    ASSERT_EQ(queries.size(), 1);
    EXPECT_EQ(queries[0].Name, QStringLiteral("表示ソート"));
    EXPECT_TRUE(queries[0].SQL().contains(QStringLiteral("[説明]=\"表示\"")))
        << queries[0].SQL().toStdString();

    // mdbtools with the CP932 decoder: catalog, schema, every value.
    const QString cp932 = QStringLiteral("CP932");
    EXPECT_EQ(runTool("mdb-ver", {path}).trimmed(), QStringLiteral("JET3"));
    EXPECT_TRUE(runTool("mdb-tables", {"-1", path}, cp932).split('\n').contains(tableName));
    const QStringList exported =
        runTool("mdb-export", {"-T", "%Y-%m-%d %H:%M:%S", "-b", "hex", "-q", "", path, tableName},
                cp932)
            .split('\n');
    ASSERT_GE(exported.size(), 4);
    EXPECT_EQ(exported[0], QStringLiteral("番号,可否,小,数,価格,比,量,日時,氏名,説明,後,備考,絵"));
    EXPECT_EQ(exported[1],
              u"1,1,7,-5,1.5000,0.5,3.25,2024-04-01 09:30:00,ｿﾌﾄ　太郎,短い,終,メモ,005CFF"_qs);
    EXPECT_EQ(exported[2], u"2,0,,,,,,,表,"_qs + wideText + u",後ろ,"_qs + rows[1][11].asText() +
                               u","_qs + QString(5000, u'o').toLatin1().toHex().toUpper());
    EXPECT_EQ(exported[3], u"3,1,255,32767,-0.0001,-2,1e-10,1999-12-31 00:00:00,,"_qs +
                               rows[2][9].asText() + u",,,"_qs);
    const QString schema = runTool("mdb-schema", {"-T", tableName, path, "access"}, cp932);
    EXPECT_TRUE(schema.contains(u"[氏名]\t\t\tText (20) NOT NULL"_qs)) << schema.toStdString();
    const QString props = runTool("mdb-prop", {path, tableName}, cp932);
    EXPECT_TRUE(props.contains(u"Caption: お名前"_qs)) << props.toStdString();
    const QString sql = runTool("mdb-queries", {path, QStringLiteral("表示ソート")}, cp932);
    EXPECT_TRUE(sql.contains(QStringLiteral("[説明]=\"表示\""))) << sql.toStdString();
}

TEST(JetWriterJet3, Cp1252TextAndModulesInMSysModules2)
{
    QTemporaryDir dir;
    JetWriterDatabase db;
    db.version = 3;
    db.codePage = 1252;
    JetWriterTable t;
    t.name = QStringLiteral("Größe");
    t.columns = {column(QStringLiteral("Café"), JetType::Text, 30),
                 column(QStringLiteral("Notes"), JetType::Memo)};
    t.rows = {{Value(QStringLiteral("crème brûlée €5")),
               Value(QStringLiteral("Ünïcödé ").repeated(300))}};
    db.tables = {t};
    JetWriterDocument module;
    module.name = QStringLiteral("Utilitäten");
    module.kind = JetWriterDocument::Module;
    module.code =
        QStringLiteral("Public Function Preis() As Currency\n    Preis = 5 ' €\nEnd Function\n");
    JetWriterDocument form;
    form.name = QStringLiteral("Bestellung");
    form.kind = JetWriterDocument::Form;
    form.code = QStringLiteral("Private Sub Form_Load()\nEnd Sub\n");
    JetWriterDocument cls = module;
    cls.name = QStringLiteral("clsKunde");
    cls.classModule = true;
    JetWriterDocument report = form;
    report.name = QStringLiteral("Umsatz");
    report.kind = JetWriterDocument::Report;
    JetWriterDocument lightweight = form;
    lightweight.name = QStringLiteral("Leicht");
    lightweight.code.clear();
    db.documents = {module, form, cls, report, lightweight};
    const QString path = dir.filePath(QStringLiteral("w.mdb"));
    writeJetDatabase(db, path);

    const auto source = JetSource::open(path);
    const QList<QList<Value>> read = readAll(*source, t.name);
    ASSERT_EQ(read.size(), 1);
    EXPECT_EQ(read[0], t.rows[0]);
    const QStringList exported = runTool("mdb-export", {"-q", "", path, t.name}).split('\n');
    ASSERT_GE(exported.size(), 2);
    EXPECT_EQ(exported[0], QStringLiteral("Café,Notes"));
    EXPECT_EQ(exported[1], t.rows[0][0].asText() + u',' + t.rows[0][1].asText());

    JetModuleSource modules(path);
    const QList<ModuleText> list = modules.modules();
    EXPECT_EQ(modules.storage(), QStringLiteral("MSysModules2"));
    EXPECT_EQ(modules.codePage(), 1252);
    const struct
    {
        QString name;
        ModuleText::Kind kind;
        int attributes;
    } expected[] = {{QStringLiteral("Utilitäten"), ModuleText::Kind::Standard, 1},
                    {QStringLiteral("Form_Bestellung"), ModuleText::Kind::Document, 7},
                    {QStringLiteral("clsKunde"), ModuleText::Kind::Class, 5},
                    {QStringLiteral("Report_Umsatz"), ModuleText::Kind::Document, 7}};
    ASSERT_EQ(list.size(), std::size(expected));
    for (int i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(expected[i].name.toStdString());
        EXPECT_EQ(list[i].name, expected[i].name);
        EXPECT_EQ(list[i].kind, expected[i].kind);
        EXPECT_TRUE(list[i].error.isEmpty()) << list[i].error.toStdString();
        const QStringList lines = list[i].source.split(QStringLiteral("\r\n"));
        ASSERT_GT(lines.size(), expected[i].attributes);
        EXPECT_TRUE(lines[expected[i].attributes - 1].startsWith(QLatin1String("Attribute ")));
        EXPECT_FALSE(lines[expected[i].attributes].startsWith(QLatin1String("Attribute ")));
        EXPECT_TRUE(list[i].source.endsWith(
            QString(db.documents[i].code).replace(u'\n', QStringLiteral("\r\n"))));
    }
    EXPECT_TRUE(runTool("mdb-tables", {"-1", "-S", path})
                    .split('\n')
                    .contains(QStringLiteral("MSysModules2")));

    // Forms and reports without a module carry Access 97's lightweight mark.
    JetTableReader catalog = source->readTable(QStringLiteral("MSysObjects"));
    const int nameAt = int(catalog.fieldNames().indexOf(QStringLiteral("Name")));
    const int markAt = int(catalog.fieldNames().indexOf(QStringLiteral("LvModule")));
    QHash<QString, Value> marks;
    while (catalog.next())
        marks.insert(catalog.value(nameAt).asText(), catalog.value(markAt));
    EXPECT_EQ(marks.value(QStringLiteral("Leicht")), Value::binary("LWF000"));
    EXPECT_TRUE(marks.value(QStringLiteral("Bestellung")).isNull());
    EXPECT_TRUE(marks.value(QStringLiteral("Umsatz")).isNull());
}

TEST(JetWriterJet3, TextOutsideTheCodePageAndUnknownVersionsAreRefused)
{
    JetWriterDatabase db = japaneseDatabase();
    db.codePage = 1252;
    EXPECT_EQ(errorOf([&] { buildJetDatabase(db); }), 3000); // Japanese names in CP1252
    db = japaneseDatabase();
    db.tables[0].rows[0][8] = Value(QStringLiteral("한글"));
    EXPECT_EQ(errorOf([&] { buildJetDatabase(db); }), 3000);
    db = japaneseDatabase();
    db.version = 2;
    EXPECT_EQ(errorOf([&] { buildJetDatabase(db); }), 3000);
}

TEST(JetWriterJet3, TheHanbaiSampleIsACp932Access97DatabaseWithItsModules)
{
    QFile json(QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const JetWriterDatabase db =
        parseJetDescription(json.readAll(), QStringLiteral(QUILLMARK_SOURCE_DIR "/samples"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("hanbai.mdb"));
    writeJetDatabase(db, path);

    EXPECT_EQ(runTool("mdb-ver", {path}).trimmed(), QStringLiteral("JET3"));
    const auto source = JetSource::open(path);
    int rows = 0;
    for (const JetWriterTable &t : db.tables) {
        SCOPED_TRACE(t.name.toStdString());
        EXPECT_EQ(readAll(*source, t.name).size(), t.rows.size());
        EXPECT_EQ(runTool("mdb-count", {path, t.name}, QStringLiteral("CP932")).trimmed().toInt(),
                  t.rows.size());
        rows += int(t.rows.size());
        const QList<IndexWalk> walks = walkTableIndexes(path, t.name);
        EXPECT_EQ(walks.size(), 1 + t.indexes.size()); // the key and the foreign-key indexes
        for (const IndexWalk &w : walks)
            EXPECT_TRUE(w.faults.isEmpty()) << w.faults.join(u"; ").toStdString();
    }
    EXPECT_GE(db.tables.size(), 10);
    EXPECT_GE(rows, 300);
    QSet<int> kinds;
    for (const JetWriterQuery &q : db.queries)
        kinds.insert(q.kind);
    EXPECT_EQ(kinds.size(), 9); // every query kind
    EXPECT_EQ(source->queryDefs().size(), db.queries.size());

    JetModuleSource modules(path);
    QHash<QString, ModuleText::Kind> found;
    for (const ModuleText &m : modules.modules()) {
        EXPECT_TRUE(m.error.isEmpty()) << m.name.toStdString();
        EXPECT_TRUE(m.source.contains(QStringLiteral("End ")))
            << m.name.toStdString(); // real procedures, decoded whole
        found.insert(m.name, m.kind);
    }
    EXPECT_EQ(modules.storage(), QStringLiteral("MSysModules2"));
    EXPECT_EQ(modules.codePage(), 932);
    EXPECT_EQ(found.value(QStringLiteral("共通関数")), ModuleText::Kind::Standard);
    EXPECT_EQ(found.value(QStringLiteral("請求書クラス")), ModuleText::Kind::Class);
    EXPECT_EQ(found.value(QStringLiteral("Form_受注入力")), ModuleText::Kind::Document);
    EXPECT_EQ(found.value(QStringLiteral("Report_請求書")), ModuleText::Kind::Document);
    EXPECT_EQ(found.size(), 7);
}

TEST(JetWriterJet3, EveryRowReadsBackThroughMdbReader)
{
    const QString prefix = qEnvironmentVariable("QUILLMARK_MDB_READER");
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (prefix.isEmpty() || node.isEmpty())
        GTEST_SKIP() << "node or mdb-reader missing (run scripts/check-mdb-reader.sh)";
    QTemporaryDir dir;
    JetWriterDatabase japanese = japaneseDatabase();
    QFile json(QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai.json"));
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    const JetWriterDatabase hanbai =
        parseJetDescription(json.readAll(), QStringLiteral(QUILLMARK_SOURCE_DIR "/samples"));
    JetWriterDatabase western = japanese;
    western.codePage = 1252;
    western.sortOrder = 0x0409;
    western.tables[0].name = QStringLiteral("Größe");
    for (int i = 0; i < western.tables[0].columns.size(); ++i)
        western.tables[0].columns[i].name = QStringLiteral("Spalte_%1_é").arg(i);
    // 240 bytes before the last Text column: its offset needs the jump table.
    const QList<Value> westernText{
        Value(QStringLiteral("Größe Ä")), Value(QStringLiteral("Café €").repeated(40)),
        Value(QStringLiteral("ß")), Value(QStringLiteral("Ünïcödé ").repeated(300))};
    for (QList<Value> &row : western.tables[0].rows)
        for (int c : {8, 9, 10, 11})
            if (row[c].isText())
                row[c] = westernText[c - 8];
    western.tables[0].primaryKey = {western.tables[0].columns[0].name};
    western.tables[0].columns[8].properties.clear();
    western.queries.clear();
    western.tables[0].properties.clear();
    JetWriterDatabase jet4 = hanbai;
    jet4.version = 4;
    const struct
    {
        const char *what;
        JetWriterDatabase db;
        QString charset;
    } cases[] = {{"Jet 3, CP932", japanese, QStringLiteral("shift_jis")},
                 {"Jet 3, CP1252", western, QStringLiteral("-")},
                 {"the hanbai sample", hanbai, QStringLiteral("shift_jis")},
                 {"the hanbai sample as Jet 4", jet4, QStringLiteral("-")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath(QString::fromLatin1(c.what).replace(u' ', u'_') + ".mdb");
        writeJetDatabase(c.db, path);
        QProcess p;
        p.start(node, {QStringLiteral(QUILLMARK_SOURCE_DIR "/tests/jet/mdbreader/rows.js"), prefix,
                       c.charset, path});
        ASSERT_TRUE(p.waitForFinished(120000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QJsonObject read = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        const auto source = JetSource::open(path);
        EXPECT_EQ(read.size(), c.db.tables.size());
        for (const JetWriterTable &t : c.db.tables) {
            SCOPED_TRACE(t.name.toStdString());
            const QJsonObject table = read.value(t.name).toObject();
            QJsonArray columns;
            for (const JetWriterColumn &col : t.columns)
                columns.append(col.name);
            EXPECT_EQ(table.value(QLatin1String("columns")).toArray(), columns);
            const QJsonArray rows = table.value(QLatin1String("rows")).toArray();
            const QList<QList<Value>> ours = readAll(*source, t.name);
            ASSERT_EQ(rows.size(), ours.size());
            for (int r = 0; r < ours.size(); ++r)
                for (int col = 0; col < ours[r].size(); ++col)
                    EXPECT_EQ(rows[r].toArray().at(col), asMdbReader(ours[r][col]))
                        << "row " << r << ", column " << t.columns[col].name.toStdString();
        }
    }
}
