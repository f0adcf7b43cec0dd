// Target selection with a scripted dialog: pickers and their rules, listing
// states, buttons, failures; then Open and Visible.

#include "host/command/headlessui.h"
#include "host/objects/fixturesource.h"
#include "host/vb/errors.h"
#include "shell/openobject.h"
#include "shell/targetselection.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

namespace {

struct Harness
{
    FixtureSource fixture{QStringLiteral("/data/sales.mdb")};
    MainState state;
    HeadlessUi ui;
    Harness()
    {
        state.opener = fixture.opener();
        fixture.database().properties.append(QStringLiteral("StartupForm"), QStringLiteral("Menu"));
        fixture.add(FixtureTable(QStringLiteral("MSysObjects")));
        fixture.add(FixtureTable(QStringLiteral("Orders")));
        fixture.add(FixtureTable(QStringLiteral("MSYSLike")));
        fixture.add(FixtureQuery(QStringLiteral("Odd"), 8, QStringLiteral("?")));
        fixture.add(FixtureQuery(QStringLiteral("Sums"), 16, QStringLiteral("TRANSFORM ...")));
        fixture.document(QStringLiteral("Reports"), QStringLiteral("Monthly"));
        ui.setValue(OptMode(0), 1);
        ui.setValue(OptView(0), 1);
    }
    void select(const QString &path)
    {
        ui.fileChoices << path;
        m1a_Click(state, ui);
    }
};

} // namespace

TEST(TargetSelection, FillsPickersAndEnablesCommands)
{
    Harness h;
    h.state.listingStates.fill(ListingProduced);
    h.select(QStringLiteral("/data/sales.mdb"));

    EXPECT_EQ(h.ui.dialogFilters, QStringList{QStringLiteral("Access(*.mdb)") + QChar(0) +
                                              QStringLiteral("*.mdb") + QChar(0)});
    EXPECT_EQ(h.ui.text(Ctl::lblDBName), "/data/sales.mdb");
    EXPECT_EQ(h.ui.items(Ctl::cboTables), (QStringList{"Orders", "MSYSLike"}));
    EXPECT_EQ(h.ui.items(Ctl::cboQuerys), QStringList{"Sums"});
    EXPECT_EQ(h.ui.text(Ctl::cboTables), "Orders");
    EXPECT_TRUE(h.ui.items(Ctl::cboForms).isEmpty());
    EXPECT_EQ(h.state.listingStates, (std::array<qint16, 7>{0, 0, 0, 2, 0, 2, 0}));
    EXPECT_FALSE(h.ui.isEnabled(Ctl::cmdCapture)); // no forms
    EXPECT_FALSE(h.ui.isEnabled(Ctl::cmdModosu));
    for (Ctl on : {Ctl::cmdOpen, Ctl::cmdExport, Ctl::cmdKaiseki, Ctl::cmdTableF, Ctl::chkVisible})
        EXPECT_TRUE(h.ui.isEnabled(on)) << controlName(on);
    EXPECT_EQ(h.ui.value(Ctl::chkCom), 1);
    EXPECT_EQ(h.ui.value(Ctl::chkRep), 1);
    EXPECT_EQ(h.ui.text(Ctl::txtMesege), "");
    EXPECT_TRUE(h.ui.statusHistory.contains(QStringLiteral("ｸｴﾘ-名　取得中")));
    EXPECT_EQ(h.ui.mousePointer(), PointerDefault);
    EXPECT_TRUE(h.ui.messages.isEmpty());
    // The startup form is switched off in the opened object only.
    EXPECT_EQ(h.state.targetDatabase().Properties().item(QStringLiteral("StartupForm")).Value(),
              Value(QStringLiteral("(表示しない)")));
    EXPECT_EQ(h.fixture.database().properties.item(QStringLiteral("StartupForm")).Value(),
              Value(QStringLiteral("Menu")));
}

TEST(TargetSelection, CancelAndFailureLeaveStateAlone)
{
    Harness h;
    h.select(QStringLiteral("/data/sales.mdb"));
    h.state.listingState(Listing::Objects) = ListingProduced;

    h.select(QString()); // cancelled
    EXPECT_TRUE(h.ui.messages.isEmpty());
    EXPECT_EQ(h.ui.text(Ctl::lblDBName), "");
    EXPECT_FALSE(h.state.target->hasCurrentDatabase());
    EXPECT_EQ(h.state.listingState(Listing::Objects), ListingProduced);

    h.state.opener = [](const QString &) -> std::shared_ptr<DatabaseSource> {
        throw HostError(Err::UnrecognizedFormat, QStringLiteral("not a database"));
    };
    h.select(QStringLiteral("/data/sheet.mdb"));
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_TRUE(h.ui.messages[0].text.startsWith(QStringLiteral("場所:SelectFileｴﾗｰNo:3343")));
    EXPECT_EQ(h.state.listingState(Listing::Objects), ListingProduced);
    EXPECT_EQ(h.ui.items(Ctl::cboTables), (QStringList{"Orders", "MSYSLike"}));
}

TEST(OpenObject, OpensInTheChosenViewOrTraps)
{
    Harness h;
    h.select(QStringLiteral("/data/sales.mdb"));
    h.ui.setValue(OptView(1), 1);
    h.ui.setValue(Ctl::chkRO, 1);
    cmdOpen_Click(h.state, h.ui);
    ASSERT_EQ(h.state.target->openObjects().size(), 1);
    const OpenedObject opened = h.state.target->openObjects()[0];
    EXPECT_EQ(opened.name, "Orders");
    EXPECT_EQ(opened.view, AcView::Design);
    EXPECT_EQ(opened.dataMode, 2);
    EXPECT_FALSE(h.state.target->Visible()); // shown only through chkVisible

    // A kind without objects: the empty picker ends in the trap with place "Open".
    h.ui.setValue(OptMode(2), 1);
    h.ui.setWindowEnabled(false);
    cmdOpen_Click(h.state, h.ui);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_TRUE(h.ui.messages[0].text.startsWith(QStringLiteral("場所:OpenｴﾗｰNo:2102")));
    EXPECT_TRUE(h.ui.windowEnabled());

    h.ui.setValue(OptMode(3), 1);
    h.ui.setListIndex(Ctl::cboReports, 0);
    h.ui.setValue(OptView(0), 1);
    cmdOpen_Click(h.state, h.ui); // acNormal prints through the view and leaves nothing open
    EXPECT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.state.target->openObjects().size(), 1);
    h.ui.setValue(OptView(2), 1);
    cmdOpen_Click(h.state, h.ui);
    EXPECT_EQ(h.state.target->openObjects().last().type, AcObjectType::Report);
    EXPECT_EQ(h.state.target->openObjects().last().view, AcView::Preview);
}

TEST(OpenObject, VisibleShowsHidesAndTurnsBackOnError91)
{
    Harness h;
    // No target instance yet: error 91 turns the box back silently.
    h.ui.setValue(Ctl::chkVisible, 1);
    chkVisible_Click(h.state, h.ui);
    EXPECT_EQ(h.ui.value(Ctl::chkVisible), 0);
    EXPECT_EQ(h.state.visibilityFlag, 0);
    EXPECT_TRUE(h.ui.messages.isEmpty());

    h.select(QStringLiteral("/data/sales.mdb"));
    h.ui.setValue(Ctl::chkVisible, 1);
    chkVisible_Click(h.state, h.ui);
    EXPECT_TRUE(h.state.target->Visible());
    EXPECT_EQ(h.state.visibilityFlag, 1);
    h.ui.setValue(Ctl::chkVisible, 0);
    chkVisible_Click(h.state, h.ui);
    EXPECT_FALSE(h.state.target->Visible());
}
