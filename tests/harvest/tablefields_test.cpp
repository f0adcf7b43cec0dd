// The Table Field listing over fixture databases: the skip rule, numbering,
// links, cuts, type words, key marks, the second press, failures at any
// read, and the R_Table report over what was written.

#include "harvest/tablefields.h"
#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/reports/reportregistry.h"
#include "listingharness.h"

#include <gtest/gtest.h>

namespace {

const qint32 EngineSystem = qint32(0x80000000u);

QString col(const QVariantMap &row, const char *name)
{
    return row.value(QString::fromLatin1(name)).toString();
}

} // namespace

TEST(TableFields, SystemTablesOnlyGiveAnEmptyListingAndTheReport)
{
    ListingHarness h;
    h.fixture.add(FixtureTable(QStringLiteral("MSysObjects"))
                      .attributes(EngineSystem)
                      .field(QStringLiteral("Id"), DaoType::Long));
    h.fixture.add(FixtureTable(QStringLiteral("MSysAccessObjects")).attributes(2));
    h.open();

    cmdTableF_Click(h.state, h.ui);
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();
    EXPECT_TRUE(h.rows(QStringLiteral("T_TableInfo")).isEmpty());
    EXPECT_TRUE(h.rows(QStringLiteral("T_TableItem")).isEmpty());
    EXPECT_EQ(h.ui.text(Ctl::txtMesege), QStringLiteral("終了しました"));
    EXPECT_EQ(h.output.shown, QStringList{QStringLiteral("R_Table")});
    EXPECT_EQ(h.state.listingState(Listing::TableFields), ListingProduced);
    EXPECT_TRUE(h.ui.isEnabled(optPrint(1)));
    EXPECT_TRUE(h.ui.windowEnabled());
    EXPECT_EQ(h.ui.mousePointer(), PointerDefault);
    EXPECT_TRUE(h.output.lines.contains(QStringLiteral("text テーブルはありません。")));
}

TEST(TableFields, WritesTablesAndFieldsWithCutsLinksAndTypeWords)
{
    ListingHarness h;
    h.fixture.add(FixtureTable(QStringLiteral("MSysObjects")).attributes(EngineSystem));
    // Exact comparisons: other combinations of the system bits are listed.
    h.fixture.add(FixtureTable(QStringLiteral("Odd")).attributes(qint32(0x80000002u)));

    Field longDefault = makeField(QStringLiteral("Note"), DaoType::Text, 80);
    longDefault.DefaultValue = QString(60, u'既');
    longDefault.ValidationRule = QString(300, u'R');
    longDefault.ValidationText = QString(254, u'T') + QStringLiteral("TT");
    longDefault.SourceField = QStringLiteral("Note");
    longDefault.SourceTable = QString(256, u'S');
    longDefault.AllowZeroLength = true;
    longDefault.Required = true;
    longDefault.DataUpdatable = true;
    longDefault.properties.append(QStringLiteral("Description"), QStringLiteral("備考　欄"));
    Field nullDefault = makeField(QStringLiteral("Amount"), DaoType::Currency, 8);
    nullDefault.DefaultValue = Value::null();
    Field numericDefault = makeField(QStringLiteral("Qty"), DaoType::Integer, 2);
    numericDefault.DefaultValue = Value::integer(7);
    h.fixture.add(FixtureTable(QStringLiteral("Orders"))
                      .description(QStringLiteral("受注"))
                      .records(1234)
                      .field(longDefault)
                      .field(nullDefault)
                      .field(numericDefault)
                      .field(QStringLiteral("Bin"), 9, 16)
                      .field(QStringLiteral("Guid"), 15, 16));
    h.fixture.add(FixtureTable(QStringLiteral("Empty")));
    h.fixture.add(FixtureTable(QStringLiteral("Remote"))
                      .linked(QStringLiteral(";DATABASE=") + QString(300, u'p'),
                              QStringLiteral("RemoteSource"))
                      .field(QStringLiteral("Id"), DaoType::Long, 4));
    const QString longName = QString(300, u'長');
    h.fixture.add(FixtureTable(longName).field(QStringLiteral("x"), DaoType::Boolean, 1));
    h.open();

    cmdTableF_Click(h.state, h.ui);
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();

    const auto tables = h.rows(QStringLiteral("T_TableInfo"));
    QStringList numbered;
    for (const QVariantMap &t : tables)
        numbered << col(t, "objectNo") + QLatin1Char(' ') + col(t, "TableName").left(10);
    EXPECT_EQ(numbered,
              (QStringList{"1 Odd", "2 Orders", "3 Empty", "4 Remote", "5 " + QString(10, u'長')}));
    EXPECT_EQ(tables[0][QStringLiteral("Attributes")].toLongLong(), qint32(0x80000002u));
    EXPECT_EQ(col(tables[1], "Description"), QStringLiteral("受注"));
    EXPECT_EQ(tables[1][QStringLiteral("RecordCount")].toInt(), 1234);
    EXPECT_TRUE(tables[2][QStringLiteral("Description")].isNull());
    // Only a linked table gets Connect and LinkTable.
    EXPECT_TRUE(tables[1][QStringLiteral("Connect")].isNull());
    EXPECT_TRUE(tables[1][QStringLiteral("LinkTable")].isNull());
    EXPECT_EQ(col(tables[3], "Connect").size(), 255);
    EXPECT_TRUE(col(tables[3], "Connect").startsWith(QLatin1String(";DATABASE=ppp")));
    EXPECT_EQ(col(tables[3], "LinkTable"), QStringLiteral("Link"));
    EXPECT_EQ(col(tables[3], "SourceTableName"), QStringLiteral("RemoteSource"));
    EXPECT_EQ(col(tables[4], "TableName"), QString(255, u'長'));
    EXPECT_TRUE(h.ui.statusHistory.contains(QString(255, u'長') + QStringLiteral("　取得中")));
    EXPECT_TRUE(h.ui.statusHistory.contains(QStringLiteral("Orders　取得中")));
    EXPECT_FALSE(h.ui.statusHistory.contains(QStringLiteral("MSysObjects　取得中")));

    const auto fields = h.rows(QStringLiteral("T_TableItem"));
    ASSERT_EQ(fields.size(), 7); // Empty has none
    QStringList owners;
    for (const QVariantMap &f : fields)
        owners << col(f, "objectNo") + QLatin1Char('.') + col(f, "FieldNo");
    EXPECT_EQ(owners, (QStringList{"2.1", "2.2", "2.3", "2.4", "2.5", "4.1", "5.1"}));
    const QVariantMap &note = fields[0];
    EXPECT_EQ(col(note, "FieldType"), QStringLiteral("Text"));
    EXPECT_EQ(note[QStringLiteral("FieldSize")].toInt(), 80);
    EXPECT_EQ(col(note, "DefaultValue"), QString(50, u'既'));
    EXPECT_EQ(col(note, "ValRule"), QString(255, u'R'));
    EXPECT_EQ(col(note, "ValText"), QString(254, u'T') + QLatin1Char('T'));
    EXPECT_EQ(col(note, "SourceTable"), QString(255, u'S'));
    EXPECT_EQ(col(note, "SourceField"), QStringLiteral("Note"));
    EXPECT_NE(note[QStringLiteral("ZeroLength")].toInt(), 0);
    EXPECT_NE(note[QStringLiteral("Required")].toInt(), 0);
    EXPECT_NE(note[QStringLiteral("DataUpdatable")].toInt(), 0);
    EXPECT_EQ(col(note, "Description"), QStringLiteral("備考　欄"));
    EXPECT_EQ(col(fields[1], "FieldType"), QStringLiteral("Currency"));
    EXPECT_EQ(col(fields[1], "DefaultValue"), QString());
    EXPECT_EQ(fields[1][QStringLiteral("Required")].toInt(), 0);
    EXPECT_TRUE(fields[1][QStringLiteral("Description")].isNull());
    EXPECT_EQ(col(fields[2], "DefaultValue"), QStringLiteral("7"));
    EXPECT_EQ(col(fields[3], "FieldType"), QStringLiteral("?"));
    EXPECT_EQ(col(fields[4], "FieldType"), QStringLiteral("?"));
    EXPECT_EQ(col(fields[6], "FieldType"), QStringLiteral("Boolean"));

    // The report shows each table's block with its fields under it.
    const QStringList &report = h.output.lines;
    EXPECT_EQ(report.value(0), QStringLiteral("begin テーブル定義書"));
    const qsizetype orders = report.indexOf(
        QStringLiteral("group 2. Orders|作成日=2024/04/01 9:30:00|更新日=2024/04/01 9:30:00|"
                       "レコード数=1234|説明=受注"));
    ASSERT_GE(orders, 0) << report.join(QLatin1Char(10)).toStdString();
    EXPECT_TRUE(
        report.value(orders + 1).startsWith(QStringLiteral("columns No|フィールド名|キー|")));
    EXPECT_EQ(report.value(orders + 2), QStringLiteral("row 1|Note||Text|80|はい|はい|") +
                                            QString(50, u'既') + '|' + QString(255, u'R') + '|' +
                                            QString(255, u'T') + QStringLiteral("|備考　欄"));
    EXPECT_EQ(report.value(orders + 5), QStringLiteral("row 4|Bin||?|16|いいえ|いいえ||||"));
    EXPECT_TRUE(report.value(orders + 7).startsWith(QLatin1String("group 3. Empty|")));
    EXPECT_TRUE(report.value(orders + 8).startsWith(QLatin1String("columns ")));
    EXPECT_TRUE(report.value(orders + 9).startsWith(QLatin1String("group 4. Remote|")));
    EXPECT_TRUE(report.value(orders + 9).contains(QStringLiteral("|元テーブル=RemoteSource|")));
    EXPECT_TRUE(report.value(orders + 9).contains(QStringLiteral("リンク元=;DATABASE=ppp")));
    EXPECT_EQ(report.last(), QStringLiteral("end"));
}

TEST(TableFields, KeyMarksComeFromThisTablesPrimaryIndexOnly)
{
    ListingHarness h;
    h.fixture.add(FixtureTable(QStringLiteral("Single"))
                      .field(QStringLiteral("ID"), DaoType::Long)
                      .field(QStringLiteral("Name"), DaoType::Text, 50)
                      .index(QStringLiteral("ByName"), {QStringLiteral("Name")})
                      .primaryKey({QStringLiteral("ID")}));
    // A later non-primary index must not replace the primary key's names.
    h.fixture.add(FixtureTable(QStringLiteral("Multi"))
                      .field(QStringLiteral("OrderID"), DaoType::Long)
                      .field(QStringLiteral("Line"), DaoType::Integer)
                      .field(QStringLiteral("ID"), DaoType::Long)
                      .primaryKey({QStringLiteral("OrderID"), QStringLiteral("Line")})
                      .index(QStringLiteral("ByID"), {QStringLiteral("ID")}));
    // Same field names as before but no key: nothing carried over.
    h.fixture.add(FixtureTable(QStringLiteral("NoIndex"))
                      .field(QStringLiteral("OrderID"), DaoType::Long)
                      .field(QStringLiteral("Line"), DaoType::Integer));
    h.fixture.add(FixtureTable(QStringLiteral("UniqueOnly"))
                      .field(QStringLiteral("ID"), DaoType::Long)
                      .index(QStringLiteral("U"), {QStringLiteral("ID")}));
    // Twenty-one fields fill the list exactly.
    FixtureTable wide(QStringLiteral("Wide"));
    QStringList wideKey;
    for (int i = 0; i < 21; ++i) {
        wide.field(QStringLiteral("k%1").arg(i), DaoType::Long);
        wideKey << QStringLiteral("k%1").arg(i);
    }
    wide.field(QStringLiteral("rest"), DaoType::Text).primaryKey(wideKey);
    h.fixture.add(wide);
    h.open();

    cmdTableF_Click(h.state, h.ui);
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();
    QStringList marked;
    int nullKeys = 0;
    for (const QVariantMap &f : h.rows(QStringLiteral("T_TableItem"))) {
        const QVariant key = f[QStringLiteral("PrimaryKey")];
        if (key.isNull())
            ++nullKeys; // written only as True
        else if (key.toInt() != 0)
            marked << col(f, "objectNo") + QLatin1Char(':') + col(f, "FieldName");
    }
    QStringList expected{"1:ID", "2:OrderID", "2:Line"};
    for (int i = 0; i < 21; ++i)
        expected << QStringLiteral("5:k%1").arg(i);
    EXPECT_EQ(marked, expected);
    EXPECT_EQ(nullKeys, 1 + 1 + 2 + 1 + 1);

    const qsizetype single = h.output.lines.indexOf(
        QStringLiteral("columns No|フィールド名|キー|型|サイズ|必須|空文字|既定値|入力規則|"
                       "エラーメッセージ|説明"));
    ASSERT_GE(single, 0);
    EXPECT_TRUE(h.output.lines.value(single + 1).startsWith(QStringLiteral("row 1|ID|○|Long|")));
    EXPECT_TRUE(h.output.lines.value(single + 2).startsWith(QStringLiteral("row 2|Name||Text|")));
}

TEST(TableFields, IndexPastTheKeyListEndsThroughTheTrap)
{
    ListingHarness h;
    h.fixture.add(FixtureTable(QStringLiteral("Before")).field(QStringLiteral("a"), DaoType::Long));
    FixtureTable wide(QStringLiteral("TooWide"));
    QStringList fields;
    for (int i = 0; i < 22; ++i) {
        wide.field(QStringLiteral("f%1").arg(i), DaoType::Long);
        fields << QStringLiteral("f%1").arg(i);
    }
    wide.index(QStringLiteral("Wide"), fields); // not primary: every index is walked
    h.fixture.add(wide);
    h.fixture.add(FixtureTable(QStringLiteral("After")));
    h.open();

    cmdTableF_Click(h.state, h.ui);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.firstMessage(), QStringLiteral("場所:TableFieldｴﾗｰNo:9\r場所とｴﾗｰNoを控えメール"
                                               "をお願いします。"));
    EXPECT_EQ(h.ui.messages[0].title, QStringLiteral("Quillmark 0.31"));
    // Its summary row was updated before the keys were read; no field rows.
    const auto tables = h.rows(QStringLiteral("T_TableInfo"));
    ASSERT_EQ(tables.size(), 2);
    EXPECT_EQ(col(tables[1], "TableName"), QStringLiteral("TooWide"));
    EXPECT_EQ(h.rows(QStringLiteral("T_TableItem")).size(), 1);
    EXPECT_EQ(h.state.listingState(Listing::TableFields), ListingNotProduced);
    EXPECT_FALSE(h.ui.isEnabled(optPrint(1)));
    EXPECT_TRUE(h.output.shown.isEmpty());
    EXPECT_TRUE(h.ui.windowEnabled());
    EXPECT_EQ(h.ui.mousePointer(), PointerDefault);
    EXPECT_EQ(h.ui.text(Ctl::txtMesege), QStringLiteral("TooWide　取得中"));
}

TEST(TableFields, SecondPressOnlyPreviewsAndANewTargetHarvestsAgain)
{
    ListingHarness h;
    h.fixture.add(FixtureTable(QStringLiteral("A")).field(QStringLiteral("x"), DaoType::Long));
    h.open();
    h.state.visibilityFlag = 1;
    h.ui.setValue(Ctl::chkVisible, 1);
    h.state.target->setVisible(true);

    cmdTableF_Click(h.state, h.ui);
    EXPECT_EQ(h.ui.value(Ctl::chkVisible), 0);
    EXPECT_FALSE(h.state.target->Visible());

    const int reads = h.fixture.reads();
    h.fixture.add(FixtureTable(QStringLiteral("Later")));
    h.ui.setText(Ctl::txtMesege, QStringLiteral("hint"));
    cmdTableF_Click(h.state, h.ui);
    EXPECT_EQ(h.fixture.reads(), reads);
    EXPECT_EQ(h.output.shown, (QStringList{"R_Table", "R_Table"}));
    EXPECT_EQ(h.ui.text(Ctl::txtMesege), QStringLiteral("終了しました"));
    EXPECT_EQ(h.rows(QStringLiteral("T_TableInfo")).size(), 1);

    // Listing state 2 (no tables at selection) still harvests.
    h.open();
    h.state.listingState(Listing::TableFields) = ListingNoObjects;
    cmdTableF_Click(h.state, h.ui);
    EXPECT_EQ(h.rows(QStringLiteral("T_TableInfo")).size(), 2);
    EXPECT_EQ(h.state.listingState(Listing::TableFields), ListingProduced);
}

TEST(TableFields, FailureAtAnyReadKeepsTheRowsBeforeIt)
{
    for (int failAt = 0;; ++failAt) {
        SCOPED_TRACE(failAt);
        ListingHarness h;
        for (int i = 0; i < 3; ++i)
            h.fixture.add(FixtureTable(QStringLiteral("T%1").arg(i))
                              .field(QStringLiteral("a"), DaoType::Long)
                              .field(QStringLiteral("b"), DaoType::Text));
        h.open();
        h.fixture.failAfterReads(h.fixture.reads() + failAt);
        cmdTableF_Click(h.state, h.ui);
        if (h.ui.messages.isEmpty()) {
            EXPECT_EQ(failAt, 4); // the catalog and three table details
            EXPECT_EQ(h.rows(QStringLiteral("T_TableItem")).size(), 6);
            break;
        }
        ASSERT_EQ(h.ui.messages.size(), 1);
        EXPECT_TRUE(h.firstMessage().startsWith(QStringLiteral("場所:TableFieldｴﾗｰNo:3049")));
        // Every table read before the failing one is complete.
        const int complete = std::max(0, failAt - 1);
        EXPECT_EQ(h.rows(QStringLiteral("T_TableInfo")).size(), complete);
        EXPECT_EQ(h.rows(QStringLiteral("T_TableItem")).size(), complete * 2);
        EXPECT_EQ(h.state.listingState(Listing::TableFields), ListingNotProduced);
        EXPECT_TRUE(h.ui.windowEnabled());
        EXPECT_TRUE(h.output.shown.isEmpty());
        ASSERT_LT(failAt, 10);
    }
}

TEST(TableFields, NoTargetFailsAfterClearing)
{
    ListingHarness h;
    h.fixture.add(FixtureTable(QStringLiteral("A")));
    h.open();
    cmdTableF_Click(h.state, h.ui);
    ASSERT_EQ(h.rows(QStringLiteral("T_TableInfo")).size(), 1);

    h.state.target->CloseCurrentDatabase();
    h.state.listingState(Listing::TableFields) = ListingNotProduced;
    cmdTableF_Click(h.state, h.ui);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_TRUE(h.firstMessage().startsWith(QStringLiteral("場所:TableFieldｴﾗｰNo:91")));
    EXPECT_TRUE(h.rows(QStringLiteral("T_TableInfo")).isEmpty());
}

TEST(TableFields, ReportKeepsEachTableHeadingWithItsFirstRows)
{
    ListingHarness h;
    for (int t = 0; t < 60; ++t) {
        FixtureTable table(QStringLiteral("表%1").arg(t));
        table.description(t % 5 == 0 ? QString(200, u'説') : QStringLiteral("短い"));
        for (int f = 0; f < 3 + t % 6; ++f)
            table.field(QStringLiteral("項目%1").arg(f), DaoType::Text, 50);
        h.fixture.add(table);
    }
    h.open();
    cmdTableF_Click(h.state, h.ui);
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();

    auto store = Store::open(h.state.storePath);
    const auto report = createReport(QStringLiteral("R_Table"));
    PicturePageTarget target;
    PagedReportWriter writer(target);
    QList<PagedReportWriter::Placement> placed;
    writer.setPlacementObserver([&](const PagedReportWriter::Placement &p) { placed << p; });
    writeReport(*report, store->connection(), writer, reportHeader(*report, store->connection()));
    EXPECT_GT(writer.pageCount(), 3);

    int headings = 0;
    for (qsizetype i = 0; i < placed.size(); ++i) {
        if (placed[i].kind != PagedReportWriter::Placement::GroupHeading)
            continue;
        ++headings;
        qsizetype next = i + 1;
        while (next < placed.size() && placed[next].kind != PagedReportWriter::Placement::Row)
            ++next;
        ASSERT_LT(next, placed.size());
        EXPECT_EQ(placed[next].page, placed[i].page) << placed[i].text.toStdString();
    }
    EXPECT_EQ(headings, 60);
}
