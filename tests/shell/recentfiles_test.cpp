// Recent targets in the File menu and files dropped on the window: each
// selects its file as SelectFile does, errors included.

#include "host/objects/fixturesource.h"
#include "host/vb/errors.h"
#include "shell/maincontroller.h"
#include "shell/mainwindow.h"
#include "shell/recentfiles.h"
#include "shell/scriptedui.h"
#include "support/testsupport.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

QMenu *fileMenu(MainWindow &window)
{
    return window.menuBar()->actions().first()->menu();
}

// The recent items of the File menu as it opens: caption -> action.
QList<QAction *> recentItems(MainWindow &window)
{
    QMenu *file = fileMenu(window);
    emit file->aboutToShow();
    QList<QAction *> items;
    for (QAction *action : file->actions()) {
        if (action->property("recentTarget").isValid())
            items << action;
    }
    return items;
}

// Sends a drag entering and a drop of `path` at the window's centre;
// returns whether the drag was accepted.
bool drop(MainWindow &window, const QString &path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint at = window.rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &dropped);
    return dropped.isAccepted();
}

} // namespace

TEST(RecentTargets, MenuAndDropSelectAsSelectFileDoes)
{
    QSettings().remove(QStringLiteral("recent"));
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < 7; ++i)
        files << writeFile(dir, QStringLiteral("db%1.mdb").arg(i), "x");
    FixtureSource fixture;
    MainState state;
    const SourceOpener opener = fixture.opener();
    state.opener = [opener](const QString &path) {
        if (!QFile::exists(path))
            throw HostError(Err::DaoFileNotFound, QStringLiteral("Could not find file"));
        return opener(path);
    };
    MainWindow window;
    ScriptedUi ui(window);
    StillPlatform platform;
    MainController controller(window, state, ui, platform);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QAction *selectFile = fileMenu(window)->actions().first();
    for (const QString &file : files) {
        ui.file = file;
        selectFile->trigger();
    }
    EXPECT_EQ(recentTargets(), (QStringList{files[6], files[5], files[4], files[3], files[2]}));
    QList<QAction *> items = recentItems(window);
    ASSERT_EQ(items.size(), 5);
    EXPECT_TRUE(items[0]->text().startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(items[1]->text().endsWith(QStringLiteral("db5.mdb")));
    // The designed items keep their place above the list.
    const QList<QAction *> all = fileMenu(window)->actions();
    EXPECT_EQ(all[0]->objectName(), QStringLiteral("m1a"));
    EXPECT_EQ(all[2]->objectName(), QStringLiteral("m1z"));
    EXPECT_GT(all.indexOf(items[0]), 2);

    items[3]->trigger(); // db3
    EXPECT_EQ(state.targetPath, files[3]);
    EXPECT_EQ(ui.text(Ctl::lblDBName), files[3]);
    EXPECT_EQ(recentTargets().first(), files[3]);

    // A recent file that has gone: the same error as SelectFile gives.
    QFile::remove(files[5]);
    for (QAction *item : recentItems(window)) {
        if (item->property("recentTarget").toString() == files[5])
            item->trigger();
    }
    ASSERT_EQ(ui.messages.size(), 1);
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("SelectFile")));
    EXPECT_TRUE(ui.messages[0].contains(QStringLiteral("3024")));
    EXPECT_EQ(recentTargets().first(), files[3]) << "a file that did not open is not put first";

    // Dropping an Access file selects it; anything else is refused.
    const QString text = writeFile(dir, QStringLiteral("notes.txt"), "x");
    const QString before = state.targetPath;
    EXPECT_FALSE(drop(window, text));
    EXPECT_EQ(state.targetPath, before);
    EXPECT_TRUE(drop(window, files[1]));
    EXPECT_EQ(state.targetPath, files[1]);
    EXPECT_TRUE(ui.isEnabled(Ctl::cmdKaiseki));
    EXPECT_EQ(recentTargets().first(), files[1]);
}
