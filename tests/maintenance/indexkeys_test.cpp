// The integrity check's comparison of every index entry's key with the key
// its row gives: silent on every file Access wrote, and naming the table
// and index of a row whose key column was changed under its entry.

#include "host/jet/write/jetindexkey.h"
#include "host/vb/errors.h"
#include "maintenance/indexkeycheck.h"
#include "maintenance/integritycheck.h"
#include "maintenance/maintenanceengine.h"
#include "maintenance/pageaccount.h"
#include "support/testsupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>

TEST(IndexKeys, EveryKeyAccessWroteMatchesItsRow)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    int files = 0;
    for (const QString &path : corpusDatabases()) {
        if (!path.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive))
            continue;
        PageAccount account;
        try {
            account = PageAccount::read(path);
        } catch (const HostError &) {
            continue; // no readable Jet file
        }
        SCOPED_TRACE(path.toStdString());
        ++files;
        const IndexKeyFindings keys = checkIndexKeys(account);
        std::printf("%-50s %s\n", qPrintable(QFileInfo(path).fileName()), qPrintable(keys.checked));
        for (const QString &skipped : keys.skippedIndexes)
            std::printf("    skipped %s\n", qPrintable(skipped));
        EXPECT_EQ(keys.damage, QStringList());
    }
    EXPECT_GT(files, 40);
}

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Where, in Northwind's bytes, the value of a key column of one row lies:
// the first leaf entry of the table's first single-column index on a
// column of `type` whose row is stored in place.
struct KeyCell
{
    int index = -1;
    quint32 row = 0; // page << 8 | row
    qsizetype at = 0, size = 0;
};

KeyCell keyCell(const PageAccount &a, const QString &table, int type)
{
    for (const TableAccount &t : a.tables) {
        if (t.name != table)
            continue;
        for (const JetIndexDef &ix : t.definition.indexes) {
            if (ix.columnNumbers.size() != 1)
                continue;
            qsizetype column = -1;
            for (qsizetype c = 0; c < t.definition.columns.size(); ++c)
                if (t.definition.columns[c].number == ix.columnNumbers[0] &&
                    t.definition.columns[c].type == type)
                    column = c;
            if (column < 0)
                continue;
            for (const IndexPageAccount &ip : a.indexPages) {
                if (ip.tablePage != t.tdef || ip.index != ix.realIndex || !ip.leaf)
                    continue;
                for (const IndexEntry &e : ip.entries) {
                    int start, end, flags = 0;
                    QList<JetCell> cells;
                    if (!a.rowBounds(e.row >> 8, int(e.row & 0xFF), start, end, &flags) || flags ||
                        !crackRow(a.pages[e.row >> 8].mid(start, end - start), a.jet3, t.definition,
                                  cells) ||
                        cells[column].null || cells[column].size < 4)
                        continue;
                    return {ix.realIndex, e.row,
                            qsizetype(e.row >> 8) * a.pageSize + start + cells[column].start,
                            cells[column].size};
                }
            }
        }
    }
    return {};
}

} // namespace

// One character of a Text key (Jet 4 and Jet 3) and one bit of a Long key
// changed in their rows, the index entries left as they were: 3049 names
// table and index, and the file is not written.
TEST(IndexKeys, ARowWhoseKeyChangedUnderItsEntryIsReported)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    QTemporaryDir dir;
    struct Case
    {
        QString file, table;
        int type;
    };
    const QList<Case> cases{
        {QStringLiteral("jet4/Northwind.mdb"), QStringLiteral("Customers"), MDB_TEXT},
        {QStringLiteral("jet4/Northwind.mdb"), QStringLiteral("Orders"), MDB_LONGINT},
        {QStringLiteral("jet3/nwind.mdb"), QStringLiteral("Customers"), MDB_TEXT}};
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE((c.file + u' ' + c.table).toStdString());
        const QByteArray original = readAll(corpusFile(c.file));
        const QString clean = writeFile(dir, QStringLiteral("clean%1.mdb").arg(n), original);
        const PageAccount account = PageAccount::read(clean);
        ASSERT_TRUE(account.problems.isEmpty());
        // The undamaged copy: keys compared, none differs.
        const IntegrityReport before = checkIntegrity(account);
        EXPECT_EQ(before.damage, QStringList());
        EXPECT_EQ(before.checked.filter(QStringLiteral("keys compared")).size(), 1);

        const KeyCell cell = keyCell(account, c.table, c.type);
        ASSERT_GE(cell.index, 0);
        QByteArray bytes = original;
        if (c.type == MDB_TEXT) {
            // A letter becomes the next one (UCS-2, compressed or code-page text).
            qsizetype letter = -1;
            for (qsizetype i = cell.at; i < cell.at + cell.size && letter < 0; ++i)
                if ((bytes[i] >= 'a' && bytes[i] < 'z') || (bytes[i] >= 'A' && bytes[i] < 'Z'))
                    letter = i;
            ASSERT_GE(letter, 0);
            bytes[letter] = char(bytes[letter] + 1);
        } else {
            bytes[cell.at] = char(bytes[cell.at] ^ 0x01); // the lowest bit of the value
        }
        const QString damaged = writeFile(dir, QStringLiteral("damaged%1.mdb").arg(n++), bytes);
        const IntegrityReport report = checkIntegrity(PageAccount::read(damaged));
        const QString expected = QStringLiteral("table '%1': index %2 holds an old key for row %3 "
                                                "of page %4 (index page ")
                                     .arg(c.table)
                                     .arg(cell.index)
                                     .arg(cell.row & 0xFF)
                                     .arg(cell.row >> 8);
        EXPECT_EQ(report.damage.filter(expected).size(), 1)
            << report.damage.join(u'\n').toStdString();
        EXPECT_TRUE(report.repairable.isEmpty());
        const QString failure = failureOf([&] { JetMaintenanceEngine().RepairDatabase(damaged); });
        EXPECT_TRUE(failure.startsWith(u"3049 ")) << failure.toStdString();
        EXPECT_TRUE(failure.contains(expected)) << failure.toStdString();
        EXPECT_EQ(readAll(damaged), bytes) << "nothing written";
    }
}

// What the check skips: every value the encoder cannot key with certainty
// is "not certain", never a guessed key and never an exception.
TEST(IndexKeys, TheEncoderIsNotCertainOfWhatItDoesNotCover)
{
    const auto text = [](int sortOrder = 0x0409, int version = 0, quint16 codePage = 1252) {
        JetKeyColumn c;
        c.type = MDB_TEXT;
        c.sortOrder = sortOrder;
        c.sortVersion = version;
        c.codePage = codePage;
        return c;
    };
    JetKeyColumn id;
    id.type = MDB_LONGINT;
    JetKeyColumn down = id;
    down.descending = true;
    // Long keys as Access stores them: 7F, the value big-endian with its sign
    // bit flipped; descending inverted after an 80; NULL alone.
    EXPECT_EQ(jetIndexKey(false, {id, down}, {Value::longInt(1), Value::longInt(1)}).bytes,
              QByteArray::fromHex("7f80000001807ffffffe"));
    EXPECT_EQ(jetIndexKey(true, {id, down}, {Value::null(), Value::null()}).bytes,
              QByteArray::fromHex("00ff"));

    struct Case
    {
        const char *what;
        bool jet3;
        JetKeyColumn column;
        Value value;
        const char *why;
    };
    const QList<Case> cases{
        {"kanji", false, text(), Value(QStringLiteral("販売")), "U+8ca9"},
        {"a symbol", false, text(), Value(QStringLiteral("5 €")), "U+20ac"},
        {"Japanese sort order", false, text(0x0411), Value(QStringLiteral("abc")), "0x0411"},
        {"a newer General", false, text(0x0409, 1), Value(QStringLiteral("abc")), "version 1"},
        {"Jet 3 text outside ASCII in code page 932", true, text(0x0409, 0, 932),
         Value(QStringLiteral("café")), "U+00e9"},
        {"Jet 4 NUL", false, text(), Value(QStringLiteral("a\u0000b")), "U+0000"},
        {"a memo", false,
         [] {
             JetKeyColumn c;
             c.type = 12;
             return c;
         }(),
         Value(QStringLiteral("x")), "type 12"},
        {"text for a Long", false, id, Value(QStringLiteral("1")), "String value"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const JetIndexKey key = jetIndexKey(c.jet3, {c.column}, {c.value});
        EXPECT_FALSE(key.certain);
        EXPECT_TRUE(key.bytes.isEmpty());
        EXPECT_TRUE(key.uncertainty.contains(QLatin1String(c.why), Qt::CaseInsensitive))
            << key.uncertainty.toStdString();
    }
    EXPECT_FALSE(jetIndexKey(false, {id, id}, {Value::longInt(1)}).certain);
    // The same accented text is certain in Jet 3's Windows-1252.
    EXPECT_TRUE(jetIndexKey(true, {text()}, {Value(QStringLiteral("café"))}).certain);
}
