// Text keys the Jet writer builds under the General sort order: compared
// byte for byte with the keys Access wrote for the same values, walked by
// the test-side index walker, read back by mdbtools, and refused where the
// collation is not known.

#include "host/jet/jetfile.h"
#include "host/jet/jetsource.h"
#include "host/jet/write/jetwriter.h"
#include "host/vb/errors.h"
#include "jet/indexwalker.h"
#include "jet/writertest.h"
#include "support/testsupport.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

JetWriterIndex index(const QString &name, const QStringList &columns, bool unique = false)
{
    JetWriterIndex ix;
    ix.name = name;
    ix.columns = columns;
    ix.unique = unique;
    return ix;
}

// The HostError a build raises: its number and description.
QPair<int, QString> refusal(const JetWriterDatabase &db)
{
    try {
        buildJetDatabase(db);
    } catch (const HostError &e) {
        return {int(e.number()), e.description()};
    }
    return {0, QString()};
}

} // namespace

// The values of Access-written text indexes, written again: the writer's keys
// must equal the ones Access stored, in the same order.
TEST(JetWriterTextKeys, KeysEqualTheOnesAccessWroteForTheSameValues)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    struct Case
    {
        QString file, table, column;
    };
    const QList<Case> cases{{"jet3/nwind.mdb", "Customers", "CompanyName"},
                            {"jet3/nwind.mdb", "Products", "ProductName"},
                            {"jet4/Northwind.mdb", "Customers", "CompanyName"},
                            {"jet4/Northwind.mdb", "Products", "ProductName"},
                            {"jet4/Northwind.mdb", "Employees", "LastName"}};
    int compared = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE((c.file + u' ' + c.table).toStdString());
        const QString source = corpusFile(c.file);
        QList<IndexWalk> accessWalks = walkTableIndexes(source, c.table);
        const auto access = std::find_if(accessWalks.begin(), accessWalks.end(), [&](auto &w) {
            return w.names.contains(c.column) && w.columns.size() == 1;
        });
        QStringList names;
        for (const IndexWalk &w : accessWalks)
            names += w.names;
        ASSERT_NE(access, accessWalks.end()) << names.join(u',').toStdString();
        ASSERT_EQ(access->keysSkipped, 0);

        JetWriterDatabase db;
        db.version = c.file.startsWith(u"jet3") ? 3 : 4;
        JetWriterTable t;
        t.name = c.table;
        t.columns = {column(c.column, JetType::Text, 255)};
        t.indexes = {index(c.column, {c.column})};
        const auto reader = JetSource::open(source);
        JetTableReader rows = reader->readTable(c.table);
        const int field = int(rows.fieldNames().indexOf(c.column));
        while (rows.next())
            t.rows.append({rows.value(field)});
        db.tables = {t};
        QTemporaryDir dir;
        const QString path = writeDatabase(dir, db);
        const QList<IndexWalk> written = walkTableIndexes(path, c.table);
        ASSERT_EQ(written.size(), 1);
        EXPECT_TRUE(written[0].faults.isEmpty()) << written[0].faults.join(u"; ").toStdString();
        EXPECT_EQ(written[0].keys, access->keys);
        compared += int(written[0].keys.size());
    }
    EXPECT_GT(compared, 200);
}

// Text primary keys, unique and descending text indexes over a few thousand
// rows of mixed case, digits, spaces, punctuation, accents, empty strings,
// NULLs and values near 255 characters.
TEST(JetWriterTextKeys, TextIndexesOverManyPagesWalkCleanlyInBothFormats)
{
    const QStringList words{"apple",       "Zebra", "zebra ",     "O'Brien", "Jean-Luc",
                            "Smith & Co.", "naïve", "Ærøskøbing", "Straße",  "100",
                            "99 bottles",  "#hash", "(paren)",    "Ça va?",  "tab\there",
                            "ÉCOLE",       "école", "Zürich",     "a_b",     "~tilde~",
                            "[x]",         "{y}",   "Ñandú",      "  lead"};
    for (int version : {3, 4}) {
        SCOPED_TRACE(version);
        JetWriterDatabase db;
        db.version = version;
        JetWriterTable t;
        t.name = QStringLiteral("Words");
        t.columns = {column(QStringLiteral("Code"), JetType::Text, 255),
                     column(QStringLiteral("Name"), JetType::Text, 50),
                     column(QStringLiteral("Note"), JetType::Text, 255),
                     column(QStringLiteral("N"), JetType::Long)};
        t.primaryKey = {QStringLiteral("Code")};
        JetWriterIndex down = index(QStringLiteral("NoteDown"), {QStringLiteral("Note")});
        down.descending = {true};
        t.indexes = {
            index(QStringLiteral("NameUnique"), {QStringLiteral("Name")}, true), down,
            index(QStringLiteral("NoteThenN"), {QStringLiteral("Note"), QStringLiteral("N")})};
        QSet<QString> notes; // as the General order compares them
        const int rows = 3000;
        for (int r = 0; r < rows; ++r) {
            // Æ has no confirmed Jet 4 key; Jet 3 keys it.
            QString word = words[r % words.size()];
            if (version == 4)
                word.replace(u'Æ', u'A');
            QString code = QStringLiteral("%1 %2").arg(word).arg(r, 4, 10, QLatin1Char('0'));
            if (r % 97 == 0)
                code += QString(255 - code.size() - (r % 3), u'x'); // near the 255 limit
            const Value name = r % 10 == 0 ? Value::null()
                               : r == 1    ? Value(QString())
                                           : Value(QStringLiteral("N%1-%2").arg(r).arg(word));
            const Value note = r % 7 == 0 ? Value::null() : Value(word);
            if (!note.isNull()) {
                QString folded = word.toLower();
                while (folded.endsWith(u' '))
                    folded.chop(1);
                notes.insert(folded);
            }
            t.rows.append({Value(code), name, note, Value::longInt(r % 5)});
        }
        db.tables = {t};
        QTemporaryDir dir;
        const QString path = writeDatabase(dir, db);
        const QList<IndexWalk> walks = walkTableIndexes(path, t.name);
        ASSERT_EQ(walks.size(), 4);
        for (const IndexWalk &w : walks) {
            SCOPED_TRACE(w.names.join(u',').toStdString());
            EXPECT_TRUE(w.faults.isEmpty()) << w.faults.mid(0, 5).join(u"; ").toStdString();
            EXPECT_TRUE(w.textKey);
            EXPECT_TRUE(w.keysChecked);
            EXPECT_EQ(w.keysCompared, rows);
            EXPECT_EQ(int(w.tdefKeyCount), w.distinctKeys);
        }
        EXPECT_GT(walks[0].leafPages, 1);
        EXPECT_EQ(walks[0].distinctKeys, rows);
        EXPECT_EQ(walks[1].distinctKeys, rows - rows / 10 + 1); // the NULLs share a key
        // Case and trailing spaces do not tell keys apart; the NULL adds one.
        EXPECT_EQ(walks[2].distinctKeys, int(notes.size()) + 1);
        EXPECT_EQ(walks[2].descending, QList<bool>{true});

        const QString schema =
            runTool(QStringLiteral("mdb-schema"),
                    {QStringLiteral("--indexes"), path, QStringLiteral("postgres")});
        EXPECT_TRUE(schema.contains(QStringLiteral("PRIMARY KEY (\"code\")")))
            << schema.toStdString();
        EXPECT_TRUE(schema.contains(
            QStringLiteral("CREATE UNIQUE INDEX \"words_nameunique_idx\" ON \"words\" (\"name\")")))
            << schema.toStdString();
        const QString csv = runTool(QStringLiteral("mdb-export"), {path, QStringLiteral("Words")});
        EXPECT_EQ(csv.count(u'\n'), rows + 1);
        EXPECT_TRUE(csv.contains(QStringLiteral("\"O'Brien 0003\"")))
            << csv.left(400).toStdString();
    }
}

TEST(JetWriterTextKeys, CharactersAndSortOrdersWithoutKnownKeysAreRefused)
{
    const auto database = [](int version, const QString &value) {
        JetWriterDatabase db;
        db.version = version;
        JetWriterTable t;
        t.name = QStringLiteral("T");
        t.columns = {column(QStringLiteral("K"), JetType::Text, 50)};
        t.indexes = {index(QStringLiteral("ByK"), {QStringLiteral("K")})};
        t.rows = {{Value(QStringLiteral("plain"))}, {Value(value)}};
        db.tables = {t};
        return db;
    };
    // Japanese, a symbol and Æ have no confirmed Jet 4 keys; NUL none at all.
    for (const QString &value :
         {QStringLiteral("販売"), QStringLiteral("5 €"), QStringLiteral("price ¢"),
          QStringLiteral("Æsop"), QStringLiteral("a\u0000b")}) {
        SCOPED_TRACE(value.toStdString());
        const auto [number, message] = refusal(database(4, value));
        EXPECT_EQ(number, 3000);
        EXPECT_TRUE(message.contains(QStringLiteral("table T, index ByK")))
            << message.toStdString();
        EXPECT_TRUE(message.contains(u"U+")) << message.toStdString();
    }
    EXPECT_EQ(refusal(database(4, QStringLiteral("ok: é ß"))).first, 0);
    EXPECT_EQ(refusal(database(3, QStringLiteral("Æsop €5"))).first, 0);
    // Jet 3 keys NUL as Access 97 does, as a control character.
    EXPECT_EQ(refusal(database(3, QStringLiteral("a\u0000b"))).first, 0);

    JetWriterDatabase japanese = database(4, QStringLiteral("plain too"));
    japanese.sortOrder = 0x0411;
    const auto [number, message] = refusal(japanese);
    EXPECT_EQ(number, 3000);
    EXPECT_TRUE(message.contains(QStringLiteral("0x0411"))) << message.toStdString();
}
