#include "harvest/formcontrols.h"

#include "host/command/command.h"
#include "host/command/listings.h"

namespace {

const int FormControlPreview = 3;
const int FormEventsFirst = 76, FormEventsLast = 102;

const QList<TypeRows> &formRowTable()
{
    const RowRule validation{RowKind::Validation, nonEmpty(u"ValidationRule")};
    const RowRule defaultLock{RowKind::DefaultLock, isFalse(u"Locked")};
    const RowRule tabOrder{RowKind::TabOrder, isTrue(u"TabStop")};
    const RowRule tipText{RowKind::TipText, nonEmpty(u"ControlTipText")};
    const RowRule controlSource{RowKind::ControlSource, nonEmpty(u"ControlSource")};
    const RowRule caption{RowKind::Caption, nonEmpty(u"Caption")};
    const RowRule picture{RowKind::Picture, nonEmpty(u"Picture")};
    const QList<RowRule> &rowSource = rowSourceRules();
    static const QList<TypeRows> table{
        {{"Label", "Page"}, {{RowKind::Caption, always}}},
        {{"Subform"},
         {{RowKind::SourceObject, nonEmpty(u"SourceObject")},
          {RowKind::LinkChild, nonEmpty(u"LinkChildFields")},
          {RowKind::LinkMaster, nonEmpty(u"LinkMasterFields")},
          {RowKind::Lock, isFalse(u"Locked")},
          tabOrder}},
        {{"Image"}, {picture, {RowKind::PictureSize, nonEmpty(u"Picture")}}},
        {{"Rectangle", "Line"}, {{RowKind::LineStyle, always}}},
        {{"ObjectFrame"}, {{RowKind::OleSize, always}}},
        {{"TabCtl"}, {{RowKind::TabOrder, always}}},
        {{"PageBreak", "CustomControl"}, {{RowKind::Blank, always}}},
        {{"CheckBox", "OptionButton"},
         {controlSource, defaultLock, validation, tabOrder, tipText},
         true},
        {{"ToggleButton"},
         {controlSource, defaultLock, validation, caption, picture, tabOrder, tipText},
         true},
        {{"CommandButton"}, {caption, picture, tabOrder, tipText}, true},
        {{"ComboBox"},
         QList<RowRule>{
             controlSource, {RowKind::FormatMask, nonEmpty(u"Format")}, {RowKind::Ime, always}} +
             rowSource + QList<RowRule>{defaultLock, validation, tabOrder, tipText},
         true},
        {{"ListBox"},
         QList<RowRule>{controlSource} + rowSource +
             QList<RowRule>{defaultLock, validation, tabOrder, tipText},
         true},
        {{"TextBox"},
         {controlSource,
          {RowKind::FormatMask, nonEmpty(u"Format")},
          {RowKind::Ime, always},
          defaultLock,
          validation,
          tabOrder,
          tipText},
         true},
        {{"OptionGroup"}, {controlSource, defaultLock, validation, tabOrder, tipText}, true},
        {{"BoundObjectFrame"}, {controlSource, tabOrder, tipText}, true},
    };
    return table;
}

const QList<RowRule> memberRows{{RowKind::OptionValue, isFalse(u"Locked")},
                                {RowKind::TipText, nonEmpty(u"ControlTipText")}};

void writeSummaryRow(MainState &state, Recordset &info, const Form &form, const QString &name)
{
    beginSummaryRow(state, info, form);
    for (const char16_t *setting :
         {u"DefaultView", u"AllowEdits", u"AllowDeletions", u"AllowAdditions", u"DataEntry",
          u"RecordsetType", u"RecordLocks", u"PopUp", u"Modal"})
        info.setField(QString::fromUtf16(setting), form.property(setting));
    fillEventSlots(info, form.Properties(), FormEventsFirst, FormEventsLast);
    writeDocumentFields(info, state.targetDatabase(), u"Forms", name, QStringLiteral("FormName"));
    info.Update(1, false);
}

} // namespace

EventRange formEventRange(const QString &typeWord, int propertyCount)
{
    static const struct
    {
        const char *type;
        int threshold; // 0: the same range whatever the count
        EventRange above, otherwise;
    } ranges[] = {
        {"CommandButton", 0, {38, 49}, {38, 49}},     {"ToggleButton", 52, {41, 54}, {38, 51}},
        {"CheckBox", 45, {34, 47}, {31, 44}},         {"OptionButton", 45, {34, 47}, {31, 44}},
        {"ComboBox", 79, {66, 81}, {63, 78}},         {"ListBox", 64, {53, 66}, {50, 63}},
        {"TextBox", 75, {63, 77}, {60, 74}},          {"OptionGroup", 41, {35, 43}, {32, 40}},
        {"BoundObjectFrame", 58, {46, 60}, {43, 57}},
    };
    for (const auto &range : ranges) {
        if (typeWord == QLatin1String(range.type))
            return propertyCount > range.threshold ? range.above : range.otherwise;
    }
    return {};
}

void cmdFormC_Click(MainState &state, Ui &ui)
{
    runCommand(state, ui, QStringLiteral("FormControl"), [&] {
        if (ui.value(OptMode(2)) == 0) {
            ui.messageBox(QStringLiteral("Formを選択して下さい"), MsgButtons::Ok, MsgIcon::None);
            return;
        }
        const QString name = ui.text(Ctl::cboForms);
        if (name != state.lastHarvestedForm ||
            state.listingState(Listing::FormControls) != ListingProduced) {
            const QList<Recordset *> rs = beginHarvest(
                state, ui, {QStringLiteral("T_FormInfo"), QStringLiteral("T_FormItem")});
            state.objectCounter = 0;
            state.targetDatabase(); // no target raises 91
            Application &target = *state.target;
            // A design opened here is read, never drawn: there is no painting
            // to switch off.
            target.OpenForm(name, AcView::Design, -1);
            const Form &form = target.Forms(name);
            writeSummaryRow(state, *rs[0], form, name);
            writeControls(state, *rs[1], form, formRowTable(), memberRows, formEventRange);
            target.Close(AcObjectType::Form, name);
        }
        state.lastHarvestedForm = name;
        finishListing(state, ui, FormControlPreview);
    });
}
