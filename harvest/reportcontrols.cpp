#include "harvest/reportcontrols.h"

#include "harvest/controlrows.h"
#include "harvest/fieldcolumns.h"
#include "host/command/command.h"
#include "host/command/listings.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

namespace {

const int ReportControlPreview = 4;
const int ReportEventsFirst = 41, ReportEventsLast = 47;
const int MaxGroupLevels = 10;

const QList<TypeRows> &reportRowTable()
{
    const RowRule controlSource{RowKind::ControlSource, nonEmpty(u"ControlSource")};
    const RowRule caption{RowKind::Caption, nonEmpty(u"Caption")};
    const RowRule picture{RowKind::Picture, nonEmpty(u"Picture")};
    const QList<RowRule> &rowSource = rowSourceRules();
    static const QList<TypeRows> table{
        {{"Label", "Page"}, {{RowKind::Caption, always}}},
        {{"Subform"},
         {{RowKind::SourceObject, nonEmpty(u"SourceObject")},
          {RowKind::LinkChild, nonEmpty(u"LinkChildFields")},
          {RowKind::LinkMaster, nonEmpty(u"LinkMasterFields")}}},
        {{"Image"}, {picture, {RowKind::PictureSize, nonEmpty(u"Picture")}}},
        {{"Rectangle", "Line"}, {{RowKind::LineStyle, always}}},
        {{"ObjectFrame"}, {{RowKind::OleSize, always}}},
        {{"TabCtl", "PageBreak", "CustomControl"}, {{RowKind::Blank, always}}},
        {{"CheckBox", "OptionButton"}, {controlSource}},
        {{"ToggleButton"}, {controlSource, caption, picture}},
        {{"CommandButton"}, {caption, picture}},
        {{"ComboBox"},
         QList<RowRule>{controlSource, {RowKind::FormatMask, nonEmpty(u"Format")}} + rowSource},
        {{"ListBox"}, QList<RowRule>{controlSource} + rowSource},
        {{"TextBox"}, {controlSource, {RowKind::FormatMask, nonEmpty(u"Format")}}},
        {{"OptionGroup", "BoundObjectFrame"}, {controlSource}},
    };
    return table;
}

const QList<RowRule> memberRows{{RowKind::ReportOptionValue, isFalse(u"Locked")}};

void writeSummaryRow(MainState &state, Recordset &info, const Report &report, const QString &name)
{
    beginSummaryRow(state, info, report);
    info.setField(QStringLiteral("RecordLocks"), report.property(u"RecordLocks"));
    fillEventSlots(info, report.Properties(), ReportEventsFirst, ReportEventsLast);
    writeDocumentFields(info, state.targetDatabase(), u"Reports", name,
                        QStringLiteral("ReportName"));
    info.Update(1, false);
}

// Level after level until the report has no more (or ten were written).
// The level is read after its row was begun; the failing read leaves that
// row un-updated, so it never reaches the store.
void writeGroupLevels(MainState &state, Recordset &groups, const Report &report)
{
    try {
        for (int k = 0; k < MaxGroupLevels; ++k) {
            groups.AddNew();
            groups.setField(QStringLiteral("objectNo"), Value::integer(state.objectCounter));
            groups.setField(QStringLiteral("GroupNo"), Value::integer(qint16(k + 1)));
            const GroupLevel &level = report.GroupLevels(k);
            groups.setField(QStringLiteral("ControlSource"),
                            storedText(vb::CStr(level.property(u"ControlSource")), 255));
            for (const char16_t *field : {u"SortOrder", u"GroupHeader", u"GroupFooter", u"GroupOn",
                                          u"GroupInterval", u"KeepTogether"})
                groups.setField(QString::fromUtf16(field), level.property(field));
            groups.Update(1, false);
        }
    } catch (const HostError &) {
        // From the group walk on, an error leads to the finishing steps.
    }
}

} // namespace

void cmdReportC_Click(MainState &state, Ui &ui)
{
    runCommand(state, ui, QStringLiteral("ReportControl"), [&] {
        if (ui.value(OptMode(3)) == 0) {
            ui.messageBox(QStringLiteral("Reportを選択して下さい"), MsgButtons::Ok, MsgIcon::None);
            return;
        }
        const QString name = ui.text(Ctl::cboReports);
        if (name != state.lastHarvestedReport ||
            state.listingState(Listing::ReportControls) != ListingProduced) {
            const QList<Recordset *> rs =
                beginHarvest(state, ui,
                             {QStringLiteral("T_ReportInfo"), QStringLiteral("T_ReportItem"),
                              QStringLiteral("T_ReportGroup")});
            state.objectCounter = 0;
            state.targetDatabase(); // no target raises 91
            Application &target = *state.target;
            // Read, never drawn: no painting to switch off.
            target.OpenReport(name, AcView::Design);
            const Report &report = target.Reports(name);
            writeSummaryRow(state, *rs[0], report, name);
            writeControls(state, *rs[1], report, reportRowTable(), memberRows);
            writeGroupLevels(state, *rs[2], report);
            target.Close(AcObjectType::Report, name);
        }
        state.lastHarvestedReport = name;
        finishListing(state, ui, ReportControlPreview);
    });
}
