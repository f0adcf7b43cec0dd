// The module list and the source listings over modules given in code:
// header fields, Dim/Call/Const/Global rows, numbering, the shared
// procedure counter, traps.

#include "host/command/command.h"
#include "host/command/headlessui.h"
#include "host/command/listings.h"
#include "host/objects/fixturesource.h"
#include "host/reports/reportoutput.h"
#include "host/reports/storereports.h"
#include "host/vb/errors.h"
#include "modules/modulescan.h"
#include "support/testsupport.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class CountingOutput : public ReportOutput
{
public:
    QStringList shown;
    void show(const QString &name, const StoreReport &, QSqlDatabase &) override { shown << name; }
};

using Kind = ModuleText::Kind;

struct Harness
{
    QTemporaryDir dir;
    FixtureSource fixture;
    std::shared_ptr<FixtureModules> modules = std::make_shared<FixtureModules>();
    MainState state;
    HeadlessUi ui;
    CountingOutput output;

    Harness()
    {
        state.storePath = dir.filePath(QStringLiteral("Analize.mdb"));
        state.reportOutput = &output;
        state.opener = fixture.opener();
        state.moduleScan.opener = [this](const QString &) { return modules; };
        registerStoreReports();
        state.targetPath = writeFile(dir, QStringLiteral("target.mdb"), QByteArray(16, 'x'));
    }
    void module(const QString &name, Kind kind, const QString &source)
    {
        const char *container =
            kind == Kind::Document ? (name.startsWith(u"Form_") ? "Forms" : "Reports") : "Modules";
        QString docName = name;
        if (kind == Kind::Document)
            docName = name.mid(name.indexOf(u'_') + 1);
        fixture.document(QString::fromLatin1(container), docName);
        modules->add(name, kind, source);
    }
    void open() { state.newTargetInstance().OpenCurrentDatabase(state.targetPath); }

    // Rows as "a|b|c" with Null shown as "~".
    QStringList rows(const QString &sql)
    {
        state.commitStore();
        QStringList result;
        auto store = Store::open(state.storePath);
        QSqlQuery q(store->connection());
        EXPECT_TRUE(q.exec(sql));
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < q.record().count(); ++i)
                cells << (q.value(i).isNull() ? QStringLiteral("~") : q.value(i).toString());
            result << cells.join(u'|');
        }
        return result;
    }
    QString lastMessage() const
    {
        return ui.messages.isEmpty() ? QString() : ui.messages.last().text;
    }
};

const char *procColumns = "SELECT objectNo, ProcedureNo, \"Object\", objectName, ProcedureName, "
                          "PrivatePublic, \"Type\", Parameters, \"As\", \"Line\" FROM T_ProcName "
                          "ORDER BY rowid";
const char *dimColumns = "SELECT objectNo, ProcedureNo, DimCall, Bunrui, \"Type\", \"As\", "
                         "Parameters FROM T_DimCall ORDER BY rowid";
const char *acColumns = "SELECT \"Label\", objectNo, ProcedureNo, \"Line\", \"Procedure\" FROM "
                        "T_AcProc ORDER BY rowid";

} // namespace

TEST(ModuleList, HeaderTextsGiveTheDesignedFields)
{
    Harness h;
    h.module(QStringLiteral("Headers"), Kind::Standard,
             QStringLiteral(
                 "Option Explicit\r\n"
                 "Private Sub Form_Load()\r\nEnd Sub\r\n"
                 "Public Function Total(ByVal a As Long) As Currency\r\nEnd Function\r\n"
                 "Public Function F2(a As Long, _\r\n    b As Long) As Long\r\nEnd Function\r\n"
                 "Function F() As Long\r\nEnd Function\r\n"
                 "Public Function Pub()\r\nEnd Function\r\n"
                 "Sub Clear() ' As before\r\nEnd Sub\r\n"
                 "Sub Run(x) ' (see note)\r\nEnd Sub\r\n"
                 "Sub Fill(a() As Long)\r\nEnd Sub\r\n"
                 "Property Get Name() As String\r\nEnd Property\r\n"));
    h.open();
    cmdModuleL_Click(h.state, h.ui);
    ASSERT_EQ(h.lastMessage(), QString());
    const QString m = QStringLiteral("1|%1|Module(Standard)|Headers|");
    EXPECT_EQ(
        h.rows(QString::fromLatin1(procColumns)),
        (QStringList{m.arg(0) + "(Declarations)|-1|~|~|~|1", m.arg(1) + "Form_Load|-1|Sub|~|~|2",
                     m.arg(2) + "Total|0|Function|ByVal a As Long|Currency|2",
                     m.arg(3) + "F2|0|Function|a As Long, _b As Long|Long|3",
                     m.arg(4) + "F|0|Sub|~|Long|2", m.arg(5) + "Pub|0|Sub|~|~|2",
                     m.arg(6) + "Clear|0|Sub|~|before|2", m.arg(7) + "Run|0|Sub|x) ' (see note|~|2",
                     m.arg(8) + "Fill|0|Sub|a() As Long|~|2",
                     m.arg(9) + "Name|0|Property Get|~|String|2"}));
    EXPECT_EQ(h.output.shown, QStringList{QStringLiteral("R_Module")});
    EXPECT_EQ(h.state.listingState(Listing::ModuleList), 1);
    EXPECT_TRUE(h.ui.isEnabled(optPrint(5)));
}

TEST(ModuleList, DimCallLinesGiveTheDesignedRows)
{
    Harness h;
    Recordset &rs = *openListingTables(h.state, {QStringLiteral("T_DimCall")})[0];
    const QStringList lines{
        "Dim i As Integer",
        "Dim i As Integer, s As String ' counters",
        "Call DoThis(1, 2)",
        "Const MAX = 10 ' limit",
        "ReDim a(5)",
        "' Dim x As Long",
        "If a Then Call Go ' run",
        "Call Setup ' Dim later",
        "xy = 12 ' global flag",
        "Global g As Long",
        "Dim s ' " + QString(300, u'c') + "  ",
    };
    for (const QString &line : lines)
        DCCGWrite(line, 3, 7, rs);
    QStringList expected{
        "3|7|1|変数|Dim|~|i As Integer",
        "3|7|1|変数|Dim| counters|i As Integer, s As String",
        "3|7|2|呼出|Call|~|DoThis(1, 2)",
        "3|7|2|定数|Const| limit|MAX = 10",
        "3|7|1|変数|Dim|~|a(5)",
        "3|7|1|変数|Dim|~|x As Long",
        "3|7|2|呼出|Call| run|Go ' run",
        "3|7|1|変数|Dim| Dim later|later",
        "3|7|2|変数|Global| global flag|f",
        "3|7|2|変数|Global|~|g As Long",
        "3|7|1|変数|Dim| " + QString(254, u'c') + "|s",
    };
    EXPECT_EQ(h.rows(QString::fromLatin1(dimColumns)), expected);

    // The keyword inside a comment at position 6 or 7: the cut fails and the
    // row being built is not stored.
    for (const char *line : {"x = 1 ' global flag", "a = 1' const x", "b =  ' CONST y"}) {
        SCOPED_TRACE(line);
        try {
            DCCGWrite(QString::fromLatin1(line), 1, 1, rs);
            ADD_FAILURE() << "no error";
        } catch (const HostError &e) {
            EXPECT_EQ(e.code(), 5);
        }
    }
    EXPECT_EQ(h.rows(QString::fromLatin1(dimColumns)).size(), lines.size());
}

TEST(ModuleList, NumbersObjectsAndProceduresAcrossKinds)
{
    Harness h;
    h.module(
        QStringLiteral("Std"), Kind::Standard,
        QStringLiteral(
            "Attribute VB_Name = \"Std\"\r\nOption Explicit\r\nDim top As Long\r\n"
            "Global g As Long\r\n\r\n' says hi\r\nSub Hi()\r\n    Dim a As Long\r\n"
            "    msg = \"call me\" ' dim\r\n    ReDim b(2)\r\n    x = y ' Dim\r\nEnd Sub\r\n"));
    h.module(QStringLiteral("Cls"), Kind::Class,
             QStringLiteral("Property Get V() As Long\r\n    Call Refresh\r\nEnd Property\r\n"
                            "Property Let V(n As Long)\r\n    Const K = 1\r\nEnd Property\r\n"));
    h.fixture.document(QStringLiteral("Forms"), QStringLiteral("NoCode"));
    h.module(
        QStringLiteral("Form_Main"), Kind::Document,
        QStringLiteral("Option Compare Database\r\nPrivate Sub Form_Open(Cancel As Integer)\r\n"
                       "End Sub\r\n"));
    h.module(QStringLiteral("Report_Sales"), Kind::Document, QString());
    h.module(QStringLiteral("Empty"), Kind::Standard, QStringLiteral("Option Explicit\r\n"));
    h.open();

    cmdModuleL_Click(h.state, h.ui);
    ASSERT_EQ(h.lastMessage(), QString());
    EXPECT_EQ(
        h.rows(QStringLiteral("SELECT objectNo, ProcedureNo, \"Object\", objectName, "
                              "ProcedureName, \"Type\", \"Line\" FROM T_ProcName ORDER BY rowid")),
        (QStringList{
            "1|0|Module(Standard)|Std|(Declarations)|~|3",
            "1|1|Module(Standard)|Std|Hi|Sub|8", // blank and comment above it included
            // D = 0: no declarations row and the counter goes on.
            "2|2|Module(Class)|Cls|V|Property Get|3",
            "2|3|Module(Class)|Cls|V|Property Let|3",
            "3|0|Module(Standard)|Empty|(Declarations)|~|1",
            // The form without module takes no number; the empty report
            // module writes nothing but is counted.
            "4|0|Form|Main|(Declarations)|~|1",
            "4|1|Form|Main|Form_Open|Sub|2",
        }));
    // Only procedure lines are scanned; "DIM " needs its space.
    EXPECT_EQ(h.rows(QString::fromLatin1(dimColumns)),
              (QStringList{"1|1|1|変数|Dim|~|a As Long", "1|1|2|呼出|Call| dim|me\" ' dim",
                           "1|1|1|変数|Dim|~|b(2)", "2|2|2|呼出|Call|~|Refresh",
                           "2|3|2|定数|Const|~|K = 1"}));
    EXPECT_TRUE(h.ui.statusHistory.contains(QStringLiteral("ﾚﾎﾟｰﾄﾓｼﾞｭｰﾙ情報　取得中")));
    EXPECT_EQ(h.state.objectCounter, 5);

    // The second press only previews again.
    h.modules->list.clear();
    cmdModuleL_Click(h.state, h.ui);
    EXPECT_EQ(h.output.shown.size(), 2);
    EXPECT_EQ(h.rows(QStringLiteral("SELECT * FROM T_ProcName")).size(), 7);
}

TEST(ModuleList, FailuresEndThroughTheTrap)
{
    struct Case
    {
        const char *name;
        QString source;
        int rowsKept;
        const char *number;
    };
    const Case cases[] = {
        {"header without closing parenthesis",
         "Dim a\r\nSub A()\r\nEnd Sub\r\nSub B(x _\r\n\r\nEnd Sub", 2, "5"},
        {"keyword inside a comment", "Sub A()\r\nx = 1 ' global flag\r\nEnd Sub", 1, "5"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        h.module(QStringLiteral("M"), Kind::Standard, c.source);
        h.open();
        cmdModuleL_Click(h.state, h.ui);
        EXPECT_EQ(h.lastMessage(), standardErrorText(QStringLiteral("ModuleList"),
                                                     QString::fromLatin1(c.number).toInt()));
        EXPECT_EQ(h.rows(QStringLiteral("SELECT * FROM T_ProcName")).size(), c.rowsKept);
        EXPECT_EQ(h.state.listingState(Listing::ModuleList), 0);
        EXPECT_TRUE(h.output.shown.isEmpty());
    }

    // A module of the container missing from the project, an unreadable one,
    // and no reader at all: 31001.
    Harness missing;
    missing.fixture.document(QStringLiteral("Modules"), QStringLiteral("Ghost"));
    missing.open();
    cmdModM_Click(missing.state, missing.ui);
    EXPECT_EQ(missing.lastMessage(), standardErrorText(QStringLiteral("ModuleSource"), 31001));

    Harness broken;
    broken.module(QStringLiteral("M"), Kind::Standard, QString());
    broken.modules->list[0].error = QStringLiteral("damaged");
    broken.open();
    cmdModuleL_Click(broken.state, broken.ui);
    EXPECT_EQ(broken.lastMessage(), standardErrorText(QStringLiteral("ModuleList"), 31001));

    Harness unwired;
    unwired.state.moduleScan.opener = nullptr;
    unwired.open();
    cmdModR_Click(unwired.state, unwired.ui);
    EXPECT_EQ(unwired.lastMessage(), standardErrorText(QStringLiteral("ReportSource"), 31001));
}

TEST(SourceListing, ListsProcedureLinesUpToTheFirstEmptyLine)
{
    Harness h;
    h.module(
        QStringLiteral("Std"), Kind::Standard,
        QStringLiteral("Option Explicit\r\n' above A\r\nSub A()   \r\n    x = 1  \r\n\r\n"
                       "    y = 2\r\nEnd Sub\r\nSub B()\r\n   \r\n    z = \"%1\"\r\nEnd Sub\r\n")
            .arg(QString(300, u'z')));
    h.module(QStringLiteral("Decl"), Kind::Standard, QStringLiteral("Dim a\r\n"));
    h.module(QStringLiteral("Tail"), Kind::Standard, QStringLiteral("Sub T()\r\nEnd Sub\r\n"));
    h.module(QStringLiteral("Form_F"), Kind::Document,
             QStringLiteral("Sub Form_Load()\r\nEnd Sub"));
    h.open();
    h.state.moduleScan.procedureCounter = 40;

    cmdModM_Click(h.state, h.ui);
    ASSERT_EQ(h.lastMessage(), QString());
    const QString longLine = ("    z = \"" + QString(300, u'z')).left(255);
    EXPECT_EQ(h.rows(QString::fromLatin1(acColumns)),
              (QStringList{"3|1|41|1|Sub A()", "3|1|41|2|    x = 1", "3|1|42|3|Sub B()",
                           "3|1|42|4|", "3|1|42|5|" + longLine, "3|1|42|6|End Sub",
                           "3|3|43|1|Sub T()", "3|3|43|2|End Sub"}));
    EXPECT_EQ(h.state.listingState(Listing::Source), 3);
    EXPECT_TRUE(h.ui.isEnabled(optPrint(8)));
    EXPECT_EQ(h.output.shown, QStringList{QStringLiteral("R_ProcList")});

    // Form listing, twice: the same rows, numbers going on; no second-press shortcut.
    cmdModF_Click(h.state, h.ui);
    cmdModF_Click(h.state, h.ui);
    EXPECT_EQ(h.rows(QString::fromLatin1(acColumns)),
              (QStringList{"1|1|45|1|Sub Form_Load()", "1|1|45|2|End Sub"}));
    EXPECT_EQ(h.state.listingState(Listing::Source), 1);
    EXPECT_TRUE(h.ui.isEnabled(optPrint(6)));
    EXPECT_EQ(h.output.shown.size(), 3);
}
