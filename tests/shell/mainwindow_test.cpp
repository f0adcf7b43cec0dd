// The real main window on the offscreen platform: designed names, captions,
// geometry and the Ui port over its widgets.

#include "shell/mainwindow.h"
#include "shell/widgetui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>

TEST(MainWindow, OpensWithEveryControlInPlace)
{
    MainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), "Quillmark Ver0.31");
    for (int i = 0; i < int(Ctl::Count); ++i) {
        QWidget *w = window.control(Ctl(i));
        ASSERT_NE(w, nullptr) << controlName(Ctl(i));
        EXPECT_EQ(w->objectName(), QString::fromLatin1(controlName(Ctl(i))));
    }
    EXPECT_EQ(qobject_cast<QAbstractButton *>(window.control(Ctl::cmdKaiseki))->text(), "Analize");
    const QRect open = window.control(Ctl::cmdOpen)->geometry();
    EXPECT_EQ(open.width(), window.twipsToPixels(2325));
    EXPECT_EQ(open.left(), window.twipsToPixels(3060));

    WidgetUi ui(window);
    ui.setText(Ctl::txtMesege, QStringLiteral("ﾃｰﾌﾞﾙ情報　取得中"));
    EXPECT_EQ(ui.text(Ctl::txtMesege), QStringLiteral("ﾃｰﾌﾞﾙ情報　取得中"));
    ui.addItem(Ctl::cboForms, QStringLiteral("Main"));
    ui.addItem(Ctl::cboForms, QStringLiteral("Sub"));
    ui.setListIndex(Ctl::cboForms, 1);
    EXPECT_EQ(ui.text(Ctl::cboForms), "Sub");
    EXPECT_EQ(ui.items(Ctl::cboForms), (QStringList{"Main", "Sub"}));
    ui.setValue(Ctl::chkVisible, 1);
    EXPECT_EQ(ui.value(Ctl::chkVisible), 1);
    ui.setEnabled(optPrint(3), false);
    EXPECT_FALSE(ui.isEnabled(optPrint(3)));

    const int collapsed = window.height();
    ui.setWindowHeight(4900);
    EXPECT_GT(window.height(), collapsed);
    ui.setWindowEnabled(false);
    EXPECT_FALSE(ui.windowEnabled());
    QImage picture = window.grab().toImage();
    EXPECT_FALSE(picture.isNull());
}
