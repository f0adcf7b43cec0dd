// The copy verifier on pairs of written databases that read the same or
// differ in one value: a fixed-size value, a Yes/No value, a long memo on
// long-value pages, an OLE value, a missing row. Each difference must be
// found and named by table, row and column.

#include "host/jet/write/jetwriter.h"
#include "maintenance/copyverifier.h"
#include "maintenance/libmdbcomparison.h"
#include "query/writerbuilders.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <utility>

namespace {

constexpr int rowCount = 300;

// Memos long enough to need long-value pages of their own.
QString memoOf(int row)
{
    return QStringLiteral("note %1 ").arg(row).repeated(row % 3 == 0 ? 600 : 2);
}

JetWriterDatabase pricesDatabase(int version)
{
    JetWriterTable t;
    t.name = QStringLiteral("Prices");
    t.columns = {column(QStringLiteral("Id"), JetType::Long),
                 column(QStringLiteral("Price"), JetType::Currency),
                 column(QStringLiteral("Paid"), JetType::Boolean),
                 column(QStringLiteral("Name"), JetType::Text, 50),
                 column(QStringLiteral("Note"), JetType::Memo),
                 column(QStringLiteral("Picture"), JetType::Ole)};
    t.primaryKey = {QStringLiteral("Id")};
    for (int row = 1; row <= rowCount; ++row)
        t.rows.append({Value::longInt(row), Value::currency(row * 12345),
                       Value::boolean(row % 2 == 0), Value(QStringLiteral("item %1").arg(row)),
                       Value(memoOf(row)),
                       row % 5 ? Value::binary(QByteArray(row * 7, char(row))) : Value::null()});
    JetWriterDatabase db;
    db.version = version;
    db.tables = {t};
    return db;
}

using Rows = QList<QList<Value>>;

// The source and, beside it, the source with `change` made to its rows.
std::pair<QString, QString> writePair(const QTemporaryDir &dir, int version,
                                      const std::function<void(Rows &)> &change)
{
    const QString source = dir.filePath(QStringLiteral("source%1.mdb").arg(version));
    const QString copy = dir.filePath(QStringLiteral("copy%1.mdb").arg(version));
    writeJetDatabase(pricesDatabase(version), source);
    JetWriterDatabase changed = pricesDatabase(version);
    change(changed.tables[0].rows);
    writeJetDatabase(changed, copy);
    return {source, copy};
}

QString differenceAfter(const QTemporaryDir &dir, int version,
                        const std::function<void(Rows &)> &change)
{
    const auto [source, copy] = writePair(dir, version, change);
    return differenceBetween(source, copy);
}

} // namespace

TEST(CopyVerifier, FindsAndNamesEveryKindOfChangedValueAndNothingElse)
{
    QTemporaryDir dir;
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        EXPECT_EQ(differenceAfter(dir, version, [](auto &) {}), QString());
        EXPECT_EQ(
            differenceAfter(dir, version, [](auto &rows) { rows[149][1] = Value::currency(1); }),
            QStringLiteral("table 'Prices', row 150, column 'Price' differs"));
        EXPECT_EQ(
            differenceAfter(dir, version, [](auto &rows) { rows[6][2] = Value::boolean(true); }),
            QStringLiteral("table 'Prices', row 7, column 'Paid' differs"));
        // Row 201 holds a memo of some 5,400 characters; one of them changes.
        EXPECT_EQ(differenceAfter(dir, version,
                                  [](auto &rows) {
                                      QString memo = memoOf(201);
                                      memo[5000] = u'#';
                                      rows[200][4] = Value(memo);
                                  }),
                  QStringLiteral("table 'Prices', row 201, column 'Note' differs"));
        EXPECT_EQ(
            differenceAfter(dir, version,
                            [](auto &rows) { rows[11][5] = Value::binary(QByteArray(84, 'x')); }),
            QStringLiteral("table 'Prices', row 12, column 'Picture' differs"));
        EXPECT_EQ(differenceAfter(dir, version, [](auto &rows) { rows.removeLast(); }),
                  QStringLiteral("table 'Prices' has another record count"));
    }
}

// Rows deleted but still on their pages (as Access leaves them until a
// compaction) must stay deleted in a copy; our reader is the side that
// notices one coming back first.
TEST(CopyVerifier, ADeletedRowComingBackIsADifference)
{
    QTemporaryDir dir;
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        JetWriterDatabase withDeleted = pricesDatabase(version);
        Rows &rows = withDeleted.tables[0].rows;
        for (int row = rowCount - 1; row >= 0; row -= 3)
            withDeleted.tables[0].deletedRows.append(rows.takeAt(row));
        const QString source = dir.filePath(QStringLiteral("deleted%1.mdb").arg(version));
        const QString same = dir.filePath(QStringLiteral("same%1.mdb").arg(version));
        const QString revived = dir.filePath(QStringLiteral("revived%1.mdb").arg(version));
        for (JetWriterTable &t : withDeleted.tables)
            for (QList<Value> &row : t.deletedRows)
                row[4] = row[5] = Value::null(); // long values of deleted rows stay inline
        writeJetDatabase(withDeleted, source);
        writeJetDatabase(withDeleted, same);
        JetWriterDatabase all = withDeleted;
        all.tables[0].rows += all.tables[0].deletedRows;
        all.tables[0].deletedRows.clear();
        writeJetDatabase(all, revived);
        EXPECT_EQ(differenceBetween(source, same), QString());
        EXPECT_EQ(differenceBetween(source, revived),
                  QStringLiteral("table 'Prices' has another record count"));
    }
}

// libmdb's side on its own: our reader sees these differences first.
TEST(CopyVerifier, LibmdbAloneFindsEveryKindOfChangedValue)
{
    QTemporaryDir dir;
    const auto throughLibmdb = [&](int version, const std::function<void(Rows &)> &change) {
        const auto [source, copy] = writePair(dir, version, change);
        const LibmdbHandle a = openThroughLibmdb(source), b = openThroughLibmdb(copy);
        EXPECT_TRUE(a && b);
        return a && b ? differenceThroughLibmdb(a.get(), b.get()) : QString();
    };
    const QString prefix = QStringLiteral("libmdb reads table 'Prices' differently: ");
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        EXPECT_EQ(throughLibmdb(version, [](Rows &) {}), QString());
        EXPECT_EQ(throughLibmdb(version, [](Rows &rows) { rows[149][1] = Value::currency(1); }),
                  prefix + QStringLiteral("row 150, column 'Price'"));
        EXPECT_EQ(throughLibmdb(version, [](Rows &rows) { rows[6][2] = Value::boolean(true); }),
                  prefix + QStringLiteral("row 7, column 'Paid'"));
        EXPECT_EQ(throughLibmdb(version,
                                [](Rows &rows) {
                                    QString memo = memoOf(201);
                                    memo[5000] = u'#';
                                    rows[200][4] = Value(memo);
                                }),
                  prefix + QStringLiteral("row 201, column 'Note'"));
        EXPECT_EQ(
            throughLibmdb(version,
                          [](Rows &rows) { rows[11][5] = Value::binary(QByteArray(84, 'x')); }),
            prefix + QStringLiteral("row 12, column 'Picture'"));
        EXPECT_EQ(throughLibmdb(version, [](Rows &rows) { rows.removeLast(); }),
                  prefix + QStringLiteral("another number of rows (from row 300 on)"));
    }
}
