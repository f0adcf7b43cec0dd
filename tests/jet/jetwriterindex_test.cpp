// Indexes the Jet writer builds, checked by the test-side index walker
// (which shares no code with the writer), by our reader and by mdbtools.

#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/jet/write/jetwriter.h"
#include "host/jet/write/jetwriterdesc.h"
#include "host/vb/errors.h"
#include "jet/indexwalker.h"
#include "jet/writertest.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

namespace {

// 5,000 rows whose keys spread over the whole range of each type.
JetWriterTable keyedTable()
{
    JetWriterTable t;
    t.name = QStringLiteral("Keys");
    t.columns = {column(QStringLiteral("K"), JetType::Long),
                 column(QStringLiteral("Small"), JetType::Integer),
                 column(QStringLiteral("Tiny"), JetType::Byte),
                 column(QStringLiteral("Maybe"), JetType::Long),
                 column(QStringLiteral("Note"), JetType::Text)};
    t.primaryKey = {QStringLiteral("K")};
    JetWriterIndex small{
        QStringLiteral("SmallUnique"), {QStringLiteral("Small")}, {}, true, false, false};
    JetWriterIndex pair{QStringLiteral("TinyThenKDown"),
                        {QStringLiteral("Tiny"), QStringLiteral("K")},
                        {false, true},
                        false,
                        false,
                        false};
    JetWriterIndex sparse{
        QStringLiteral("MaybeSparse"), {QStringLiteral("Maybe")}, {true}, false, true, false};
    JetWriterIndex tiny{QStringLiteral("Tiny"), {QStringLiteral("Tiny")}, {}, false, false, true};
    t.indexes = {small, pair, sparse, tiny};
    for (int r = 0; r < 5000; ++r) {
        // Keys in no particular order, both signs, with both extremes.
        const qint32 k = r == 0   ? std::numeric_limits<qint32>::min()
                         : r == 1 ? std::numeric_limits<qint32>::max()
                                  : qint32((r * 7919LL) % 100003) * (r % 2 ? 1 : -1) * 21474;
        const qint16 s =
            qint16(r * 13 % 5000 - 2500 + (r == 2 ? -30268 : 0) + (r == 3 ? 30267 : 0));
        t.rows.append({Value::longInt(k), Value::integer(s),
                       Value::integer(qint16(r % 256 == 7 ? 255 : r % 11)),
                       r % 3 ? Value::null() : Value::longInt(r - 2500),
                       Value(QStringLiteral("row %1").arg(r))});
    }
    return t;
}

} // namespace

TEST(JetWriterIndex, ManyPageIndexesWalkCleanlyInBothFormats)
{
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        QTemporaryDir dir;
        JetWriterDatabase db;
        db.version = version;
        db.tables = {keyedTable()};
        const QString path = dir.filePath(QStringLiteral("keys.mdb"));
        writeJetDatabase(db, path);

        const auto file = JetFile::open(path, JetOptions());
        const QList<IndexWalk> walks =
            walkIndexes(*file, tableDefinitionPage(path, QStringLiteral("Keys")));
        ASSERT_EQ(walks.size(), 5);
        const QList<int> entries{5000, 5000, 5000, 5000 / 3 + 1, 5000};
        const QList<int> flags{0x09, 0x01, 0x00, 0x02, 0x08};
        for (int i = 0; i < walks.size(); ++i) {
            const IndexWalk &w = walks[i];
            SCOPED_TRACE(w.names.join(u',').toStdString());
            EXPECT_TRUE(w.faults.isEmpty()) << w.faults.mid(0, 5).join(u"; ").toStdString();
            EXPECT_TRUE(w.keysChecked);
            EXPECT_EQ(w.entries, entries[i]);
            EXPECT_EQ(w.flags, flags[i] | (version == 4 ? 0x80 : 0));
            EXPECT_GT(w.leafPages, 1); // 5,000 keys never fit one page
            EXPECT_EQ(w.depth, 2);
            EXPECT_EQ(int(w.tdefKeyCount), w.distinctKeys);
        }
        EXPECT_EQ(walks[2].descending, (QList<bool>{false, true}));
        EXPECT_EQ(walks[3].distinctKeys, 5000 / 3 + 1);
        EXPECT_EQ(walks[4].distinctKeys, 12);

        const QList<TableDef> tables = JetSource::open(path)->tableDefs();
        const auto keys = std::find_if(tables.begin(), tables.end(),
                                       [](const TableDef &t) { return t.Name == u"Keys"; });
        ASSERT_NE(keys, tables.end());
        const QList<Index> indexes = keys->Indexes();
        ASSERT_EQ(indexes.size(), 5);
        EXPECT_TRUE(indexes[0].Primary && indexes[0].Unique);
        EXPECT_EQ(indexes[0].Name, QStringLiteral("PrimaryKey"));
        EXPECT_TRUE(!indexes[1].Primary && indexes[1].Unique);
        EXPECT_FALSE(indexes[2].Unique);
        EXPECT_EQ(indexes[2].Fields, (QStringList{QStringLiteral("Tiny"), QStringLiteral("K")}));
        EXPECT_FALSE(indexes[4].Unique);

        const QString schema =
            runTool(QStringLiteral("mdb-schema"),
                    {QStringLiteral("--indexes"), path, QStringLiteral("postgres")});
        EXPECT_TRUE(schema.contains(QStringLiteral("PRIMARY KEY (\"k\")"))) << schema.toStdString();
        EXPECT_TRUE(schema.contains(
            QStringLiteral("CREATE UNIQUE INDEX \"keys_smallunique_idx\" ON \"keys\" (\"small\")")))
            << schema.toStdString();
        EXPECT_TRUE(schema.contains(QStringLiteral(
            "CREATE INDEX \"keys_tinythenkdown_idx\" ON \"keys\" (\"tiny\", \"k\" DESC)")))
            << schema.toStdString();
        EXPECT_EQ(runTool(QStringLiteral("mdb-count"), {path, QStringLiteral("Keys")}).trimmed(),
                  QStringLiteral("5000"));
    }
}

TEST(JetWriterIndex, KeysOfEveryFixedTypeWalkCleanlyInBothFormats)
{
    JetWriterTable t;
    t.name = QStringLiteral("Fixed");
    t.columns = {column(QStringLiteral("Price"), JetType::Currency),
                 column(QStringLiteral("Ratio"), JetType::Single),
                 column(QStringLiteral("Amount"), JetType::Double),
                 column(QStringLiteral("When"), JetType::DateTime),
                 column(QStringLiteral("Done"), JetType::Boolean)};
    const auto index = [](const char *name, const QStringList &columns, QList<bool> descending) {
        return JetWriterIndex{QString::fromLatin1(name), columns, descending, false, false, false};
    };
    t.indexes = {index("Price", {QStringLiteral("Price")}, {}),
                 index("RatioDown", {QStringLiteral("Ratio")}, {true}),
                 index("Amount", {QStringLiteral("Amount")}, {}),
                 index("DoneThenWhen", {QStringLiteral("Done"), QStringLiteral("When")}, {true})};
    // Both signs, zero, fractions, extremes, dates before 1899-12-30 and NULLs.
    const QList<double> specials{0, -1, 1, -1e300, 1e300, -0.5, 0.25, 1e-300, -1e-300};
    for (int r = 0; r < 3000; ++r) {
        const double x = r < specials.size() ? specials[r] : (r * 7919 % 20011 - 10005) / 7.0;
        const bool empty = r % 17 == 5;
        t.rows.append({empty ? Value::null() : Value::currency(qint64(x * 10000) % 900000000000LL),
                       empty ? Value::null() : Value::single(float(x / 1e290)),
                       empty ? Value::null() : Value::dbl(x),
                       empty ? Value::null() : Value::date(std::fmod(x, 60000.0)),
                       Value::boolean(r % 3 == 0)});
    }
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        QTemporaryDir dir;
        JetWriterDatabase db;
        db.version = version;
        db.tables = {t};
        const QString path = writeDatabase(dir, db);
        const QList<IndexWalk> walks = walkTableIndexes(path, t.name);
        ASSERT_EQ(walks.size(), t.indexes.size());
        for (const IndexWalk &w : walks) {
            SCOPED_TRACE(w.names.join(u',').toStdString());
            EXPECT_TRUE(w.faults.isEmpty()) << w.faults.mid(0, 5).join(u"; ").toStdString();
            EXPECT_TRUE(w.keysChecked); // every key recomputed from its row
            EXPECT_EQ(w.entries, 3000);
            EXPECT_GT(w.leafPages, 1);
        }
        const QString schema =
            runTool(QStringLiteral("mdb-schema"),
                    {QStringLiteral("--indexes"), path, QStringLiteral("postgres")});
        EXPECT_TRUE(schema.contains(QStringLiteral(
            "CREATE INDEX \"fixed_donethenwhen_idx\" ON \"fixed\" (\"done\" DESC, \"when\")")))
            << schema.toStdString();
    }
}

TEST(JetWriterIndex, GeneratedBigTableGetsAPrimaryKeyTree)
{
    JetGeneratorSize size =
        parseGeneratorSize(QStringLiteral("tables=2,fields=4,rows=3,bigrows=100000,queries=0"));
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        QTemporaryDir dir;
        JetWriterDatabase db = generateJetDatabase(size);
        db.version = version;
        const QString path = dir.filePath(QStringLiteral("big.mdb"));
        writeJetDatabase(db, path);
        const auto file = JetFile::open(path, JetOptions());
        for (const QString &table : {QStringLiteral("Table0001"), QStringLiteral("Table0002")}) {
            const QList<IndexWalk> walks = walkIndexes(*file, tableDefinitionPage(path, table));
            ASSERT_EQ(walks.size(), 1);
            const IndexWalk &w = walks[0];
            EXPECT_TRUE(w.faults.isEmpty()) << w.faults.mid(0, 5).join(u"; ").toStdString();
            EXPECT_TRUE(w.keysChecked);
            EXPECT_EQ(w.entries, table == u"Table0001" ? 100000 : 3);
        }
        const IndexWalk big =
            walkIndexes(*file, tableDefinitionPage(path, QStringLiteral("Table0001")))[0];
        // Jet 3 pages hold too few node entries for one node over 100,000 keys.
        EXPECT_EQ(big.depth, version == 3 ? 3 : 2);
        EXPECT_EQ(
            runTool(QStringLiteral("mdb-count"), {path, QStringLiteral("Table0001")}).trimmed(),
            QStringLiteral("100000"));
    }
}

// Deleted rows are written as Access leaves them: bytes in place among the
// live rows with the offset's deleted flag, in neither the index nor the
// row count; every reader skips them.
TEST(JetWriterIndex, DeletedRowsStayOnThePagesOutOfIndexAndCount)
{
    const JetGeneratorSize size = parseGeneratorSize(
        QStringLiteral("tables=2,fields=4,rows=10,bigrows=1000,queries=0,deleted=50"));
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        QTemporaryDir dir;
        JetWriterDatabase db = generateJetDatabase(size);
        db.version = version;
        const QString path = writeDatabase(dir, db);
        const quint32 tdef = tableDefinitionPage(path, QStringLiteral("Table0001"));

        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const int pageSize = version == 3 ? 2048 : 4096, countAt = version == 3 ? 8 : 12;
        int flagged = 0, stored = 0;
        for (qsizetype at = 0; at + pageSize <= bytes.size(); at += pageSize) {
            const char *page = bytes.constData() + at;
            if (page[0] != 0x01 || qFromLittleEndian<quint32>(page + 4) != tdef)
                continue;
            const int rows = qFromLittleEndian<quint16>(page + countAt);
            stored += rows;
            for (int r = 0; r < rows; ++r)
                flagged += (qFromLittleEndian<quint16>(page + countAt + 2 + 2 * r) & 0x8000) != 0;
        }
        EXPECT_EQ(stored, 1000);
        EXPECT_EQ(flagged, 500);

        const auto source = JetSource::open(path);
        const QList<QList<Value>> rows = readAll(*source, QStringLiteral("Table0001"));
        ASSERT_EQ(rows.size(), 500);
        for (qsizetype r = 0; r < rows.size(); ++r) {
            ASSERT_EQ(rows[r][0].asLong(), 2 * r + 1);
            ASSERT_EQ(rows[r][1].asText(), QStringLiteral("Text %1-1").arg(2 * r));
        }
        const auto file = JetFile::open(path, JetOptions());
        const IndexWalk walk = walkIndexes(*file, tdef).value(0);
        EXPECT_TRUE(walk.faults.isEmpty()) << walk.faults.mid(0, 5).join(u"; ").toStdString();
        EXPECT_EQ(walk.entries, 500);
        EXPECT_EQ(
            runTool(QStringLiteral("mdb-count"), {path, QStringLiteral("Table0001")}).trimmed(),
            QStringLiteral("500"));
    }
}

TEST(JetWriterIndex, WalkerNoticesDamagedTrees)
{
    QTemporaryDir dir;
    JetWriterDatabase db;
    JetWriterTable t;
    t.name = QStringLiteral("T");
    t.columns = {column(QStringLiteral("K"), JetType::Long)};
    t.primaryKey = {QStringLiteral("K")};
    for (int r = 0; r < 2000; ++r)
        t.rows.append({Value::longInt(r * 3)});
    db.tables = {t};
    const QByteArray good = buildJetDatabase(db);
    const QString goodPath = writeFile(dir, QStringLiteral("good.mdb"), good);
    const quint32 tdef = tableDefinitionPage(goodPath, QStringLiteral("T"));
    const auto walk = [&](const QByteArray &bytes) {
        const QString path = writeFile(dir, QStringLiteral("bad.mdb"), bytes);
        const auto file = JetFile::open(path, JetOptions());
        return walkIndexes(*file, tdef).value(0).faults;
    };
    ASSERT_TRUE(walk(good).isEmpty());

    // Find a leaf that is not the first and one of its entries.
    int leaf = -1;
    for (int p = 0; p * 4096 < good.size(); ++p)
        if (good[p * 4096] == 0x04 &&
            qFromLittleEndian<quint32>(good.constData() + p * 4096 + 12) != 0)
            leaf = p;
    ASSERT_GE(leaf, 0);
    const int page = leaf * 4096;

    QByteArray keyChanged = good; // the last byte of the first entry's key
    keyChanged[page + 480 + 4] = char(keyChanged[page + 480 + 4] ^ 0x01);
    EXPECT_FALSE(walk(keyChanged).isEmpty());

    QByteArray rowChanged = good; // the row byte of the first entry
    rowChanged[page + 480 + 8] = char(rowChanged[page + 480 + 8] + 1);
    EXPECT_FALSE(walk(rowChanged).isEmpty());

    QByteArray unlinked = good; // previous-page pointer cleared
    qToLittleEndian(quint32(0), unlinked.data() + page + 12);
    EXPECT_FALSE(walk(unlinked).isEmpty());

    QByteArray noTail = good; // the root node loses its last child
    for (int p = 0; p * 4096 < good.size(); ++p)
        if (good[p * 4096] == 0x03)
            qToLittleEndian(quint32(0), noTail.data() + p * 4096 + 20);
    EXPECT_FALSE(walk(noTail).isEmpty());
}

TEST(JetWriterIndex, UnwritableIndexesAreRefusedWithTheirReason)
{
    const auto errorWith = [](const std::function<void(JetWriterTable &)> &change) {
        JetWriterDatabase db;
        JetWriterTable t;
        t.name = QStringLiteral("T");
        t.columns = {column(QStringLiteral("A"), JetType::Long),
                     column(QStringLiteral("B"), JetType::Integer),
                     column(QStringLiteral("C"), JetType::Text)};
        t.rows = {{Value::longInt(1), Value::null(), Value("x")},
                  {Value::longInt(2), Value::null(), Value("y")}};
        change(t);
        db.tables = {t};
        return errorOf([&] { buildJetDatabase(db); });
    };
    const auto index = [](const QString &name, const QStringList &columns, bool unique = false) {
        JetWriterIndex ix;
        ix.name = name;
        ix.columns = columns;
        ix.unique = unique;
        return ix;
    };
    // Rows whose key columns are all NULL may repeat in a unique index.
    EXPECT_EQ(errorWith([&](JetWriterTable &t) { t.indexes = {index("B", {"B"}, true)}; }), 0);
    EXPECT_EQ(errorWith([&](JetWriterTable &t) {
                  t.indexes = {index("AB", {"A", "B"}, true)};
                  t.rows[1][0] = Value::longInt(1);
              }),
              3000); // (1, NULL) twice
    EXPECT_EQ(errorWith([&](JetWriterTable &t) {
                  t.indexes = {index("B", {"B"})};
                  t.indexes[0].required = true;
              }),
              3000);
    EXPECT_EQ(errorWith([&](JetWriterTable &t) { t.indexes = {index("X", {"Z"})}; }), 3000);
    EXPECT_EQ(errorWith([&](JetWriterTable &t) { t.indexes = {index("X", {"A", "a"})}; }), 3000);
    EXPECT_EQ(errorWith([&](JetWriterTable &t) {
                  t.indexes = {index("X", {"A"}), index("x", {"B"})};
              }),
              3000);
    EXPECT_EQ(errorWith([&](JetWriterTable &t) {
                  t.primaryKey = {"A"};
                  t.indexes = {index("PrimaryKey", {"B"})};
              }),
              3000);
}

TEST(JetWriterIndex, DescriptionsNameIndexes)
{
    const QByteArray json = R"({"tables": [{"name": "T", "primaryKey": ["A"],
        "columns": [{"name": "A", "type": "Long"}, {"name": "B", "type": "Integer"}],
        "indexes": [{"name": "ByB", "columns": [{"name": "B", "descending": true}, "A"], "unique": true}],
        "rows": [[1, 5], [2, 5]]}]})";
    const JetWriterDatabase db = parseJetDescription(json, QString());
    ASSERT_EQ(db.tables.size(), 1);
    ASSERT_EQ(db.tables[0].indexes.size(), 1);
    const JetWriterIndex &ix = db.tables[0].indexes[0];
    EXPECT_EQ(ix.name, QStringLiteral("ByB"));
    EXPECT_EQ(ix.columns, (QStringList{QStringLiteral("B"), QStringLiteral("A")}));
    EXPECT_EQ(ix.descending, (QList<bool>{true, false}));
    EXPECT_TRUE(ix.unique);
    EXPECT_FALSE(ix.ignoreNulls);
}
