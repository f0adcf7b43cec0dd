// The target instance's window: what DoCmd opens appears as a tab, a table's
// datasheet streams its rows, its design lists the fields, a query shows its
// SQL; the help viewer finds the shipped help file.

#include "host/objects/application.h"
#include "host/objects/fixturesource.h"
#include "host/views/accesswindow.h"
#include "host/views/datasheetmodel.h"
#include "shell/helpviewer.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTextBrowser>
#include <gtest/gtest.h>

TEST(AccessWindow, ShowsWhatDoCmdOpens)
{
    FixtureSource fixture;
    FixtureTable orders(QStringLiteral("Orders"));
    orders.field(QStringLiteral("ID"), DaoType::Long)
        .field(QStringLiteral("Item"), DaoType::Text, 40);
    for (int i = 1; i <= 1200; ++i)
        orders.row({Value::longInt(i), QStringLiteral("ｱｲﾃﾑ%1").arg(i)});
    fixture.add(orders);
    fixture.add(FixtureQuery(QStringLiteral("Big"), 0,
                             QStringLiteral("SELECT * FROM Orders WHERE ID > 10;"))
                    .field(QStringLiteral("ID"), DaoType::Long));
    AccessWindow window;
    Application target(fixture.opener(), &window);
    target.OpenCurrentDatabase(QStringLiteral("C:\\sales.mdb"));
    EXPECT_FALSE(window.isVisible());

    target.OpenTable(QStringLiteral("Orders"), AcView::Normal, 1);
    auto *sheet = window.tabs()->currentWidget()->findChild<QTableView *>();
    ASSERT_NE(sheet, nullptr);
    auto *model = qobject_cast<DatasheetModel *>(sheet->model());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->rowCount(), 500); // the first batch only
    EXPECT_EQ(model->data(model->index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("ｱｲﾃﾑ2"));
    while (model->canFetchMore(QModelIndex()))
        model->fetchMore(QModelIndex());
    EXPECT_EQ(model->rowCount(), 1200);

    target.OpenTable(QStringLiteral("Orders"), AcView::Design, 1); // replaces the datasheet
    EXPECT_EQ(window.tabs()->count(), 1);
    auto *fields = qobject_cast<QTableWidget *>(window.tabs()->currentWidget());
    ASSERT_NE(fields, nullptr);
    EXPECT_EQ(fields->rowCount(), 2);
    EXPECT_EQ(fields->item(1, 0)->text(), QStringLiteral("Item"));

    target.OpenQuery(QStringLiteral("Big"), AcView::Design, 1);
    auto *sql = window.tabs()->currentWidget()->findChild<QPlainTextEdit *>();
    ASSERT_NE(sql, nullptr);
    EXPECT_TRUE(sql->toPlainText().contains(QStringLiteral("WHERE ID > 10")));

    fixture.document(QStringLiteral("Modules"), QStringLiteral("Utils"));
    auto modules = std::make_shared<FixtureModules>();
    modules->add(
        QStringLiteral("Utils"), ModuleText::Kind::Standard,
        QStringLiteral("Attribute VB_Name = \"Utils\"\r\nOption Explicit\r\nSub A()\r\nEnd Sub"));
    window.setModuleOpener([modules](const QString &) { return modules; });
    target.OpenModule(QStringLiteral("Utils"));
    auto *source = qobject_cast<QPlainTextEdit *>(window.tabs()->currentWidget());
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->toPlainText(), QStringLiteral("Option Explicit\nSub A()\nEnd Sub"));
    target.Close(AcObjectType::Module, QStringLiteral("Utils"));

    target.Close(AcObjectType::Query, QStringLiteral("Big"));
    EXPECT_EQ(target.openObjects().size(), 1);
    target.setVisible(true);
    EXPECT_TRUE(window.isVisible());
    target.CloseCurrentDatabase();
    EXPECT_TRUE(target.openObjects().isEmpty());
}

TEST(HelpViewer, ShowsTheShippedFileOrSaysItIsMissing)
{
    auto openViewer = [] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("helpViewer") && w->isVisible())
                return qobject_cast<QTextBrowser *>(w);
        }
        return static_cast<QTextBrowser *>(nullptr);
    };
    showHelp(QStringLiteral(QUILLMARK_SOURCE_DIR "/shell/help/Quillmark.hlp"));
    QTextBrowser *shown = openViewer();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->toPlainText().contains(QStringLiteral("場所とエラー番号")));
    EXPECT_TRUE(shown->toPlainText().contains(QStringLiteral("31002")));
    shown->close();

    showHelp(QStringLiteral("/nonexistent/Quillmark.hlp"));
    shown = openViewer();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->toPlainText().contains(QStringLiteral("開けません")));
    shown->close();
}
