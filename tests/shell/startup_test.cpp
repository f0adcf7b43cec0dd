// Start-up and shut-down through the Ui port, with an injected platform.

#include "host/command/headlessui.h"
#include "host/objects/fixturesource.h"
#include "shell/filedialogs.h"
#include "shell/platform.h"
#include "shell/startup.h"
#include "shell/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FakePlatform : public Platform
{
public:
    QString folder = QStringLiteral("C:\\Tools");
    VersionRecord record{1, 4, 10};
    QList<bool> screenSaver;
    QStringList currentDirs;
    QString programFolder() const override { return withTrailingSeparator(folder); }
    VersionRecord versionRecord() const override { return record; }
    bool setScreenSaverActive(bool active) override
    {
        screenSaver << active;
        return true;
    }
    bool setCurrentDirectory(const QString &dir) override
    {
        currentDirs << dir;
        return true;
    }
};

} // namespace

TEST(Platform, VersionNamesAndProgramFolder)
{
    EXPECT_EQ(WindowsVersionName({1, 4, 0}), "Win95");
    EXPECT_EQ(WindowsVersionName({1, 4, 10}), "Win98");
    EXPECT_EQ(WindowsVersionName({1, 4, 90}), "ERROR");
    EXPECT_EQ(WindowsVersionName({2, 4, 0}), "ERROR");
    EXPECT_EQ(WindowsVersionName({2, 5, 0}), "ERROR");
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("C:\\")), "C:\\");
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("C:\\app")), "C:\\app\\");
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("/opt/quillmark")), "/opt/quillmark/");
    EXPECT_EQ(withTrailingSeparator(QStringLiteral("/")), "/");
    DesktopPlatform real(QDir::tempPath());
    EXPECT_TRUE(real.programFolder().endsWith(u'/'));
    EXPECT_EQ(WindowsVersionName(real.versionRecord()), "ERROR");
}

TEST(Startup, Windows98StartsWithoutQuestionInFirstState)
{
    FakePlatform platform;
    MainState state;
    HeadlessUi ui;
    ASSERT_TRUE(Form_Load(state, ui, platform));
    EXPECT_TRUE(ui.messages.isEmpty());
    EXPECT_EQ(state.programFolder, "C:\\Tools\\");
    EXPECT_EQ(state.storePath, "C:\\Tools\\Analize.mdb");
    EXPECT_EQ(platform.currentDirs, QStringList{"C:\\Tools\\"});
    for (Ctl off : {Ctl::cmdOpen, Ctl::cmdExport, Ctl::cmdKaiseki, Ctl::cmdCapture, Ctl::cmdModosu,
                    Ctl::chkVisible})
        EXPECT_FALSE(ui.isEnabled(off)) << controlName(off);
    EXPECT_TRUE(ui.isEnabled(Ctl::cmdCompact));
    for (int i = 0; i <= 8; ++i)
        EXPECT_FALSE(ui.isEnabled(optPrint(i))) << i;
    EXPECT_EQ(ui.value(OptMode(0)), 1);
    EXPECT_EQ(ui.value(OptView(0)), 1);
    EXPECT_EQ(ui.windowHeight(), 3485);
    EXPECT_EQ(ui.text(Ctl::txtMesege), "");
    EXPECT_EQ(state.captureDelay, 5000);
    EXPECT_EQ(state.visibilityFlag, 0);

    // A drive root keeps its single separator.
    platform.folder = QStringLiteral("D:\\");
    Form_Load(state, ui, platform);
    EXPECT_EQ(state.storePath, "D:\\Analize.mdb");
}

TEST(Startup, OtherSystemsAskAndMayEnd)
{
    for (const VersionRecord record :
         {VersionRecord{2, 4, 0}, VersionRecord{2, 5, 0}, VersionRecord{0, 6, 1}}) {
        FakePlatform platform;
        platform.record = record;
        MainState state;
        HeadlessUi ui;
        ui.answer = [](const ShownMessage &m) {
            return m.buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
        };
        EXPECT_FALSE(Form_Load(state, ui, platform));
        ASSERT_EQ(ui.messages.size(), 2);
        EXPECT_EQ(ui.messages[0].text, "この環境での動作保証はできませんが使用しますか？");
        EXPECT_EQ(ui.messages[0].title, "動作Windows確認");
        EXPECT_EQ(ui.messages[0].icon, MsgIcon::Warning);
        EXPECT_EQ(ui.messages[1].text, "終了します");
        EXPECT_EQ(ui.messages[1].title, "終了報告");
        EXPECT_EQ(ui.messages[1].icon, MsgIcon::Information);
        EXPECT_TRUE(platform.currentDirs.isEmpty()); // ended before anything else

        HeadlessUi yes;
        EXPECT_TRUE(Form_Load(state, yes, platform));
        EXPECT_EQ(yes.messages.size(), 1);
    }
}

TEST(Startup, ShutDownWithAndWithoutTarget)
{
    FakePlatform platform;
    MainState state;
    HeadlessUi ui;
    shutDown(state, ui, platform); // nothing was ever opened
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_EQ(ui.messages[0].text, "終了します。");
    EXPECT_EQ(ui.messages[0].title, "Quillmark 0.31");
    EXPECT_EQ(ui.messages[0].icon, MsgIcon::None);
    EXPECT_EQ(platform.screenSaver, QList<bool>{true});

    FixtureSource fixture;
    QTemporaryDir dir;
    state.opener = fixture.opener();
    state.storePath = dir.filePath(QStringLiteral("Analize.mdb"));
    state.newTargetInstance().OpenCurrentDatabase(QStringLiteral("x.mdb"));
    state.openStore();
    shutDown(state, ui, platform);
    EXPECT_FALSE(state.target);
    EXPECT_FALSE(state.store);
    EXPECT_EQ(platform.screenSaver.size(), 2);
}

TEST(FileDialogs, FilterAndResultRules)
{
    const QString filter =
        QStringLiteral("Access(*.mdb)") + QChar(0) + QStringLiteral("*.mdb") + QChar(0);
    EXPECT_EQ(nameFilterOf(filter), "Access(*.mdb)"); // shown once
    EXPECT_EQ(nameFilterOf(QStringLiteral("Access(*.mdb)") + QChar(0) + QStringLiteral("*.mde")),
              "Access(*.mdb) (*.mde)");
    EXPECT_EQ(
        nameFilterOf(QStringLiteral("Text") + QChar(0) + QStringLiteral("*.txt;*.csv") + QChar(0)),
        "Text (*.txt *.csv)");
    EXPECT_EQ(dialogResult(QStringLiteral("/data/report")), "/data/report"); // no extension added
    EXPECT_EQ(dialogResult(QString(255, u'a')).size(), 255);
    EXPECT_EQ(dialogResult(QString(256, u'a')), "");
    EXPECT_EQ(QString::fromUtf8(OpenDialogTitle), "ﾌｧｲﾙを開く");
    EXPECT_EQ(QString::fromUtf8(SaveDialogTitle), "ﾌｧｲﾙの保存");

    // Qt's own words in the dialogs are Japanese.
    ASSERT_TRUE(installQtJapanese(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "キャンセル");
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), "Look in:");
}
