// The command frame: the standard error message, the busy state restored
// by the trap, rows kept after an error, the preview buttons' messages and
// the report launcher's contract.

#include "host/command/command.h"
#include "host/command/headlessui.h"
#include "host/command/listings.h"
#include "host/reports/reportoutput.h"
#include "host/reports/reportregistry.h"
#include "host/reports/storereport.h"
#include "host/vb/errors.h"

#include "support/testsupport.h"
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Records each launch and reads the store through the report's connection.
class RecordingOutput : public ReportOutput
{
public:
    QStringList shown;
    QList<int> objectRows;
    void show(const QString &reportName, const StoreReport &, QSqlDatabase &store) override
    {
        shown << reportName;
        QSqlQuery q(store);
        q.exec(QStringLiteral("SELECT count(*) FROM T_Object"));
        objectRows << (q.next() ? q.value(0).toInt() : -1);
    }
};

class CountingReport : public StoreReport
{
public:
    QString title() const override { return QStringLiteral("test"); }
    void write(QSqlDatabase &, ReportWriter &) const override {}
};

struct Fixture
{
    QTemporaryDir dir;
    MainState state;
    HeadlessUi ui;
    RecordingOutput output;
    Fixture()
    {
        state.storePath = dir.filePath(QStringLiteral("Analize.mdb"));
        state.reportOutput = &output;
        if (!hasReport(QStringLiteral("R_Object")))
            registerReport(QStringLiteral("R_Object"),
                           [] { return std::make_unique<CountingReport>(); });
    }
    void addObjectRow(Recordset &rs)
    {
        rs.AddNew();
        rs.setField(QStringLiteral("objectNo"), Value::integer(1));
        rs.Update(1, false);
    }
};

} // namespace

TEST(Command, StandardErrorMessageIsExact)
{
    EXPECT_EQ(standardErrorText(QStringLiteral("TableField"), 3265),
              QStringLiteral("場所:TableFieldｴﾗｰNo:3265\r場所とｴﾗｰNoを控えメールをお願いします。"));
}

TEST(Command, TrapKeepsRowsRestoresBusyAndShowsTheMessage)
{
    Fixture f;
    const bool ok = runCommand(f.state, f.ui, QStringLiteral("ObjectList"), [&] {
        const QStringList tables{QStringLiteral("T_Object"), QStringLiteral("T_DataBase")};
        Recordset &objects = *openListingTables(f.state, tables).first();
        setBusy(f.ui, true);
        clearListingTables(f.state, tables);
        f.addObjectRow(objects);
        f.addObjectRow(objects);
        throw HostError(Err::ItemNotFound, QStringLiteral("boom"));
    });
    EXPECT_FALSE(ok);
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_EQ(f.ui.messages[0].text, standardErrorText(QStringLiteral("ObjectList"), 3265));
    EXPECT_EQ(f.ui.messages[0].title, QStringLiteral("Quillmark 0.31"));
    EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(f.ui.messages[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(f.ui.windowEnabled());
    EXPECT_EQ(f.ui.mousePointer(), PointerDefault);

    // The two rows written before the error were committed by the trap.
    auto reader = Store::open(f.state.storePath);
    QSqlQuery q(reader->connection());
    q.exec(QStringLiteral("SELECT count(*) FROM T_Object"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 2);
}

TEST(Command, OtherFailuresAreTrappedToo)
{
    Fixture f;
    EXPECT_FALSE(
        runCommand(f.state, f.ui, QStringLiteral("Open"), [] { throw std::runtime_error("x"); }));
    ASSERT_EQ(f.ui.messages.size(), 1);
    EXPECT_TRUE(f.ui.messages[0].text.startsWith(QStringLiteral("場所:OpenｴﾗｰNo:31009")));
}

TEST(Listings, PreviewButtonsAnswerUntilTheirListingIsReady)
{
    Fixture f;
    const char *const expected[] = {
        "Object Listを実行して下さい",    "Table Fieldを実行して下さい",
        "Query Fieldを実行して下さい",    "Form Controlを実行して下さい",
        "Report Controlを実行して下さい", "Module Listを実行して下さい",
        "Form Moduleを実行して下さい",    "Report Moduleを実行して下さい",
        "VBA Moduleを実行して下さい"};
    for (int i = 0; i <= 8; ++i) {
        SCOPED_TRACE(i);
        f.ui.messages.clear();
        optPrint_Click(f.state, f.ui, i);
        ASSERT_EQ(f.ui.messages.size(), 1);
        EXPECT_EQ(f.ui.messages[0].text, QString::fromUtf8(expected[i]));
        EXPECT_EQ(f.ui.messages[0].title, QStringLiteral("Quillmark"));
        EXPECT_EQ(f.ui.text(Ctl::txtMesege), QString::fromUtf8(expected[i]));
    }
    EXPECT_TRUE(f.output.shown.isEmpty());
    optPrint_Click(f.state, f.ui, 9); // outside the array: nothing
    optPrint_Click(f.state, f.ui, -1);
    EXPECT_EQ(f.ui.messages.size(), 1);

    // The form module source listing makes only optPrint(6) ready.
    f.state.listingState(Listing::Source) = 1;
    f.ui.messages.clear();
    optPrint_Click(f.state, f.ui, 7);
    optPrint_Click(f.state, f.ui, 8);
    ASSERT_EQ(f.ui.messages.size(), 2);
    EXPECT_EQ(f.ui.messages[0].text, QStringLiteral("Report Moduleを実行して下さい"));
    EXPECT_EQ(f.ui.messages[1].text, QStringLiteral("VBA Moduleを実行して下さい"));
}

TEST(Listings, FinishCommitsAndLaunchesEveryTime)
{
    Fixture f;
    runCommand(f.state, f.ui, QStringLiteral("ObjectList"), [&] {
        Recordset &objects = *openListingTables(f.state, {QStringLiteral("T_Object")}).first();
        f.addObjectRow(objects);
        finishListing(f.state, f.ui, 0);
    });
    // The report's own connection already saw the row: committed before launch.
    EXPECT_EQ(f.output.shown, QStringList{QStringLiteral("R_Object")});
    EXPECT_EQ(f.output.objectRows, QList<int>{1});
    EXPECT_EQ(f.state.listingState(Listing::Objects), 1);
    EXPECT_TRUE(f.ui.isEnabled(optPrint(0)));
    EXPECT_EQ(f.ui.text(Ctl::txtMesege), QStringLiteral("終了しました"));

    optPrint_Click(f.state, f.ui, 0);
    EXPECT_EQ(f.output.shown.size(), 2);
    EXPECT_EQ(f.state.reportLaunches, 2);

    // An unknown report is error 2103, reported through the caller's trap.
    EXPECT_FALSE(runCommand(f.state, f.ui, QStringLiteral("ObjectList"),
                            [&] { launchReport(f.state, QStringLiteral("R_Nothing")); }));
    EXPECT_TRUE(f.ui.messages.last().text.contains(QStringLiteral("ｴﾗｰNo:2103")));
}
