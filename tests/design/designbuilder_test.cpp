// Forms and reports built from text exports: values in their places with
// Access's types, the defaults the export leaves out (the form's default
// blocks included), the Controls collection's order and option-group
// membership, group levels, the module flag, unknown keywords kept after
// the known ones, and 31001 for what does not fit. Then every real export:
// each builds, with as many controls as its sections have control blocks.

#include "host/design/designbuilder.h"
#include "host/design/exportparser.h"
#include "host/design/exporttext.h"
#include "host/design/propertyorder.h"
#include "host/vb/errors.h"
#include "support/testsupport.h"

#include <QDirIterator>
#include <QFile>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const char *const formExport = R"(Version =20
VersionRequired =20
Begin Form
    RecordSelectors = NotDefault
    Width =8640
    RecordSource ="受注"
    Caption ="Orders"
    OnOpen ="[Event Procedure]"
    FancyNewSetting =7
    Begin
        Begin TextBox
            FontName ="MS UI Gothic"
            Width =1701
        End
        Begin CheckBox
            LabelX =230
        End
        Begin FormHeader
            Height =600
            Name ="Header"
            Begin
                Begin Label
                    Width =2000
                    Name ="Title"
                    Caption ="Orders"
                End
            End
        End
        Begin Section
            Height =4000
            Name ="Detail"
            Begin
                Begin TextBox
                    Visible = NotDefault
                    Locked = NotDefault
                    OldBorderStyle =0
                    Left =1417
                    Top =567
                    TabIndex =2
                    ForeColor =-2147483630
                    Name ="OrderDate"
                    ControlSource ="OrderDate"
                    AfterUpdate ="[Event Procedure]"
                    IMESentenceMode =3
                    WhatIsThis ="kept"
                    Begin
                        Begin Label
                            Name ="OrderDate_Label"
                            Caption ="Date"
                        End
                    End
                End
                Begin OptionGroup
                    Name ="Carrier"
                    Begin
                        Begin Label
                            Name ="Carrier_Label"
                        End
                        Begin CheckBox
                            OptionValue =1
                            Name ="Fast"
                        End
                        Begin ToggleButton
                            OptionValue =2
                            Name ="Slow"
                        End
                    End
                End
                Begin CheckBox
                    Name ="Paid"
                    OnClickEmMacro = Begin
                        Version =196611
                        Begin
                            Action ="Beep"
                        End
                    End
                End
                Begin Tab
                    Name ="Pages"
                    Begin
                        Begin Page
                            Name ="First"
                            Begin
                                Begin ComboBox
                                    Name ="Customer"
                                    RowSourceType ="Value List"
                                End
                            End
                        End
                        Begin Page
                            Name ="Second"
                        End
                    End
                End
            End
        End
    End
End
CodeBehindForm
Attribute VB_GlobalNameSpace = False
Option Compare Database
)";

AccessObject buildText(const QString &text, const QString &name = QStringLiteral("Orders"))
{
    return buildDesign(parseExport(text, QStringLiteral("orders.txt")), name);
}

QString damageOf(const QString &text)
{
    try {
        buildText(text);
    } catch (const HostError &e) {
        EXPECT_EQ(e.number(), Err::DesignNotReadable);
        return e.description();
    }
    return QString();
}

int positionOf(const Properties &properties, QStringView name)
{
    for (int i = 0; i < properties.Count(); ++i) {
        if (properties.item(i).Name() == name)
            return i;
    }
    return -1;
}

// The number of control blocks inside the sections, by lines alone: every
// "Begin <control keyword>" after the first section begins.
int controlBlocksByLines(const QString &text)
{
    static const QSet<QString> controls{"Label",
                                        "Rectangle",
                                        "Line",
                                        "Image",
                                        "CommandButton",
                                        "OptionButton",
                                        "CheckBox",
                                        "OptionGroup",
                                        "BoundObjectFrame",
                                        "TextBox",
                                        "ListBox",
                                        "ComboBox",
                                        "Subform",
                                        "UnboundObjectFrame",
                                        "PageBreak",
                                        "CustomControl",
                                        "ToggleButton",
                                        "Tab",
                                        "Page",
                                        "Attachment",
                                        "EmptyCell",
                                        "WebBrowser",
                                        "NavigationControl",
                                        "NavigationButton",
                                        "Chart"};
    static const QSet<QString> sections{"FormHeader",  "PageHeader", "BreakHeader", "Section",
                                        "BreakFooter", "PageFooter", "FormFooter"};
    bool inSections = false;
    int count = 0;
    for (const QString &raw : exportLines(text)) {
        const QString line = raw.trimmed();
        if (line == QLatin1String("CodeBehindForm"))
            break;
        if (!line.startsWith(QLatin1String("Begin ")))
            continue;
        const QString keyword = line.mid(6).trimmed();
        if (sections.contains(keyword))
            inSections = true;
        else if (inSections && controls.contains(keyword))
            ++count;
    }
    return count;
}

} // namespace

TEST(DesignBuilder, PutsTheFileValuesIntoAccessOrder)
{
    const AccessObject form = buildText(QString::fromUtf8(formExport));
    EXPECT_EQ(form.name, QStringLiteral("Orders"));
    EXPECT_EQ(form.property(u"Name"), Value(QStringLiteral("Orders")));
    EXPECT_EQ(form.property(u"RecordSource"), Value(QStringLiteral("受注")));
    EXPECT_EQ(form.property(u"RecordSelectors"), Value::boolean(false)); // NotDefault of True
    EXPECT_EQ(form.property(u"AllowEdits"), Value::boolean(true));       // not written: default
    EXPECT_EQ(form.property(u"Width"), Value::integer(8640));
    EXPECT_EQ(form.property(u"Filter"), Value(QString()));
    EXPECT_TRUE(form.HasModule());
    EXPECT_EQ(form.property(u"HasModule"), Value::boolean(true));
    // The known properties keep their positions; the unknown one follows them.
    const int known = int(formPropertyOrder().size());
    ASSERT_EQ(form.Properties().Count(), known + 1);
    EXPECT_EQ(form.Properties().item(known).Name(), QStringLiteral("FancyNewSetting"));
    EXPECT_EQ(form.Properties().item(known).Value(), Value::longInt(7));
    EXPECT_EQ(positionOf(form.Properties(), u"OnOpen"),
              positionOf(form.Properties(), u"OnCurrent") + 6);
    EXPECT_EQ(form.Properties().item(positionOf(form.Properties(), u"OnOpen")).Value(),
              Value(QStringLiteral("[Event Procedure]")));

    // Controls: depth-first in file order, sections and default blocks left out.
    QStringList names;
    for (const Control &control : form.controls)
        names.append(control.Name());
    EXPECT_EQ(names,
              QStringList({"Title", "OrderDate", "OrderDate_Label", "Carrier", "Carrier_Label",
                           "Fast", "Slow", "Paid", "Pages", "First", "Customer", "Second"}));
    EXPECT_EQ(form.ControlCount(), controlBlocksByLines(QString::fromUtf8(formExport)));
    // Each control knows its section and what holds it.
    ASSERT_EQ(form.sections.size(), 2);
    EXPECT_EQ(form.sections[0].kind, "FormHeader");
    EXPECT_EQ(form.sections[1].kind, "Section");
    EXPECT_EQ(form.sections[1].properties.item(u"Height").Value(), Value::longInt(4000));
    EXPECT_FALSE(form.isReport);
    QList<int> sections, parents;
    for (const Control &control : form.controls) {
        sections << control.section;
        parents << control.parent;
    }
    EXPECT_EQ(sections, (QList<int>{0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(parents, (QList<int>{-1, -1, 1, -1, 3, 3, 3, -1, -1, 8, 9, 8}));

    const Control &date = form.Controls(1);
    EXPECT_EQ(date.property(u"ControlType"), Value::integer(ControlTypeCode::TextBox));
    EXPECT_EQ(date.property(u"Visible"), Value::boolean(false));
    EXPECT_EQ(date.property(u"Locked"), Value::boolean(true));
    EXPECT_EQ(date.property(u"TabStop"), Value::boolean(true));
    EXPECT_EQ(date.property(u"Left"), Value::integer(1417));
    // Neither the control nor the form's defaults give a height: Access's
    // built-in one line.
    EXPECT_EQ(date.property(u"Height"), Value::integer(240));
    EXPECT_EQ(date.property(u"ForeColor"), Value::longInt(-2147483630));
    EXPECT_EQ(date.property(u"IMESentenceMode"), Value::integer(3));
    // From the form's TextBox defaults where the control says nothing.
    EXPECT_EQ(date.property(u"Width"), Value::integer(1701));
    EXPECT_EQ(date.property(u"FontName"), Value(QStringLiteral("MS UI Gothic")));
    EXPECT_EQ(date.property(u"BorderStyle"), Value::integer(0));
    const PropertyOrder &textBox = *controlPropertyOrder(ControlTypeCode::TextBox);
    ASSERT_EQ(date.Properties().Count(), textBox.size() + 1);
    EXPECT_EQ(date.Properties().item(int(textBox.size())).Name(), QStringLiteral("WhatIsThis"));
    EXPECT_EQ(date.Properties().item(64).Name(), QStringLiteral("AfterUpdate"));
    EXPECT_EQ(date.Properties().item(64).Value(), Value(QStringLiteral("[Event Procedure]")));
    // The default block of one type does not reach another.
    EXPECT_EQ(form.Controls(2).property(u"FontName"), Value(QString()));
    EXPECT_EQ(form.Controls(2).property(u"Caption"), Value(QStringLiteral("Date")));

    // Option-group members have OptionValue where the harvest looks; a check
    // box outside the group has none.
    const Control &fast = form.Controls(5);
    EXPECT_EQ(fast.Properties().item(3).Name(), QStringLiteral("OptionValue"));
    EXPECT_EQ(fast.Properties().item(3).Value(), Value::longInt(1));
    EXPECT_EQ(fast.property(u"LabelX"), Value::integer(230));
    const Control &slow = form.Controls(6);
    EXPECT_EQ(slow.Properties().item(7).Name(), QStringLiteral("OptionValue"));
    EXPECT_EQ(slow.Properties().item(7).Value(), Value::longInt(2));
    const Control &paid = form.Controls(7);
    EXPECT_FALSE(paid.Properties().find(u"OptionValue"));
    EXPECT_EQ(paid.Properties().Count(),
              controlPropertyOrder(ControlTypeCode::CheckBox)->size() + 1); // + OnClickEmMacro
    EXPECT_EQ(paid.property(u"OnClick"), Value(QStringLiteral("[Embedded Macro]")));
    EXPECT_EQ(form.Controls(8).property(u"ControlType"), Value::integer(ControlTypeCode::TabCtl));
    EXPECT_EQ(form.Controls(10).property(u"RowSourceType"), Value(QStringLiteral("Value List")));
    EXPECT_TRUE(form.groupLevels.isEmpty());
}

TEST(DesignBuilder, ReportsGroupLevelsAndTheModuleFlag)
{
    const QString report = QString::fromUtf8(R"x(Begin Report
    RecordSource ="Sales"
    OnNoData ="=Cancel()"
    Begin
        Begin BreakLevel
            GroupHeader = NotDefault
            GroupFooter = NotDefault
            KeepTogether =1
            ControlSource ="Region"
        End
        Begin BreakLevel
            SortOrder = NotDefault
            GroupOn =2
            GroupInterval =5
            ControlSource ="=Year([Date])"
        End
        Begin PageHeader
            Name ="PageHeader"
        End
        Begin BreakHeader
            Name ="GroupHeader0"
            Begin
                Begin TextBox
                    Name ="Region"
                End
            End
        End
        Begin Section
            Name ="Detail"
        End
    End
End
)x");
    const AccessObject built = buildText(report, QStringLiteral("Sales"));
    EXPECT_FALSE(built.HasModule());
    EXPECT_EQ(built.property(u"HasModule"), Value::boolean(false));
    EXPECT_EQ(built.Properties().item(45).Name(), QStringLiteral("OnNoData"));
    EXPECT_EQ(built.Properties().item(45).Value(), Value(QStringLiteral("=Cancel()")));
    ASSERT_EQ(built.ControlCount(), 1);
    ASSERT_EQ(built.groupLevels.size(), 2);
    const GroupLevel &first = built.GroupLevels(0);
    EXPECT_EQ(first.property(u"ControlSource"), Value(QStringLiteral("Region")));
    EXPECT_EQ(first.property(u"SortOrder"), Value::boolean(false));
    EXPECT_EQ(first.property(u"GroupHeader"), Value::boolean(true));
    EXPECT_EQ(first.property(u"GroupFooter"), Value::boolean(true));
    EXPECT_EQ(first.property(u"GroupOn"), Value::integer(0));
    EXPECT_EQ(first.property(u"GroupInterval"), Value::integer(1));
    EXPECT_EQ(first.property(u"KeepTogether"), Value::integer(1));
    const GroupLevel &second = built.GroupLevels(1);
    EXPECT_EQ(second.property(u"SortOrder"), Value::boolean(true));
    EXPECT_EQ(second.property(u"GroupHeader"), Value::boolean(false));
    EXPECT_EQ(second.property(u"GroupOn"), Value::integer(2));
    EXPECT_EQ(second.property(u"GroupInterval"), Value::integer(5));
    EXPECT_EQ(errorOf([&] { built.GroupLevels(2); }), int(Err::InvalidPropertyReference));

    // HasModule written without a module still counts.
    EXPECT_TRUE(
        buildText(QStringLiteral("Begin Report\n    HasModule = NotDefault\nEnd\n")).HasModule());
}

TEST(DesignBuilder, WhatDoesNotFitRaises31001NamingFileAndLine)
{
    const QString good = QString::fromUtf8(formExport);
    const struct
    {
        const char *name;
        QString text;
        const char *expected;
    } cases[] = {
        {"text for a number", QString(good).replace("Width =8640", "Width =\"wide\""),
         "line 5: Width: a string where Integer was expected"},
        {"number for a text", QString(good).replace("Caption =\"Orders\"", "Caption =12"),
         "line 7: Caption: an integer where String was expected"},
        {"NotDefault for a number", QString(good).replace("TabIndex =2", "TabIndex = NotDefault"),
         "TabIndex: NotDefault where Integer was expected"},
        {"real for an integer", QString(good).replace("Left =1417", "Left =14.5"),
         "Left: a real number where Integer was expected"},
        {"integer out of range", QString(good).replace("Left =1417", "Left =70000"),
         "Left: 70000 is out of range"},
        {"in a default block", QString(good).replace("LabelX =230", "LabelX =\"x\""),
         "line 16: LabelX: a string"},
        {"in a group level",
         QStringLiteral("Begin Report\nBegin\nBegin BreakLevel\nGroupOn =\"x\"\nEnd\nEnd\nEnd\n"),
         "line 4: GroupOn"},
        {"no control", QString(good).replace("Begin Tab\n", "Begin Gadget\n"),
         "Begin Gadget where a control was expected"},
        {"no section", QString(good).replace("Begin FormHeader", "Begin Footnote"),
         "Begin Footnote where a control default"},
        {"a macro", QStringLiteral("Version =196611\nBegin\n    Action =\"Beep\"\nEnd\n"),
         "holds no form or report"},
        {"nothing", QStringLiteral("Version =20\n"), "line 1: the file holds no form or report"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString damage = damageOf(c.text);
        EXPECT_TRUE(damage.startsWith(QStringLiteral("orders.txt, line "))) << damage.toStdString();
        EXPECT_TRUE(damage.contains(QString::fromUtf8(c.expected))) << damage.toStdString();
    }
    // Access writes some Booleans as numbers.
    const AccessObject numeric =
        buildText(QStringLiteral("Begin Form\n    AllowEdits =0\n    PopUp =1\nEnd\n"));
    EXPECT_EQ(numeric.property(u"AllowEdits"), Value::boolean(false));
    EXPECT_EQ(numeric.property(u"PopUp"), Value::boolean(true));
}

namespace {

// Every form and report in a folder of real exports builds, and its
// Controls collection has one entry per control block of its sections.
// Gives the number of objects and of controls built.
std::pair<int, int> buildEveryExportIn(const QString &folder, const char *codePage)
{
    int built = 0;
    int controls = 0;
    QDirIterator it(
        folder, {QStringLiteral("*.txt"), QStringLiteral("*.accfrm"), QStringLiteral("*.accrpt")},
        QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(QLatin1String("/macros/")))
            continue;
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = decodeExportText(file.readAll(), path, codePage);
        AccessObject object;
        try {
            object = buildDesign(parseExport(text, path), QFileInfo(path).completeBaseName());
        } catch (const HostError &e) {
            ADD_FAILURE() << e.description().toStdString();
            continue;
        }
        EXPECT_EQ(object.ControlCount(), controlBlocksByLines(text));
        EXPECT_EQ(object.HasModule(), text.contains(QLatin1String("\nCodeBehindForm")));
        for (const Control &control : object.controls) {
            const int code = control.property(u"ControlType").asInteger();
            const PropertyOrder *order = controlPropertyOrder(code);
            EXPECT_TRUE(order) << code;
            if (!order)
                continue;
            // Known positions never move, whatever the file adds.
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(control.Properties().item(i).Name(), order->at(i).name);
            EXPECT_GE(control.Properties().Count(), order->size());
        }
        controls += object.ControlCount();
        ++built;
    }
    return {built, controls};
}

} // namespace

TEST(DesignBuilder, SampleExportsBuildWithEveryControl)
{
    const auto [built, controls] =
        buildEveryExportIn(QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai/designs"), "CP932");
    EXPECT_EQ(built, 8);
    EXPECT_GT(controls, 100);
}

TEST(DesignBuilder, CorpusExportsBuildWithEveryControl)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    const auto [built, controls] =
        buildEveryExportIn(corpusFile(QStringLiteral("exports")), "CP1252");
    EXPECT_EQ(built, 12);
    EXPECT_GT(controls, 100);
}

TEST(DesignBuilder, SampleReportsGroupLevels)
{
    const auto load = [](const QString &name) {
        const QString path =
            QStringLiteral(QUILLMARK_SOURCE_DIR "/samples/hanbai/designs/reports/") + name +
            QStringLiteral(".txt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return buildDesign(parseExportBytes(file.readAll(), path, "CP932"), name);
    };
    const AccessObject list = load(QStringLiteral("商品一覧　印刷用"));
    ASSERT_EQ(list.groupLevels.size(), 2);
    EXPECT_EQ(list.GroupLevels(0).property(u"ControlSource"), Value(QStringLiteral("分類ID")));
    EXPECT_EQ(list.GroupLevels(0).property(u"GroupHeader"), Value::boolean(true));
    EXPECT_EQ(list.GroupLevels(0).property(u"GroupFooter"), Value::boolean(true));
    EXPECT_EQ(list.GroupLevels(0).property(u"KeepTogether"), Value::integer(2));
    EXPECT_EQ(list.GroupLevels(1).property(u"ControlSource"), Value(QStringLiteral("商品名")));
    EXPECT_EQ(list.GroupLevels(1).property(u"GroupHeader"), Value::boolean(false));
    EXPECT_EQ(list.GroupLevels(1).property(u"KeepTogether"), Value::integer(0));
    EXPECT_FALSE(list.HasModule());

    const AccessObject sales = load(QStringLiteral("得意先別売上表"));
    ASSERT_EQ(sales.groupLevels.size(), 1);
    EXPECT_EQ(sales.GroupLevels(0).property(u"ControlSource"), Value(QStringLiteral("売上金額")));
    EXPECT_EQ(sales.GroupLevels(0).property(u"SortOrder"), Value::boolean(true));
    EXPECT_EQ(sales.GroupLevels(0).property(u"GroupInterval"), Value::integer(1));

    const AccessObject invoice = load(QStringLiteral("請求書"));
    ASSERT_EQ(invoice.groupLevels.size(), 2);
    EXPECT_EQ(invoice.GroupLevels(0).property(u"ControlSource"), Value(QStringLiteral("受注ID")));
    EXPECT_EQ(invoice.GroupLevels(0).property(u"KeepTogether"), Value::integer(1));
    EXPECT_EQ(invoice.GroupLevels(1).property(u"ControlSource"), Value(QStringLiteral("商品ID")));
    EXPECT_TRUE(invoice.HasModule());
}
