// The documentation store: created on first use, cleared and appended as the
// harvesters do, conversions by column type, errors that name their cause,
// and rows kept when a command fails halfway.

#include "host/store/store.h"
#include "host/store/storedates.h"
#include "host/store/storereadconnection.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Reads a table through an independent connection, as a report would.
QList<QVariantList> rowsOf(const QString &path, const QString &sql)
{
    QList<QVariantList> rows;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery q(db);
        q.exec(sql);
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << q.value(i);
            rows << row;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return rows;
}

void addObject(Recordset &rs, int number, const QString &name)
{
    rs.AddNew();
    rs.setField(QStringLiteral("DbNo"), Value::integer(0));
    rs.setField(QStringLiteral("objectNo"), Value::integer(qint16(number)));
    rs.setField(QStringLiteral("objectName"), name);
    rs.Update(1, false);
}

} // namespace

TEST(Store, CreatesAllTablesAndAppendsInOrder)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Analize.mdb"));
    {
        auto store = Store::open(path);
        for (const char *table :
             {"T_DataBase", "T_Object", "T_TableInfo", "T_TableItem", "T_QueryInfo", "T_QueryItem",
              "T_FormInfo", "T_FormItem", "T_ReportInfo", "T_ReportItem", "T_ReportGroup",
              "T_ProcName", "T_DimCall", "T_AcProc"})
            EXPECT_NO_THROW(store->OpenRecordset(QString::fromLatin1(table), 2)) << table;
        Recordset &objects = store->OpenRecordset(QStringLiteral("T_Object"), 2);
        addObject(objects, 1, QStringLiteral("ﾃｰﾌﾞﾙ　一"));
        addObject(objects, 2, QStringLiteral("Orders"));
        store->commit();
    }
    const auto rows = rowsOf(
        path,
        QStringLiteral("SELECT objectNo, objectName, QueryType FROM T_Object ORDER BY rowid"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][1].toString(), QStringLiteral("ﾃｰﾌﾞﾙ　一"));
    EXPECT_EQ(rows[1][0].toInt(), 2);
    EXPECT_TRUE(rows[1][2].isNull()); // not written: the store's default

    // Reopening keeps the rows; the designed delete empties one table only.
    auto store = Store::open(path);
    store->OpenRecordset(QStringLiteral("T_DataBase"), 2).AddNew();
    store->OpenRecordset(QStringLiteral("T_DataBase"), 2);
    store->Execute(QStringLiteral("delete * from T_Object;"));
    store->commit();
    EXPECT_TRUE(rowsOf(path, QStringLiteral("SELECT * FROM T_Object")).isEmpty());
    EXPECT_EQ(errorOf([&] { store->Execute(QStringLiteral("drop table T_Object")); }), 3129);
}

TEST(Store, FieldsConvertAndReadBack)
{
    QTemporaryDir dir;
    auto store = Store::open(dir.filePath(QStringLiteral("Analize.mdb")));
    Recordset &form = store->OpenRecordset(QStringLiteral("T_FormInfo"), 2);
    form.AddNew();
    // Event slots read as the empty text until written.
    EXPECT_EQ(form.field(QStringLiteral("Ibent1")), Value(QString()));
    EXPECT_TRUE(form.field(QStringLiteral("FormName")).isNull());
    form.setField(QStringLiteral("ibent1"), QStringLiteral("ｸﾘｯｸ時")); // names ignore case
    EXPECT_EQ(form.field(QStringLiteral("Ibent1")), Value(QStringLiteral("ｸﾘｯｸ時")));
    form.setField(QStringLiteral("AllowEdits"), Value::boolean(true));
    EXPECT_EQ(form.field(QStringLiteral("AllowEdits")), Value(QStringLiteral("True")));
    EXPECT_EQ(errorOf([&] { form.setField(QStringLiteral("NoSuchField"), Value::integer(1)); }),
              3265);
    form.Update(1, false);
    EXPECT_EQ(errorOf([&] { form.Update(1, false); }), 3020);

    Recordset &items = store->OpenRecordset(QStringLiteral("T_TableItem"), 2);
    items.AddNew();
    items.setField(QStringLiteral("PrimaryKey"), Value::boolean(true));
    EXPECT_EQ(items.field(QStringLiteral("PrimaryKey")), Value::boolean(true));
    items.setField(QStringLiteral("FieldSize"), Value::integer(255));
    EXPECT_EQ(items.field(QStringLiteral("FieldSize")), Value::longInt(255));
    EXPECT_EQ(errorOf([&] { items.setField(QStringLiteral("FieldNo"), Value::longInt(40000)); }),
              6);
    EXPECT_EQ(errorOf([&] { items.setField(QStringLiteral("FieldNo"), QStringLiteral("x")); }), 13);
    items.setField(QStringLiteral("DefaultValue"), Value::null());
    EXPECT_TRUE(items.field(QStringLiteral("DefaultValue")).isNull());
    items.setField(QStringLiteral("SourceTable"), QString()); // empty, not Null
    EXPECT_EQ(items.field(QStringLiteral("SourceTable")), Value(QString()));
    EXPECT_FALSE(items.field(QStringLiteral("SourceTable")).isNull());

    Recordset &objects = store->OpenRecordset(QStringLiteral("T_Object"), 2);
    objects.AddNew();
    objects.setField(QStringLiteral("DateCreate"), Value::date(45383.5));
    EXPECT_EQ(objects.field(QStringLiteral("DateCreate")), Value::date(45383.5));
    objects.setField(QStringLiteral("Description"), Value::longInt(7));
    EXPECT_EQ(objects.field(QStringLiteral("Description")), Value::longInt(7));

    Recordset &sql = store->OpenRecordset(QStringLiteral("T_QueryInfo"), 2);
    sql.AddNew();
    const QString longSql = QString(70000, u'x');
    sql.setField(QStringLiteral("QuerySQL"), longSql);
    sql.Update(1, false);
    store->commit();
}

TEST(Store, BadStoresEndWithClearErrorsAndLoseNothing)
{
    QTemporaryDir dir;
    // Not an SQLite file: refused, and left exactly as it was.
    const QByteArray foreign("Standard Jet DB\0 not a store at all", 35);
    const QString foreignPath = writeFile(dir, QStringLiteral("Analize.mdb"), foreign);
    EXPECT_EQ(errorOf([&] { Store::open(foreignPath); }), 31003);
    QFile check(foreignPath);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), foreign);

    // A folder that does not exist, or a path that is a folder.
    EXPECT_EQ(errorOf([&] { Store::open(dir.filePath(QStringLiteral("missing/Analize.mdb"))); }),
              75);
    EXPECT_EQ(errorOf([&] { Store::open(dir.path()); }), 75);

    // A store that lost a table: the table is named, the other rows stay.
    const QString path = dir.filePath(QStringLiteral("store.mdb"));
    {
        auto store = Store::open(path);
        addObject(store->OpenRecordset(QStringLiteral("T_Object"), 2), 1, QStringLiteral("kept"));
        store->commit();
        QSqlQuery(store->connection()).exec(QStringLiteral("DROP TABLE T_DimCall"));
    }
    auto store = Store::open(path);
    try {
        store->OpenRecordset(QStringLiteral("T_DimCall"), 2);
        ADD_FAILURE() << "a missing table must raise";
    } catch (const HostError &e) {
        EXPECT_EQ(e.code(), 3011);
        EXPECT_TRUE(e.description().contains(QStringLiteral("T_DimCall")));
    }
    EXPECT_EQ(rowsOf(path, QStringLiteral("SELECT objectName FROM T_Object"))
                  .value(0)
                  .value(0)
                  .toString(),
              QStringLiteral("kept"));
}

TEST(Store, UncommittedRowsAreInvisibleUntilCommit)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Analize.mdb"));
    auto store = Store::open(path);
    Recordset &objects = store->OpenRecordset(QStringLiteral("T_Object"), 2);
    for (int i = 1; i <= 1000; ++i)
        addObject(objects, i, QStringLiteral("o%1").arg(i));
    // One transaction for the whole run: another connection sees nothing yet.
    EXPECT_TRUE(
        rowsOf(path, QStringLiteral("SELECT count(*) FROM T_Object")).value(0).value(0).toInt() ==
        0);
    store->commit();
    EXPECT_EQ(
        rowsOf(path, QStringLiteral("SELECT count(*) FROM T_Object")).value(0).value(0).toInt(),
        1000);
}

TEST(Store, DatesAreIsoTextThatRoundTripsToTheMillisecond)
{
    const struct
    {
        double ole;
        const char *text;
    } dates[] = {
        {0, "1899-12-30 00:00:00"},       // the zero date
        {-1.5, "1899-12-29 12:00:00"},    // before 1900: the fraction is still the time
        {-36522, "1800-01-01 00:00:00"},  //
        {45383.5, "2024-04-01 12:00:00"}, //
        {37106.7623638889, "2001-08-03 18:17:48.240"},
        {2.99999999999, "1900-01-02 00:00:00"}, // rounds up into the next day
        {2958465.999988426, "9999-12-31 23:59:59"},
    };
    for (const auto &d : dates) {
        SCOPED_TRACE(d.text);
        EXPECT_EQ(storedDateText(d.ole), QString::fromLatin1(d.text));
        const auto back = oleDateOfStored(QString::fromLatin1(d.text));
        ASSERT_TRUE(back.has_value());
        EXPECT_NEAR(*back, d.ole, 0.0005 / 86400); // within half a millisecond
        EXPECT_EQ(storedDateText(*back), QString::fromLatin1(d.text));
    }
    for (const char *bad : {"", "2024-04-01", "2024-02-30 00:00:00", "2024-04-01T12:00:00"})
        EXPECT_FALSE(oleDateOfStored(QString::fromLatin1(bad)).has_value()) << bad;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Analize.mdb"));
    {
        auto store = Store::open(path);
        Recordset &objects = store->OpenRecordset(QStringLiteral("T_Object"), 2);
        objects.AddNew();
        objects.setField(QStringLiteral("DateCreate"), Value::date(-1.5));
        objects.setField(QStringLiteral("DateUpdate"), Value::date(37106.7623638889));
        objects.Update(1, false);
        store->commit();
    }
    // Any SQLite tool reads real dates.
    const QString shell = runTool(QStringLiteral("sqlite3"),
                                  {path, QStringLiteral("SELECT date(DateCreate), "
                                                        "strftime('%H:%M', DateUpdate) FROM "
                                                        "T_Object")});
    EXPECT_EQ(shell.trimmed(), QStringLiteral("1899-12-29|18:17"));
}

TEST(Store, OlderLayoutsAreRebuiltAndOthersRefused)
{
    QTemporaryDir dir;
    auto sqlite = [&](const QString &name, const QString &sql) {
        const QString path = dir.filePath(name);
        runTool(QStringLiteral("sqlite3"), {path, sql});
        return path;
    };
    // An older build's store: dates as numbers, no layout mark.
    const QString old = sqlite(QStringLiteral("old.mdb"),
                               QStringLiteral("CREATE TABLE T_Object (objectName TEXT, DateCreate "
                                              "DATETIME); INSERT INTO T_Object VALUES ('x', "
                                              "37106.76);"));
    {
        auto store = Store::open(old);
        store->commit();
    }
    EXPECT_TRUE(rowsOf(old, QStringLiteral("SELECT * FROM T_Object")).isEmpty());
    EXPECT_EQ(rowsOf(old, QStringLiteral("PRAGMA user_version")).value(0).value(0).toInt(), 2);
    EXPECT_EQ(rowsOf(old, QStringLiteral("SELECT count(*) FROM T_TableItem")).value(0).value(0), 0);

    // Someone else's database, or a newer build's store: refused, untouched.
    const QString foreign = sqlite(QStringLiteral("customers.db"),
                                   QStringLiteral("CREATE TABLE Customers (Name TEXT); INSERT "
                                                  "INTO Customers VALUES ('kept');"));
    EXPECT_EQ(errorOf([&] { Store::open(foreign); }), 31003);
    EXPECT_EQ(rowsOf(foreign, QStringLiteral("SELECT Name FROM Customers")).value(0).value(0),
              QStringLiteral("kept"));
    const QString newer =
        sqlite(QStringLiteral("newer.mdb"),
               QStringLiteral("CREATE TABLE T_Object (objectName TEXT); PRAGMA user_version = 9;"));
    EXPECT_EQ(errorOf([&] { Store::open(newer); }), 31003);
}

TEST(Store, ValuesKeepTheirKindInTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Analize.mdb"));
    {
        auto store = Store::open(path);
        Recordset &db = store->OpenRecordset(QStringLiteral("T_DataBase"), 2);
        db.AddNew();
        db.setField(QStringLiteral("DbNo"), Value::integer(-3));
        db.setField(QStringLiteral("DbName"), QStringLiteral("販売管理　ﾃｽﾄ.mdb"));
        db.setField(QStringLiteral("FileSize"), Value::dbl(1.5e9));
        db.Update(1, false);
        Recordset &objects = store->OpenRecordset(QStringLiteral("T_Object"), 2);
        for (const Value &description :
             {Value::longInt(70000), Value::binary(QByteArray("\0\x01\xff", 3)),
              Value(QStringLiteral("説明")), Value::null(), Value(QString())}) {
            objects.AddNew();
            objects.setField(QStringLiteral("Description"), description);
            objects.Update(1, false);
        }
        store->commit();
    }
    const auto db = rowsOf(path, QStringLiteral("SELECT typeof(DbNo), DbNo, DbName, "
                                                "typeof(FileSize), FileSize FROM T_DataBase"));
    ASSERT_EQ(db.size(), 1);
    EXPECT_EQ(db[0],
              (QVariantList{QStringLiteral("integer"), -3, QStringLiteral("販売管理　ﾃｽﾄ.mdb"),
                            QStringLiteral("real"), 1.5e9}));
    const auto objects = rowsOf(
        path,
        QStringLiteral("SELECT typeof(Description), Description FROM T_Object ORDER BY rowid"));
    ASSERT_EQ(objects.size(), 5);
    EXPECT_EQ(objects[0], (QVariantList{QStringLiteral("integer"), 70000}));
    EXPECT_EQ(objects[1][0], QStringLiteral("blob"));
    EXPECT_EQ(objects[1][1].toByteArray(), QByteArray("\0\x01\xff", 3));
    EXPECT_EQ(objects[2], (QVariantList{QStringLiteral("text"), QStringLiteral("説明")}));
    EXPECT_EQ(objects[3][0], QStringLiteral("null"));
    EXPECT_EQ(objects[4][0], QStringLiteral("text")) << "an empty text is not Null";
}

TEST(Store, ReadersSeeTheirSnapshotWhileTheStoreIsWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Analize.mdb"));
    const auto objectCount = [](StoreReadConnection &reader) {
        QSqlQuery q(reader.db());
        return q.exec(QStringLiteral("SELECT count(*) FROM T_Object")) && q.next()
                   ? q.value(0).toInt()
                   : -1;
    };
    {
        auto store = Store::open(path);
        ASSERT_TRUE(store->allowReadersWhileWriting());
        Recordset &objects = store->OpenRecordset(QStringLiteral("T_Object"), 2);
        for (int i = 1; i <= 3; ++i)
            addObject(objects, i, QStringLiteral("T_%1").arg(i));
        store->commit();

        StoreReadConnection reader(path);
        reader.holdSnapshot();
        store->Execute(QStringLiteral("delete * from T_Object;"));
        addObject(objects, 9, QStringLiteral("T_9"));
        EXPECT_NO_THROW(store->commit()) << "the reader does not hold the writer up";
        EXPECT_EQ(objectCount(reader), 3) << "the snapshot, not the commit after it";
        StoreReadConnection later(path);
        EXPECT_EQ(objectCount(later), 1);
    }
    // Closed, the store is one file again, as before.
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray header = file.read(20);
    EXPECT_EQ(header.at(18), 1) << "rollback journal again";
    EXPECT_EQ(rowsOf(path, QStringLiteral("SELECT objectNo FROM T_Object")),
              (QList<QVariantList>{{9}}));
}
