// The object list over fixture databases: numbering across kinds, skips,
// links, descriptions, cuts, the second press and failures at any read.

#include "harvest/listingharness.h"
#include "harvest/objectlist.h"

#include <gtest/gtest.h>

namespace {

// The object list's harness: a target file of 1.5 KB.
struct Harness : ListingHarness
{
    Harness() { writeFile(dir, QStringLiteral("target.mdb"), QByteArray(1536, 'x')); }
};

} // namespace

TEST(ObjectList, NumbersAllKindsInOneSequence)
{
    Harness h;
    h.fixture.database().properties.append(QStringLiteral("AccessVersion"),
                                           QStringLiteral("07.53"));
    h.fixture.add(
        FixtureTable(QStringLiteral("MSysObjects")).attributes(DaoTableAttr::SystemObject));
    h.fixture.add(
        FixtureTable(QStringLiteral("Customers")).description(QStringLiteral("顧客　一覧")));
    h.fixture.add(FixtureTable(QStringLiteral("msysLower"))); // other case: listed
    h.fixture.add(FixtureTable(QStringLiteral("Remote"))
                      .linked(QStringLiteral(";DATABASE=C:\\b.mdb"), QStringLiteral("R")));
    h.fixture.add(FixtureQuery(QStringLiteral("Q1"), 0, QStringLiteral("SELECT 1;")));
    h.fixture.add(FixtureQuery(QStringLiteral("Odd"), 8, QStringLiteral("?")));
    h.fixture.add(
        FixtureQuery(QStringLiteral("Q2"), 128, QStringLiteral("SELECT 1 UNION SELECT 2;"))
            .description(QStringLiteral("union")));
    h.fixture.document(QStringLiteral("Forms"), QStringLiteral("Main"));
    h.fixture.document(QStringLiteral("Reports"), QStringLiteral("Sales"), QStringLiteral("月報"));
    h.fixture.document(QStringLiteral("Scripts"), QStringLiteral("AutoExec"));
    h.fixture.document(QStringLiteral("Modules"), QStringLiteral("Utils"));
    h.open();

    cmdObject_Click(h.state, h.ui);
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.ui.messages.value(0).text.toStdString();

    const auto db = h.rows(QStringLiteral("T_DataBase"));
    ASSERT_EQ(db.size(), 1);
    EXPECT_EQ(db[0][QStringLiteral("FileSize")].toDouble(), 1.5);
    EXPECT_EQ(db[0][QStringLiteral("AccessVersion")].toString(), QStringLiteral("07.53"));
    EXPECT_EQ(db[0][QStringLiteral("Version")].toString(), QStringLiteral("4.0"));

    const auto objects = h.rows(QStringLiteral("T_Object"));
    QStringList seen;
    for (const QVariantMap &row : objects)
        seen << QStringLiteral("%1 %2 %3")
                    .arg(row[QStringLiteral("objectNo")].toString(),
                         row[QStringLiteral("Class")].toString(),
                         row[QStringLiteral("objectName")].toString());
    EXPECT_EQ(seen, (QStringList{"1 Table Customers", "2 Table msysLower", "3 Table Remote",
                                 "4 Query Q1", "5 Query Q2", "6 Form Main", "7 Report Sales",
                                 "8 Macro AutoExec", "9 Module Utils"}));
    EXPECT_EQ(objects[0][QStringLiteral("Description")].toString(), QStringLiteral("顧客　一覧"));
    EXPECT_TRUE(objects[0][QStringLiteral("QueryType")].isNull());
    EXPECT_EQ(objects[2][QStringLiteral("QueryType")].toString(), QStringLiteral("Link"));
    EXPECT_EQ(objects[4][QStringLiteral("QueryType")].toString(), QStringLiteral("ﾕﾆｵﾝｸｴﾘｰ"));
    EXPECT_EQ(objects[4][QStringLiteral("Description")].toString(), QStringLiteral("union"));
    EXPECT_TRUE(objects[5][QStringLiteral("Description")].isNull());
    EXPECT_EQ(objects[6][QStringLiteral("Description")].toString(), QStringLiteral("月報"));

    EXPECT_EQ(h.output.shown, QStringList{QStringLiteral("R_Object")});
    EXPECT_TRUE(h.output.lines.contains(
        QStringLiteral("row 3|Table|Remote|Link|2024/04/01 9:30:00|2024/04/01 9:30:00|")))
        << h.output.lines.join(u'\n').toStdString();
    EXPECT_EQ(h.state.listingState(Listing::Objects), 1);
    EXPECT_TRUE(h.ui.isEnabled(optPrint(0)));
    EXPECT_TRUE(h.ui.statusHistory.contains(QStringLiteral("マクロ情報　取得中")));
    EXPECT_EQ(h.ui.text(Ctl::txtMesege), QStringLiteral("終了しました"));

    // The second press previews again without touching the store or the target.
    const int readsBefore = h.fixture.reads();
    h.fixture.add(FixtureTable(QStringLiteral("AddedLater")));
    cmdObject_Click(h.state, h.ui);
    EXPECT_EQ(h.output.shown.size(), 2);
    EXPECT_EQ(h.fixture.reads(), readsBefore);
    EXPECT_EQ(h.rows(QStringLiteral("T_Object")).size(), 9);
}

TEST(ObjectList, CutsLongNamesAndHidesTheTarget)
{
    Harness h;
    const QString longName = QString(300, u'長');
    h.fixture.database().Name = longName;
    h.fixture.add(FixtureTable(longName));
    h.open();
    h.state.visibilityFlag = 1;
    h.ui.setValue(Ctl::chkVisible, 1);
    h.state.target->setVisible(true);

    cmdObject_Click(h.state, h.ui);
    EXPECT_EQ(h.ui.value(Ctl::chkVisible), 0);
    EXPECT_FALSE(h.state.target->Visible());
    EXPECT_EQ(h.rows(QStringLiteral("T_DataBase"))[0][QStringLiteral("DbName")].toString().size(),
              255);
    EXPECT_EQ(h.rows(QStringLiteral("T_Object"))[0][QStringLiteral("objectName")].toString().size(),
              255);
}

TEST(ObjectList, FailureAtAnyReadKeepsRowsAndReportsOnce)
{
    for (int failAt = 0;; ++failAt) {
        SCOPED_TRACE(failAt);
        Harness h;
        for (int i = 0; i < 3; ++i)
            h.fixture.add(
                FixtureTable(QStringLiteral("T%1").arg(i)).description(QStringLiteral("d")));
        h.fixture.add(FixtureQuery(QStringLiteral("Q"), 0, QStringLiteral("SELECT 1;")));
        h.open();
        h.fixture.failAfterReads(h.fixture.reads() + failAt);
        cmdObject_Click(h.state, h.ui);
        if (h.ui.messages.isEmpty()) {
            EXPECT_EQ(h.state.listingState(Listing::Objects), 1);
            EXPECT_GT(failAt, 2);
            break;
        }
        ASSERT_EQ(h.ui.messages.size(), 1);
        EXPECT_TRUE(h.ui.messages[0].text.startsWith(QStringLiteral("場所:ObjectListｴﾗｰNo:3049")));
        EXPECT_TRUE(h.ui.windowEnabled());
        EXPECT_EQ(h.state.listingState(Listing::Objects), 0);
        EXPECT_TRUE(h.output.shown.isEmpty());
    }
}

TEST(ObjectList, NoTargetFailsAfterClearing)
{
    Harness h; // no target opened
    cmdObject_Click(h.state, h.ui);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_TRUE(h.ui.messages[0].text.startsWith(QStringLiteral("場所:ObjectListｴﾗｰNo:91")));
    EXPECT_TRUE(h.rows(QStringLiteral("T_DataBase")).isEmpty());
}
