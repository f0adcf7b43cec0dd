// The real main window on the offscreen platform: designed names, captions,
// geometry and the Ui port over its widgets.

#include "shell/captionfit.h"
#include "shell/designframe.h"
#include "shell/elidedlabel.h"
#include "shell/mainwindow.h"
#include "shell/panels.h"
#include "shell/widgetui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
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

namespace {

// Every visible control of the client area: its caption fits the control,
// and the control lies inside its frame's border and the window.
void expectEverythingFits(MainWindow &window, const QString &state)
{
    QWidget *client = window.centralWidget();
    for (QWidget *w : client->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(client) || w->parentWidget()->inherits("QComboBox"))
            continue;
        const QString where = state + ": " + w->objectName();
        QWidget *parent = w->parentWidget();
        const QRect inside = parent == client ? client->rect() : parent->contentsRect();
        EXPECT_TRUE(inside.contains(w->geometry()))
            << qPrintable(where) << " lies outside its container";
        if (auto *frame = qobject_cast<DesignFrame *>(w)) {
            EXPECT_LE(w->fontMetrics().horizontalAdvance(frame->title()) + 12, frame->width())
                << qPrintable(where);
        } else if (!qobject_cast<ElidedLabel *>(w)) {
            expectCaptionFits(w, where);
        }
    }
}

} // namespace

TEST(MainWindow, EveryCaptionFitsItsControlInEveryPanel)
{
    MainWindow window;
    WidgetUi ui(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(QFontInfo(window.font()).family() == QStringLiteral("Ume UI Gothic"))
        << "the Japanese UI font is not installed: "
        << qPrintable(QFontInfo(window.font()).family());

    const struct
    {
        Ctl frame;
        int height;
    } panels[] = {{Ctl::framExport, ExportHeight},
                  {Ctl::framKaiseki, AnalizeHeight},
                  {Ctl::framCompact, CompactHeight}};
    // Collapsed, the panels lie below the edge by design: measure the rest.
    for (const auto &panel : panels)
        ui.setVisible(panel.frame, false);
    expectEverythingFits(window, QStringLiteral("collapsed"));
    for (const auto &panel : panels) {
        for (const auto &other : panels)
            ui.setVisible(other.frame, other.frame == panel.frame);
        ui.setWindowHeight(panel.height);
        expectEverythingFits(window, QString::fromLatin1(controlName(panel.frame)));
    }

    // A long path is shortened in the middle, keeping the file name; the
    // status line shows the start of a long text.
    const QString path = QStringLiteral("/home/user/ドキュメント/とても長いフォルダーの名前/"
                                        "もっと長いフォルダーの名前/販売管理.mdb");
    ui.setText(Ctl::lblDBName, path);
    auto *name = qobject_cast<ElidedLabel *>(window.control(Ctl::lblDBName));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), path);
    EXPECT_TRUE(name->isElided());
    EXPECT_TRUE(name->shownText().endsWith(QStringLiteral("販売管理.mdb")));
    EXPECT_TRUE(name->shownText().startsWith(QStringLiteral("/home")));
    ui.setText(Ctl::lblDBName, QStringLiteral("/tmp/a.mdb"));
    EXPECT_FALSE(name->isElided());
    ui.setText(Ctl::txtMesege, path);
    EXPECT_EQ(qobject_cast<QLineEdit *>(window.control(Ctl::txtMesege))->cursorPosition(), 0);
}
