// Panels, heights, the Export-panel restriction and the hints, through the
// Ui port; the hints also through the real window's mouse events.

#include "host/command/headlessui.h"
#include "host/objects/application.h"
#include "host/objects/fixturesource.h"
#include "host/views/accesswindow.h"
#include "shell/hints.h"
#include "shell/maincontroller.h"
#include "shell/mainwindow.h"
#include "shell/panels.h"
#include "shell/widgetui.h"
#include "support/testsupport.h"

#include <QAction>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class QuietPlatform : public Platform
{
public:
    QList<bool> screenSaver;
    QString programFolder() const override { return QStringLiteral("/opt/q/"); }
    VersionRecord versionRecord() const override { return {1, 4, 10}; }
    bool setScreenSaverActive(bool active) override
    {
        screenSaver << active;
        return true;
    }
    bool setCurrentDirectory(const QString &) override { return true; }
};

// The real window with its controller, shown on the offscreen platform.
struct ShownWindow : ::testing::Test
{
    MainState state;
    MainWindow window;
    WidgetUi ui{window};
    QuietPlatform platform;
    MainController controller{window, state, ui, platform};

    void SetUp() override
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
};

} // namespace

TEST(Panels, HeightsFramesAndButtons)
{
    MainState state;
    HeadlessUi ui;
    QuietPlatform platform;

    cmdExport_Click(state, ui);
    EXPECT_EQ(ui.windowHeight(), 4700);
    EXPECT_TRUE(ui.isVisible(Ctl::framExport));
    EXPECT_FALSE(ui.isVisible(Ctl::framKaiseki));
    EXPECT_FALSE(ui.isEnabled(Ctl::cmdExport));
    EXPECT_EQ(state.exportPanelFlag, 1);

    // Form and Report are refused while the Export panel shows; the picker stays.
    OptMode_Click(state, ui, 0);
    OptMode_Click(state, ui, 2);
    EXPECT_EQ(ui.text(Ctl::txtMesege), QStringLiteral("Form､Reportは選択出来ません"));
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Quillmark"));
    EXPECT_TRUE(ui.isVisible(Ctl::cboTables));
    EXPECT_FALSE(ui.isEnabled(Ctl::cmdSaveCSV));
    OptMode_Click(state, ui, 1);
    EXPECT_TRUE(ui.isEnabled(Ctl::cmdSaveRTF));
    EXPECT_TRUE(ui.isVisible(Ctl::cboQuerys));
    EXPECT_FALSE(ui.isVisible(Ctl::cboTables));

    // After Compact, Form is accepted.
    cmdCompact_Click(state, ui);
    EXPECT_EQ(state.exportPanelFlag, 0);
    EXPECT_FALSE(ui.isEnabled(Ctl::cmdCompact));
    OptMode_Click(state, ui, 2);
    EXPECT_TRUE(ui.isVisible(Ctl::cboForms));
    EXPECT_FALSE(ui.isVisible(Ctl::chkRO));
    EXPECT_EQ(ui.messages.size(), 1);
    OptMode_Click(state, ui, 7); // not a kind: nothing
    EXPECT_TRUE(ui.isVisible(Ctl::cboForms));

    // Analize disables the commands of kinds the target lacks and the screen saver.
    state.listingState(Listing::FormControls) = ListingNoObjects;
    state.listingState(Listing::ReportControls) = ListingNoObjects;
    state.listingState(Listing::ModuleList) = ListingNoObjects;
    cmdKaiseki_Click(state, ui, platform);
    EXPECT_EQ(ui.windowHeight(), 4900);
    for (Ctl off : {Ctl::cmdFormC, Ctl::cmdModF, Ctl::cmdReportC, Ctl::cmdModR, Ctl::cmdModM,
                    Ctl::cmdModuleL, Ctl::chkVisible, Ctl::cmdKaiseki})
        EXPECT_FALSE(ui.isEnabled(off)) << controlName(off);
    EXPECT_TRUE(ui.isEnabled(Ctl::cmdTableF));
    EXPECT_EQ(platform.screenSaver, QList<bool>{false});

    // Return: collapsed, panel kept as it was, export and analize only with a target.
    cmdModosu_Click(state, ui);
    EXPECT_EQ(ui.windowHeight(), 3485);
    EXPECT_TRUE(ui.isVisible(Ctl::framKaiseki));
    EXPECT_FALSE(ui.isEnabled(Ctl::cmdModosu));
    EXPECT_TRUE(ui.isEnabled(Ctl::chkVisible));
    EXPECT_FALSE(ui.isEnabled(Ctl::cmdKaiseki)); // no target path: left as it was
    state.targetPath = QStringLiteral("/data/a.mdb");
    cmdModosu_Click(state, ui);
    EXPECT_TRUE(ui.isEnabled(Ctl::cmdKaiseki));
}

TEST(Hints, TextsAreExact)
{
    EXPECT_EQ(hintFor(u"cmdModuleL"), QString::fromUtf16(u"モジュール\u3000一覧"));
    EXPECT_EQ(hintFor(u"cmdExport"), QStringLiteral("ﾃｰﾌﾞﾙ出力 機能"));
    EXPECT_EQ(hintFor(u"OptMode(3)"), QStringLiteral("ｵﾌﾞｼﾞｪｸﾄを選択"));
    EXPECT_EQ(hintFor(u"Frame2"), QStringLiteral("表示形式を選択"));
    EXPECT_EQ(hintFor(u"frmQuillmark"), QString());
    EXPECT_FALSE(hintFor(u"cboTables").has_value());
    EXPECT_FALSE(hintFor(u"chkVisible").has_value());
    for (const char16_t *name : {u"cmdExport", u"cmdObject", u"cmdTableF", u"cmdSaveCSV", u"chkRO"})
        EXPECT_FALSE(hintFor(name)->contains(QChar(0x3000)))
            << QString::fromUtf16(name).toStdString();
}

TEST_F(ShownWindow, MouseMovesWriteTheStatusLine)
{
    auto moveOver = [](QWidget *w) {
        QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    };
    moveOver(window.control(Ctl::cmdKaiseki));
    EXPECT_EQ(ui.text(Ctl::txtMesege), QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ解析 機能"));
    moveOver(window.control(Ctl::cboTables)); // no hint: unchanged
    EXPECT_EQ(ui.text(Ctl::txtMesege), QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ解析 機能"));
    moveOver(window.findChild<QWidget *>(QStringLiteral("Frame2")));
    EXPECT_EQ(ui.text(Ctl::txtMesege), QStringLiteral("表示形式を選択"));
    moveOver(window.centralWidget());
    EXPECT_EQ(ui.text(Ctl::txtMesege), QString());

    // The panel buttons are wired: Analize grows the window and shows its frame.
    const int collapsed = window.height();
    ui.setEnabled(Ctl::cmdKaiseki, true);
    QTest::mouseClick(window.control(Ctl::cmdKaiseki), Qt::LeftButton);
    EXPECT_GT(window.height(), collapsed);
    EXPECT_TRUE(ui.isVisible(Ctl::framKaiseki));
    EXPECT_FALSE(ui.isVisible(Ctl::framExport));
}

TEST_F(ShownWindow, OptionsAreExclusiveAndDisabledControlsGiveNoHint)
{
    // Clicking an option chooses it alone; clicking it again keeps it.
    for (int chosen : {1, 4, 4, 0}) {
        QTest::mouseClick(window.control(OptMode(chosen)), Qt::LeftButton);
        for (int i = 0; i <= 4; ++i)
            EXPECT_EQ(ui.value(OptMode(i)), i == chosen ? 1 : 0) << chosen << ' ' << i;
    }
    EXPECT_TRUE(ui.isVisible(Ctl::cboTables));
    EXPECT_FALSE(ui.isVisible(Ctl::cboModule));
    for (int chosen : {2, 0}) {
        QTest::mouseClick(window.control(OptView(chosen)), Qt::LeftButton);
        for (int i = 0; i <= 2; ++i)
            EXPECT_EQ(ui.value(OptView(i)), i == chosen ? 1 : 0);
    }

    // Over a disabled control, what lies under it gives the hint.
    ui.setText(Ctl::txtMesege, QStringLiteral("x"));
    ui.setEnabled(Ctl::cmdCompact, false);
    QTest::mouseMove(window.control(Ctl::cmdCompact), QPoint(5, 5));
    EXPECT_EQ(ui.text(Ctl::txtMesege), QString()); // the window's own hint
    ui.setEnabled(OptView(1), false);
    QTest::mouseMove(window.control(OptView(1)), QPoint(5, 5));
    EXPECT_EQ(ui.text(Ctl::txtMesege), QStringLiteral("表示形式を選択"));
    ui.setEnabled(Ctl::cmdCompact, true);
    QTest::mouseMove(window.control(Ctl::cmdCompact), QPoint(6, 6));
    EXPECT_EQ(ui.text(Ctl::txtMesege), QStringLiteral("修復・最適化 機能"));
}

TEST_F(ShownWindow, OpenOpensTheObjectThePickerShows)
{
    FixtureSource fixture;
    fixture.add(FixtureTable(QStringLiteral("Orders")).field(QStringLiteral("ID"), DaoType::Long));
    fixture.add(FixtureQuery(QStringLiteral("Big"), 0, QStringLiteral("SELECT * FROM Orders;"))
                    .field(QStringLiteral("ID"), DaoType::Long));
    AccessWindow targetWindow;
    state.target = std::make_unique<Application>(fixture.opener(), &targetWindow);
    state.target->OpenCurrentDatabase(QStringLiteral("C:\\sales.mdb"));
    ui.addItem(Ctl::cboTables, QStringLiteral("Orders"));
    ui.addItem(Ctl::cboQuerys, QStringLiteral("Big"));
    ui.setEnabled(Ctl::cmdOpen, true);

    auto openWith = [&](int kind) {
        QTest::mouseClick(window.control(OptMode(kind)), Qt::LeftButton);
        QTest::mouseClick(window.control(OptMode(kind)), Qt::LeftButton); // stays chosen
        QTest::mouseClick(window.control(Ctl::cmdOpen), Qt::LeftButton);
        return targetWindow.tabs()->tabText(targetWindow.tabs()->currentIndex());
    };
    EXPECT_EQ(openWith(1), QStringLiteral("クエリ: Big"));
    EXPECT_TRUE(ui.isVisible(Ctl::cboQuerys));
    EXPECT_EQ(openWith(0), QStringLiteral("テーブル: Orders"));
    EXPECT_TRUE(ui.isVisible(Ctl::cboTables));
    state.target.reset(); // before its window goes
}

TEST(MainWindowInput, QuitEndsTheProgramWithOtherWindowsOpen)
{
    MainWindow window;
    HeadlessUi ui; // answers the farewell message at once
    MainState state;
    QuietPlatform platform;
    MainController controller(window, state, ui, platform);
    window.show();
    QWidget other; // as the help viewer or a report preview would be
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));

    bool timedOut = false;
    QTimer::singleShot(0, &window,
                       [&] { window.findChild<QAction *>(QStringLiteral("m1z"))->trigger(); });
    QTimer::singleShot(10000, &window, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
    ASSERT_FALSE(ui.messages.isEmpty());
    EXPECT_EQ(ui.messages.last().text, QStringLiteral("終了します。"));
}
