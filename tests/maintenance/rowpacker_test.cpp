// Compaction gives back the space of deleted rows: the live rows are packed
// in their old order, the pages left empty are released, and every index
// entry follows its row (the integrity check compares each entry's key with
// the row it now points at, and the entries' order).

#include "host/jet/bytes.h"
#include "host/jet/write/jetwriter.h"
#include "maintenance/indexcomparison.h"
#include "maintenance/integritycheck.h"
#include "maintenance/maintenanceengine.h"
#include "maintenance/pageaccount.h"
#include "query/writerbuilders.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

JetWriterDatabase ordersWithDeletions(int version, int live, int deleted)
{
    JetWriterTable t;
    t.name = QStringLiteral("Orders");
    t.columns = {column(QStringLiteral("Id"), JetType::Long),
                 column(QStringLiteral("Code"), JetType::Long),
                 column(QStringLiteral("Name"), JetType::Text, 50),
                 column(QStringLiteral("Note"), JetType::Memo)};
    t.primaryKey = {QStringLiteral("Id")};
    JetWriterIndex byCode;
    byCode.name = QStringLiteral("ByCode");
    byCode.columns = {QStringLiteral("Code")};
    t.indexes = {byCode};
    // Few codes, so that many entries share a key and are ordered by their
    // row pointers; some memos long enough for long-value pages.
    for (int row = 0; row < live; ++row)
        t.rows.append({Value::longInt(row * 2), Value::longInt(row % 7),
                       Value(QStringLiteral("order %1").arg(row)),
                       Value(QStringLiteral("note %1 ").arg(row).repeated(row % 9 ? 1 : 300))});
    for (int row = 0; row < deleted; ++row)
        t.deletedRows.append({Value::longInt(row * 2 + 1), Value::longInt(row % 5),
                              Value(QStringLiteral("gone %1").arg(row)), Value::null()});
    JetWriterDatabase db;
    db.version = version;
    db.tables = {t};
    return db;
}

const TableAccount &orders(const PageAccount &a)
{
    for (const TableAccount &t : a.tables)
        if (t.name == QLatin1String("Orders"))
            return t;
    throw std::runtime_error("no table Orders");
}

int deletedRowsOn(const PageAccount &a, const TableAccount &t)
{
    int count = 0;
    for (quint32 p : t.dataPages)
        for (int r = 0; r < le16(a.pages[p], a.rowCountAt()); ++r) {
            int start, end, flags = 0;
            count += a.rowBounds(p, r, start, end, &flags) && flags == 0xC000;
        }
    return count;
}

} // namespace

TEST(RowPacking, DeletedRowsAreDroppedAndEveryIndexEntryFollowsItsRow)
{
    QTemporaryDir dir;
    for (const int version : {3, 4}) {
        SCOPED_TRACE(version);
        const QString source = dir.filePath(QStringLiteral("orders%1.mdb").arg(version));
        const QString copy = dir.filePath(QStringLiteral("packed%1.mdb").arg(version));
        writeJetDatabase(ordersWithDeletions(version, 3000, 3000), source);

        JetMaintenanceEngine engine;
        engine.CompactDatabase(source, copy); // verified against the source, or raises 3049
        EXPECT_EQ(engine.lastCompaction().deletedRowsDropped, 3000);

        const PageAccount before = PageAccount::read(source), after = PageAccount::read(copy);
        ASSERT_EQ(after.problems, QStringList());
        EXPECT_EQ(deletedRowsOn(before, orders(before)), 3000);
        EXPECT_EQ(deletedRowsOn(after, orders(after)), 0);
        EXPECT_EQ(orders(after).liveRows, 3000);
        // The deleted rows took up about half of the table's pages.
        EXPECT_LT(orders(after).dataPages.size(), orders(before).dataPages.size() * 2 / 3);
        EXPECT_LT(QFileInfo(copy).size(), QFileInfo(source).size());

        const IntegrityReport report = checkIntegrity(after);
        EXPECT_EQ(report.damage, QStringList());
        // Both indexes of Orders were compared key by key.
        EXPECT_TRUE(report.checked.join(u' ').contains(QLatin1String("6000 keys compared")))
            << report.checked.join(u'\n').toStdString();
    }
}

TEST(RowPacking, AFileWithoutDeletedRowsKeepsItsRowsWhereTheyAre)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("orders.mdb"));
    const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
    writeJetDatabase(ordersWithDeletions(4, 2000, 0), source);
    JetMaintenanceEngine engine;
    engine.CompactDatabase(source, copy);
    EXPECT_EQ(engine.lastCompaction().deletedRowsDropped, 0);
    const PageAccount before = PageAccount::read(source), after = PageAccount::read(copy);
    const TableAccount &was = orders(before), &is = orders(after);
    ASSERT_EQ(is.dataPages.size(), was.dataPages.size());
    for (qsizetype k = 0; k < was.dataPages.size(); ++k)
        EXPECT_EQ(after.pages[is.dataPages[k]], before.pages[was.dataPages[k]]) << k;
}

// The index comparison that verifies every compacted copy: the same keys for
// the same rows, whatever the row pointers are.
TEST(RowPacking, AnIndexEntryPointingAtAnotherRowIsADifference)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("orders.mdb"));
    const QString packed = dir.filePath(QStringLiteral("packed.mdb"));
    writeJetDatabase(ordersWithDeletions(4, 500, 500), source);
    JetMaintenanceEngine().CompactDatabase(source, packed);
    const PageAccount account = PageAccount::read(source);
    EXPECT_EQ(indexDifference(account, account), QString());
    EXPECT_EQ(indexDifference(account, PageAccount::read(packed)), QString());

    // Two entries of a leaf page with different keys swap their rows.
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const IndexPageAccount *leaf = nullptr;
    for (const IndexPageAccount &ip : account.indexPages)
        if (ip.tablePage == orders(account).tdef && ip.leaf && ip.entries.size() > 1 &&
            ip.entries[0].full.chopped(4) != ip.entries[1].full.chopped(4) &&
            ip.entries[1].full.size() - ip.prefix >= 4)
            leaf = &ip;
    ASSERT_NE(leaf, nullptr);
    const qsizetype at = qsizetype(leaf->page) * account.pageSize;
    const auto pointerEnd = [&](int e) {
        return at + leaf->entries[e].position + leaf->entries[e].full.size() -
               (e == 0 ? 0 : leaf->prefix);
    };
    const QByteArray first = bytes.mid(pointerEnd(0) - 4, 4);
    bytes.replace(pointerEnd(0) - 4, 4, bytes.mid(pointerEnd(1) - 4, 4));
    bytes.replace(pointerEnd(1) - 4, 4, first);
    const QString swapped = dir.filePath(QStringLiteral("swapped.mdb"));
    QFile out(swapped);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    EXPECT_EQ(indexDifference(account, PageAccount::read(swapped)),
              QStringLiteral("index %1 of table 'Orders' holds other entries in the copy")
                  .arg(leaf->index));
}
