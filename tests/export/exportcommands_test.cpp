// The Export panel's three commands over the recording Ui: the dialog's
// filter, the object and options they read, the host call's file, their
// messages, the kinds that write nothing, and the trap on every failure.

#include "export/exportcommands.h"
#include "export/exportrows.h"
#include "exporttestsupport.h"
#include "host/command/headlessui.h"
#include "host/objects/fixturesource.h"
#include "host/vb/errors.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Panel
{
    QTemporaryDir dir;
    FixtureSource fixture;
    OpeningView view;
    MainState state;
    HeadlessUi ui;

    Panel()
    {
        view.opens = false;
        fixture.add(FixtureTable(QStringLiteral("商品"))
                        .field(QStringLiteral("ID"), DaoType::Long)
                        .row({Value::longInt(7)}));
        fixture.add(
            FixtureQuery(QStringLiteral("一覧"), 0, QStringLiteral("SELECT ID FROM 商品;")));
        state.opener = fixture.opener();
        state.targetView = &view;
        state.exportServices.write = makeFileExporter();
        state.exportServices.runQuery = [](const Database &database, const QString &,
                                           const ParameterPrompt &) {
            return database.openRows(QStringLiteral("商品"));
        };
        state.newTargetInstance().OpenCurrentDatabase(QStringLiteral("x.mdb"));
        ui.setText(Ctl::cboTables, QStringLiteral("商品"));
        ui.setText(Ctl::cboQuerys, QStringLiteral("一覧"));
        ui.setText(Ctl::txtMesege, QStringLiteral("before"));
    }
    QString file(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    void choose(const QString &path) { ui.fileChoices = {path}; }
    QStringList messages() const
    {
        QStringList out;
        for (const ShownMessage &m : ui.messages)
            out << m.text + u'|' + m.title;
        return out;
    }
};

using Command = void (*)(MainState &, Ui &);

} // namespace

TEST(ExportCommands, EachWritesTheChosenObjectAndSaysSo)
{
    struct Case
    {
        Command command;
        QString filter, done;
        const char *magic;
    };
    const Case cases[] = {
        {cmdSaveRTF_Click,
         QStringLiteral("Word(*.doc)") + QChar(0) + QStringLiteral("*.doc") + QChar(0),
         QStringLiteral("Word File 保存完了"), "{\\rtf1"},
        {cmdSaveCSV_Click,
         QStringLiteral("Text(*.txt)") + QChar(0) + QStringLiteral("*.txt") + QChar(0),
         QStringLiteral("Text File 保存完了"), "7\r\n"},
        {cmdSaveExcel_Click,
         QStringLiteral("Excel(*.xls)") + QChar(0) + QStringLiteral("*.xls") + QChar(0),
         QStringLiteral("EXCEL File 保存完了"), "\xD0\xCF\x11\xE0"},
    };
    for (const Case &c : cases) {
        for (int kind : {-1, 0, 1}) { // -1: no kind selected counts as a table
            SCOPED_TRACE(c.done.toStdString() + " kind " + std::to_string(kind));
            Panel p;
            if (kind >= 0)
                p.ui.setValue(OptMode(kind), 1);
            const QString path = p.file("out"); // no extension: used as typed
            p.choose(path);
            c.command(p.state, p.ui);
            EXPECT_EQ(p.ui.dialogFilters, QStringList{c.filter});
            EXPECT_TRUE(p.messages().isEmpty()) << p.messages().join(u'\n').toStdString();
            EXPECT_EQ(p.ui.text(Ctl::txtMesege), c.done);
            EXPECT_TRUE(fileBytes(path).startsWith(c.magic));
            EXPECT_EQ(p.ui.mousePointer(), PointerDefault);
            EXPECT_TRUE(p.view.opened.isEmpty());
        }
    }
}

TEST(ExportCommands, OptionsReachTheHost)
{
    Panel p;
    p.ui.setValue(Ctl::chkUseField, 1);
    p.choose(p.file("names.txt"));
    cmdSaveCSV_Click(p.state, p.ui);
    EXPECT_EQ(fileBytes(p.file("names.txt")), QByteArray("\"ID\"\r\n7\r\n"));

    // AutoStart: the view is asked; when it cannot open the file the status line says so.
    p.ui.setValue(Ctl::chkWord, 1);
    p.choose(p.file("a.doc"));
    cmdSaveRTF_Click(p.state, p.ui);
    p.ui.setValue(Ctl::chkExcel, 1);
    p.choose(p.file("a.xls"));
    cmdSaveExcel_Click(p.state, p.ui);
    EXPECT_EQ(p.view.opened, (QStringList{p.file("a.doc"), p.file("a.xls")}));
    ASSERT_EQ(p.ui.warnings.size(), 2);
    EXPECT_TRUE(p.ui.warnings[1].contains(p.file("a.xls")));
    EXPECT_EQ(
        p.ui.statusHistory.mid(p.ui.statusHistory.size() - 2),
        (QStringList{QStringLiteral("Word File 保存完了"), QStringLiteral("EXCEL File 保存完了")}));
}

TEST(ExportCommands, FormReportAndModuleKindsAskForTheFileThenWriteNothing)
{
    for (Command command : {cmdSaveRTF_Click, cmdSaveCSV_Click, cmdSaveExcel_Click}) {
        for (int kind : {2, 3, 4}) {
            Panel p;
            p.ui.setValue(OptMode(kind), 1);
            p.ui.setValue(OptMode(4), 1); // the lowest selected one counts
            p.choose(p.file("out.doc"));
            command(p.state, p.ui);
            EXPECT_EQ(p.ui.dialogFilters.size(), 1);
            EXPECT_EQ(p.ui.statusHistory.last(), QStringLiteral("Form､Reportは選択出来ません"));
            EXPECT_TRUE(p.messages().isEmpty());
            EXPECT_TRUE(folderEntries(p.dir.path()).isEmpty());
        }
    }
}

TEST(ExportCommands, HostErrorsEndInTheTrapWithTheCommandsPlace)
{
    struct Case
    {
        Command command;
        QString place;
    };
    const Case cases[] = {{cmdSaveRTF_Click, QStringLiteral("RTFSave")},
                          {cmdSaveCSV_Click, QStringLiteral("CSVSave")},
                          {cmdSaveExcel_Click, QStringLiteral("ExcelSave")}};
    const auto expected = [](const QString &place, Err number) {
        return QStringLiteral("場所:") + place + QStringLiteral("ｴﾗｰNo:") +
               QString::number(int(number)) + QChar(13) +
               QStringLiteral("場所とｴﾗｰNoを控えメールをお願いします。|Quillmark 0.31");
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.place.toStdString());
        const bool transfer = c.place == u"CSVSave";
        // A cancelled dialog: the empty name reaches the host.
        {
            Panel p;
            p.ui.setWindowEnabled(false);
            p.choose(QString());
            c.command(p.state, p.ui);
            EXPECT_EQ(
                p.messages(),
                QStringList{expected(c.place, transfer ? Err::InvalidPath : Err::ActionCancelled)});
            EXPECT_EQ(p.ui.text(Ctl::txtMesege), QStringLiteral("before"));
            EXPECT_TRUE(p.ui.windowEnabled());
            EXPECT_EQ(p.ui.mousePointer(), PointerDefault);
        }
        // An object that is not there, and a folder that is not there.
        {
            Panel p;
            p.ui.setText(Ctl::cboTables, QStringLiteral("無い"));
            p.choose(p.file("x"));
            c.command(p.state, p.ui);
            p.ui.setText(Ctl::cboTables, QStringLiteral("商品"));
            p.choose(p.file("none/x"));
            c.command(p.state, p.ui);
            EXPECT_EQ(p.messages(), (QStringList{expected(c.place, Err::ObjectNotFound),
                                                 expected(c.place, Err::InvalidPath)}));
            EXPECT_TRUE(folderEntries(p.dir.path()).isEmpty());
        }
        // No target selected yet, and a target instance without its database.
        {
            Panel p;
            p.state.target.reset();
            p.choose(p.file("x"));
            c.command(p.state, p.ui);
            p.state.newTargetInstance();
            p.choose(p.file("x"));
            c.command(p.state, p.ui);
            EXPECT_EQ(p.messages(), (QStringList{expected(c.place, Err::ObjectNotSet),
                                                 expected(c.place, Err::ActionNotNow)}));
        }
    }
}
