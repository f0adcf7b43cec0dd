// The form and report control listings over designs built in code: the
// guards and second press, the summary rows with their event slots, the
// rows of each control type, the event ranges on both sides of their
// thresholds, the control counter shared by both listings, the group-level
// walk, and the failures that end a run through its trap.

#include "designfixture.h"
#include "harvest/controlrows.h"
#include "harvest/formcontrols.h"
#include "harvest/reportcontrols.h"
#include "host/command/command.h"
#include "listingharness.h"

#include <gtest/gtest.h>

namespace {

QString col(const QVariantMap &row, const char *name)
{
    return row.value(QString::fromLatin1(name)).toString();
}

// "ControlNo/PropertyNo Name ControlType | Bunrui | PropertyName | PropertyValue"
QStringList itemLines(ListingHarness &h, const QString &table)
{
    QStringList lines;
    for (const QVariantMap &r : h.rows(table))
        lines << col(r, "ControlNo") + QLatin1Char('/') + col(r, "PropertyNo") + QLatin1Char(' ') +
                     col(r, "Name") + QLatin1Char(' ') + col(r, "ControlType") + QLatin1Char('|') +
                     col(r, "Bunrui") + QLatin1Char('|') + col(r, "PropertyName") +
                     QLatin1Char('|') + col(r, "PropertyValue");
    return lines;
}

// A control with every property the form rows of its kind read, defaults
// that write rows: unlocked, a tab stop, no tip.
DesignedControl dataControl(const QString &name, int type)
{
    DesignedControl c(name, type, 15, 567, 2835, 283);
    c.set(QStringLiteral("ControlSource"), name)
        .set(QStringLiteral("Format"), QString())
        .set(QStringLiteral("InputMask"), QString())
        .set(QStringLiteral("IMEMode"), Value::integer(0))
        .set(QStringLiteral("IMEHold"), Value::boolean(false))
        .set(QStringLiteral("DefaultValue"), QString())
        .set(QStringLiteral("Locked"), Value::boolean(false))
        .set(QStringLiteral("ValidationRule"), QString())
        .set(QStringLiteral("ValidationText"), QString())
        .set(QStringLiteral("TabStop"), Value::boolean(true))
        .set(QStringLiteral("TabIndex"), Value::integer(0))
        .set(QStringLiteral("ControlTipText"), QString())
        .set(QStringLiteral("RowSourceType"), QStringLiteral("Table/Query"))
        .set(QStringLiteral("RowSource"), QString())
        .set(QStringLiteral("ColumnCount"), Value::integer(1))
        .set(QStringLiteral("BoundColumn"), Value::integer(1));
    return c;
}

DesignedControl label(const QString &name, const Value &caption)
{
    return DesignedControl(name, 100).set(QStringLiteral("Caption"), caption);
}

struct ControlHarness : ListingHarness
{
    std::shared_ptr<FixtureDesigns> designs = std::make_shared<FixtureDesigns>();

    ControlHarness()
    {
        state.designOpener = [this](const QString &) { return designs; };
    }
    void addForm(const DesignedObject &form)
    {
        designs->forms.insert(form.object().name, form.object());
        fixture.document(QStringLiteral("Forms"), form.object().name,
                         QStringLiteral("説明: ") + form.object().name);
    }
    void addReport(const DesignedObject &report)
    {
        designs->reports.insert(report.object().name, report.object());
        fixture.document(QStringLiteral("Reports"), report.object().name);
    }
    void harvestForm(const QString &name)
    {
        ui.setValue(OptMode(2), 1);
        ui.setText(Ctl::cboForms, name);
        cmdFormC_Click(state, ui);
    }
    void harvestReport(const QString &name)
    {
        ui.setValue(OptMode(3), 1);
        ui.setText(Ctl::cboReports, name);
        cmdReportC_Click(state, ui);
    }
};

} // namespace

TEST(ControlRows, PositionAndSizeInCentimetres)
{
    EXPECT_DOUBLE_EQ(centimetres(15), 0.027); // 0.026455.. to 0.0265, then 0.027
    EXPECT_DOUBLE_EQ(centimetres(1000), 1.764);
    EXPECT_DOUBLE_EQ(centimetres(-567), -1);
    EXPECT_DOUBLE_EQ(centimetres(0), 0);
    ControlItemBuffer buffer;
    const Control c = DesignedControl(QStringLiteral("x"), 109, 1000, 567, 2835, 283).control();
    EXPECT_EQ(tlwhText(buffer, c, false), QStringLiteral("1.764cm・1cm・5cm・0.499cm"));
    EXPECT_EQ(tlwhText(buffer, c, true), QStringLiteral("1.764cm・1cm"));
    EXPECT_DOUBLE_EQ(buffer.width, 5);
}

TEST(FormControls, GuardSecondPressAndSummaryRow)
{
    ControlHarness h;
    DesignedObject form = designedForm(QStringLiteral("受注入力"));
    // Five events in the form's range: the first four fill the slots.
    form.place(76, QStringLiteral("OnCurrent"), QStringLiteral("[Event Procedure]"))
        .place(80, QStringLiteral("OnDelete"), QString())
        .place(85, QStringLiteral("OnOpen"), QStringLiteral("=Start()"))
        .place(86, QStringLiteral("OnLoad"), QStringLiteral("[Event Procedure]"))
        .place(90, QStringLiteral("OnClose"), QStringLiteral("Macro1"))
        .place(102, QStringLiteral("OnTimer"), QStringLiteral("[Event Procedure]"))
        .place(103, QStringLiteral("OnError"), QStringLiteral("beyond the range"));
    h.addForm(form);
    h.addForm(designedForm(QStringLiteral("空")));
    h.open();

    h.ui.setValue(OptMode(0), 1);
    h.ui.setText(Ctl::cboForms, QStringLiteral("受注入力"));
    cmdFormC_Click(h.state, h.ui);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.firstMessage(), QStringLiteral("Formを選択して下さい"));
    EXPECT_TRUE(h.output.shown.isEmpty());
    h.ui.messages.clear();

    h.harvestForm(QStringLiteral("受注入力"));
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();
    EXPECT_EQ(h.output.shown, QStringList{QStringLiteral("R_Form")});
    const auto infos = h.rows(QStringLiteral("T_FormInfo"));
    ASSERT_EQ(infos.size(), 1);
    EXPECT_EQ(col(infos[0], "objectNo"), QStringLiteral("1"));
    EXPECT_EQ(col(infos[0], "RecordSource"), QStringLiteral("受注"));
    EXPECT_EQ(col(infos[0], "FormName"), QStringLiteral("受注入力"));
    EXPECT_EQ(col(infos[0], "Description"), QStringLiteral("説明: 受注入力"));
    QStringList eventSlots;
    for (int k = 1; k <= 4; ++k)
        eventSlots << infos[0].value(QStringLiteral("Ibent%1").arg(k)).toString() + '=' +
                          infos[0].value(QStringLiteral("IbentVL%1").arg(k)).toString();
    EXPECT_EQ(eventSlots, (QStringList{"ﾚｺｰﾄﾞ移動時=[Event Procedure]", "開く時==Start()",
                                       "読込時=[Event Procedure]", "閉じる時=Macro1"}));
    EXPECT_TRUE(h.rows(QStringLiteral("T_FormItem")).isEmpty()); // no controls
    EXPECT_TRUE(h.ui.isEnabled(optPrint(3)));
    EXPECT_TRUE(h.state.target->openObjects().isEmpty()) << "closed after the harvest";

    // The same form again only shows the report; another form harvests.
    const int readsBefore = h.fixture.reads();
    h.harvestForm(QStringLiteral("受注入力"));
    EXPECT_EQ(h.output.shown.size(), 2);
    EXPECT_EQ(h.fixture.reads(), readsBefore);
    h.harvestForm(QStringLiteral("空"));
    EXPECT_EQ(col(h.rows(QStringLiteral("T_FormInfo")).at(0), "FormName"), QStringLiteral("空"));
}

TEST(FormControls, RowsOfEachControlType)
{
    ControlHarness h;
    DesignedObject form = designedForm(QStringLiteral("F"));
    form.add(label(QStringLiteral("lblEmpty"), QString()));
    // A text box above its threshold (count 80: events 63..77), one at it
    // (count 75: events 60..74).
    form.add(dataControl(QStringLiteral("txtAbove"), 109)
                 .set(QStringLiteral("Format"), QStringLiteral("yyyy/mm/dd"))
                 .set(QStringLiteral("IMEMode"), Value::integer(1))
                 .place(62, QStringLiteral("NotAnEvent"), QStringLiteral("x"))
                 .place(63, QStringLiteral("BeforeUpdate"), QStringLiteral("[Event Procedure]"))
                 .place(77, QStringLiteral("OnKeyPress"), QStringLiteral("=Key()"))
                 .padTo(80));
    form.add(dataControl(QStringLiteral("txtBelow"), 109)
                 .set(QStringLiteral("Locked"), Value::boolean(true))
                 .set(QStringLiteral("TabStop"), Value::boolean(false))
                 .place(60, QStringLiteral("OnClick"), QStringLiteral("[Event Procedure]"))
                 .padTo(75));
    form.add(DesignedControl(QStringLiteral("subLocked"), 112)
                 .set(QStringLiteral("SourceObject"), QStringLiteral("Form.明細"))
                 .set(QStringLiteral("LinkChildFields"), QString())
                 .set(QStringLiteral("LinkMasterFields"), QStringLiteral("受注ID"))
                 .set(QStringLiteral("Locked"), Value::boolean(true))
                 .set(QStringLiteral("TabStop"), Value::boolean(true))
                 .set(QStringLiteral("TabIndex"), Value::integer(3)));
    form.add(dataControl(QStringLiteral("cboEmpty"), 111).padTo(79));
    form.add(DesignedControl(QStringLiteral("pgBreak"), 118, 1000, 567));
    form.add(DesignedControl(QStringLiteral("optMember"), 105)
                 .insert(3, QStringLiteral("OptionValue"), QStringLiteral("2"))
                 .set(QStringLiteral("Locked"), Value::boolean(false))
                 .set(QStringLiteral("ControlTipText"), QStringLiteral("二番"))
                 .place(31, QStringLiteral("OnClick"), QStringLiteral("[Event Procedure]"))
                 .padTo(45));
    form.add(DesignedControl(QStringLiteral("unknown"), 250));
    form.add(DesignedControl(QStringLiteral("tab"), 123)
                 .set(QStringLiteral("TabStop"), Value::boolean(false))
                 .set(QStringLiteral("TabIndex"), Value::integer(5)));
    h.addForm(form);
    h.open();
    h.harvestForm(QStringLiteral("F"));
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();

    const QStringList lines = itemLines(h, QStringLiteral("T_FormItem"));
    const QStringList expected{
        "1/1 lblEmpty Label|書式|標題|",
        "2/1 txtAbove TextBox|ﾃﾞｰﾀ|ｺﾝﾄﾛｰﾙｿｰｽ|txtAbove",
        "2/2 txtAbove TextBox|書式|書式・定型入力|yyyy/mm/dd・",
        "2/3 txtAbove TextBox|その他|IMEﾓｰﾄﾞ・保持|オン・いいえ",
        "2/4 txtAbove TextBox|ﾃﾞｰﾀ|規定値・編集ﾛｯｸ|・いいえ",
        "2/5 txtAbove TextBox|その他|ﾀﾌﾞｽﾄｯﾌﾟ・移動順|はい・0",
        "2/6 txtAbove TextBox|ｲﾍﾞﾝﾄ|更新前処理|[Event Procedure]",
        "2/7 txtAbove TextBox|ｲﾍﾞﾝﾄ|ｷｰ入力時|=Key()",
        "3/1 txtBelow TextBox|ﾃﾞｰﾀ|ｺﾝﾄﾛｰﾙｿｰｽ|txtBelow",
        "3/2 txtBelow TextBox|その他|IMEﾓｰﾄﾞ・保持|ｺﾝﾄﾛｰﾙなし・いいえ",
        "3/3 txtBelow TextBox|ｲﾍﾞﾝﾄ|ｸﾘｯｸ時|[Event Procedure]",
        "4/1 subLocked Subform|ﾃﾞｰﾀ|ｿｰｽｵﾌﾞｼﾞｪｸﾄ|Form.明細",
        "4/2 subLocked Subform|ﾃﾞｰﾀ|ﾘﾝｸ親ﾌｨｰﾙﾄﾞ|受注ID",
        "4/3 subLocked Subform|その他|ﾀﾌﾞｽﾄｯﾌﾟ・移動順|はい・3",
        "5/1 cboEmpty ComboBox|ﾃﾞｰﾀ|ｺﾝﾄﾛｰﾙｿｰｽ|cboEmpty",
        "5/2 cboEmpty ComboBox|その他|IMEﾓｰﾄﾞ・保持|ｺﾝﾄﾛｰﾙなし・いいえ",
        "5/3 cboEmpty ComboBox|ﾃﾞｰﾀ|規定値・編集ﾛｯｸ|・いいえ",
        "5/4 cboEmpty ComboBox|その他|ﾀﾌﾞｽﾄｯﾌﾟ・移動順|はい・0",
        "6/1 pgBreak PageBreak|||",
        "7/1 optMember OptionButton|ﾃﾞｰﾀ|ｵﾌﾟｼｮﾝ値・編集ﾛｯｸ|2・いいえ",
        "7/2 optMember OptionButton|その他|ﾋﾝﾄﾃｷｽﾄ|二番",
        "9/1 tab TabCtl|その他|ﾀﾌﾞｽﾄｯﾌﾟ・移動順|いいえ・5",
    };
    EXPECT_EQ(lines, expected);
    const auto items = h.rows(QStringLiteral("T_FormItem"));
    for (const QVariantMap &item : items) {
        if (col(item, "Name") == QLatin1String("pgBreak")) {
            EXPECT_EQ(col(item, "TLWH"), QStringLiteral("1.764cm・1cm"));
        } else if (col(item, "Name") == QLatin1String("txtAbove")) {
            EXPECT_EQ(col(item, "TLWH"), QStringLiteral("0.027cm・1cm・5cm・0.499cm"));
        }
    }
}

TEST(ReportControls, RowsGroupLevelsAndNumberingAfterAForm)
{
    ControlHarness h;
    DesignedObject form = designedForm(QStringLiteral("F"));
    for (int i = 0; i < 10; ++i)
        form.add(label(QStringLiteral("lbl%1").arg(i), QStringLiteral("見出し")));
    h.addForm(form);

    DesignedObject report = designedReport(QStringLiteral("請求書"));
    report.place(41, QStringLiteral("OnOpen"), QStringLiteral("[Event Procedure]"))
        .place(45, QStringLiteral("OnNoData"), QStringLiteral("=NoData()"));
    report.add(dataControl(QStringLiteral("txt"), 109)
                   .set(QStringLiteral("Format"), QStringLiteral("#,##0"))
                   .place(63, QStringLiteral("OnClick"), QStringLiteral("never read")));
    report.add(dataControl(QStringLiteral("cbo"), 111)
                   .set(QStringLiteral("RowSource"), QStringLiteral("SELECT 1;")));
    for (const auto &[name, type] : {std::pair{"tabs", 123}, {"brk", 118}, {"ocx", 119}})
        report.add(DesignedControl(QString::fromLatin1(name), type));
    report.add(DesignedControl(QStringLiteral("chkMember"), 106)
                   .insert(3, QStringLiteral("OptionValue"), QStringLiteral("1"))
                   .set(QStringLiteral("Locked"), Value::boolean(false)));
    for (const char *source : {"得意先ID", "=Year([日付])", "金額"})
        report.groupLevel(QString::fromUtf8(source), source[0] == '=');
    h.addReport(report);

    DesignedObject tenLevels = designedReport(QStringLiteral("十段"));
    for (int k = 0; k < 10; ++k)
        tenLevels.groupLevel(QStringLiteral("F%1").arg(k));
    h.addReport(tenLevels);
    h.addReport(designedReport(QStringLiteral("平ら")));
    h.open();

    h.harvestForm(QStringLiteral("F"));
    h.ui.setValue(OptMode(2), 1);
    cmdReportC_Click(h.state, h.ui);
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.firstMessage(), QStringLiteral("Reportを選択して下さい"));
    h.ui.messages.clear();

    h.harvestReport(QStringLiteral("請求書"));
    ASSERT_TRUE(h.ui.messages.isEmpty()) << h.firstMessage().toStdString();
    EXPECT_EQ(h.output.shown.last(), QStringLiteral("R_Report"));
    const auto info = h.rows(QStringLiteral("T_ReportInfo"));
    ASSERT_EQ(info.size(), 1);
    EXPECT_EQ(col(info[0], "ReportName"), QStringLiteral("請求書"));
    EXPECT_EQ(col(info[0], "Ibent1") + col(info[0], "IbentVL2"), QStringLiteral("開く時=NoData()"));
    EXPECT_EQ(itemLines(h, QStringLiteral("T_ReportItem")),
              (QStringList{
                  "11/1 txt TextBox|ﾃﾞｰﾀ|ｺﾝﾄﾛｰﾙｿｰｽ|txt",
                  "11/2 txt TextBox|書式|書式・定型入力|#,##0・",
                  "12/1 cbo ComboBox|ﾃﾞｰﾀ|ｺﾝﾄﾛｰﾙｿｰｽ|cbo",
                  "12/2 cbo ComboBox|ﾃﾞｰﾀ|値集合ﾀｲﾌﾟ|ﾃｰﾌﾞﾙ/ｸｴﾘｰ",
                  "12/3 cbo ComboBox|ﾃﾞｰﾀ|値集合ｿｰｽ|SELECT 1;",
                  "12/4 cbo ComboBox|ﾃﾞｰﾀ|列数・連結列|1・1",
                  "13/1 tabs TabCtl|||",
                  "14/1 brk PageBreak|||",
                  "15/1 ocx CustomControl|||",
                  "16/1 chkMember CheckBox|ﾃﾞｰﾀ|ｵﾌﾟｼｮﾝ値|1",
              }));
    QStringList levels;
    for (const QVariantMap &g : h.rows(QStringLiteral("T_ReportGroup")))
        levels << col(g, "GroupNo") + QLatin1Char(' ') + col(g, "ControlSource") +
                      QLatin1Char(' ') + col(g, "SortOrder");
    EXPECT_EQ(levels, (QStringList{"1 得意先ID False", "2 =Year([日付]) True", "3 金額 False"}));

    h.harvestReport(QStringLiteral("十段"));
    EXPECT_TRUE(h.ui.messages.isEmpty());
    EXPECT_EQ(h.rows(QStringLiteral("T_ReportGroup")).size(), 10);
    h.harvestReport(QStringLiteral("平ら"));
    EXPECT_TRUE(h.ui.messages.isEmpty());
    EXPECT_TRUE(h.rows(QStringLiteral("T_ReportGroup")).isEmpty());
    EXPECT_EQ(h.output.shown.last(), QStringLiteral("R_Report"));
    EXPECT_TRUE(h.ui.isEnabled(optPrint(4)));
}

TEST(ControlListings, FailuresEndInTheTrapAndLeaveTheDesignOpen)
{
    ControlHarness h;
    h.addForm(designedForm(QStringLiteral("Null caption"))
                  .add(label(QStringLiteral("lbl"), Value::null())));
    h.addForm(designedForm(QStringLiteral("Short"))
                  .add(dataControl(QStringLiteral("txt"), 109).padTo(70))); // its events end at 74
    h.fixture.document(QStringLiteral("Forms"), QStringLiteral("No design"));
    h.addReport(designedReport(QStringLiteral("R")).add(DesignedControl(QStringLiteral("t"), 109)));
    h.open();

    const struct
    {
        const char *form;
        int error;
    } cases[] = {{"Null caption", 94}, {"Short", 2455}, {"No design", 31001}, {"", 2102}};
    for (const auto &c : cases) {
        h.ui.messages.clear();
        h.harvestForm(QString::fromUtf8(c.form));
        ASSERT_EQ(h.ui.messages.size(), 1) << c.form;
        EXPECT_EQ(h.firstMessage(), standardErrorText(QStringLiteral("FormControl"), c.error))
            << c.form;
        EXPECT_NE(h.state.listingState(Listing::FormControls), ListingProduced);
        EXPECT_TRUE(h.ui.windowEnabled());
    }
    EXPECT_EQ(h.state.target->openObjects().size(), 3) << "the failed designs stay open";
    EXPECT_TRUE(h.output.shown.isEmpty());
    EXPECT_FALSE(h.ui.isEnabled(optPrint(3)));

    h.ui.messages.clear();
    h.harvestReport(QStringLiteral("R")); // a text box without ControlSource
    ASSERT_EQ(h.ui.messages.size(), 1);
    EXPECT_EQ(h.firstMessage(), standardErrorText(QStringLiteral("ReportControl"), 2455));
}
