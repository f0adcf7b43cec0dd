// The form and report control listings in the real window, on the bundled
// sample written afresh and its design exports: the pickers, the buttons,
// the store and the preview buttons, as a user clicks through them.

#include "app/wiring.h"
#include "host/reports/reportoutput.h"
#include "host/reports/storereports.h"
#include "host/store/store.h"
#include "shell/maincontroller.h"
#include "shell/mainwindow.h"
#include "shell/platform.h"
#include "shell/scriptedui.h"
#include "shell/targetselection.h"
#include "shell/widgetui.h"
#include "support/samplefile.h"

#include <QComboBox>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class NamesOutput : public ReportOutput
{
public:
    QStringList shown;
    void show(const QString &name, const StoreReport &, QSqlDatabase &) override { shown << name; }
};

int rowsOf(const QString &store, const QString &table)
{
    auto connection = Store::open(store);
    QSqlQuery q(connection->connection());
    q.exec(QStringLiteral("SELECT count(*) FROM ") + table);
    return q.next() ? q.value(0).toInt() : -1;
}

} // namespace

TEST(ControlListingsInTheWindow, SampleFormsAndReportsAreDocumented)
{
    QTemporaryDir dir;
    const QString sample = writeSample(dir);
    ASSERT_FALSE(sample.isEmpty());

    MainState state;
    state.storePath = dir.filePath(QStringLiteral("Analize.mdb"));
    NamesOutput output;
    state.reportOutput = &output;
    registerStoreReports();
    wireJetHost(state, JetOptions());
    DesignOptions designs;
    designs.folder = [] { return QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai/designs"); };
    wireDesigns(state, designs);
    MainWindow window;
    ScriptedUi ui(window);
    StillPlatform platform;
    MainController controller(window, state, ui, platform);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    ui.file = sample;
    m1a_Click(state, ui);
    ASSERT_EQ(ui.text(Ctl::lblDBName), sample);
    EXPECT_EQ(ui.items(Ctl::cboForms).size(), 5);
    EXPECT_EQ(ui.items(Ctl::cboReports).size(), 3);

    auto click = [&](Ctl control) { QTest::mouseClick(window.control(control), Qt::LeftButton); };
    click(Ctl::cmdKaiseki);
    ui.setValue(OptMode(0), 1);
    click(Ctl::cmdFormC); // the table picker shows: refused
    EXPECT_EQ(ui.messages, QStringList{QStringLiteral("Formを選択して下さい")});

    click(OptMode(2));
    qobject_cast<QComboBox *>(window.control(Ctl::cboForms))
        ->setCurrentText(QStringLiteral("受注入力"));
    click(Ctl::cmdFormC);
    EXPECT_EQ(ui.messages.size(), 1) << ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(output.shown, QStringList{QStringLiteral("R_Form")});
    EXPECT_GT(rowsOf(state.storePath, QStringLiteral("T_FormItem")), 30);
    EXPECT_TRUE(ui.isEnabled(optPrint(3)));
    click(optPrint(3));
    EXPECT_EQ(output.shown.size(), 2);

    click(OptMode(3));
    qobject_cast<QComboBox *>(window.control(Ctl::cboReports))
        ->setCurrentText(QStringLiteral("請求書"));
    click(Ctl::cmdReportC);
    EXPECT_EQ(ui.messages.size(), 1) << ui.messages.join(u'\n').toStdString();
    EXPECT_EQ(output.shown.last(), QStringLiteral("R_Report"));
    EXPECT_EQ(rowsOf(state.storePath, QStringLiteral("T_ReportGroup")), 2);
    EXPECT_TRUE(ui.windowEnabled());
}
