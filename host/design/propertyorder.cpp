#include "host/design/propertyorder.h"

#include <QHash>
#include <initializer_list>
#include <map>

// Every list is written out here, once. Positions that the harvesters read
// are fixed and marked; the rest follows the property sheet's order (data,
// then format, then other). Properties Access added in later versions come
// after the events, so adding one never moves an event.
//
// The event range of a control type depends on whether its Properties.Count
// exceeds a threshold. Every list below is on the "above" side: the lists
// carry the later versions' properties, and a design read from the text
// export appends properties this table does not know, which can only raise
// the count. A list on the "below" side would cross the threshold as soon as
// one such property turned up.

namespace {

enum class Kind { Boolean, Integer, Long, Text, Binary };

struct Entry
{
    const char16_t *name;
    Kind kind;
    qint64 number = 0;
    const char16_t *text = u"";
};

constexpr Entry b(const char16_t *name, bool value)
{
    return {name, Kind::Boolean, value ? 1 : 0};
}
constexpr Entry i(const char16_t *name, qint64 value = 0)
{
    return {name, Kind::Integer, value};
}
constexpr Entry l(const char16_t *name, qint64 value = 0)
{
    return {name, Kind::Long, value};
}
constexpr Entry t(const char16_t *name, const char16_t *value = u"")
{
    return {name, Kind::Text, 0, value};
}
constexpr Entry x(const char16_t *name)
{
    return {name, Kind::Binary};
}

Value defaultOf(const Entry &entry)
{
    switch (entry.kind) {
    case Kind::Boolean:
        return Value::boolean(entry.number != 0);
    case Kind::Integer:
        return Value::integer(qint16(entry.number));
    case Kind::Long:
        return Value::longInt(qint32(entry.number));
    case Kind::Text:
        return Value(QString::fromUtf16(entry.text));
    case Kind::Binary:
        return Value::binary(QByteArray());
    }
    return Value();
}

using Part = std::initializer_list<Entry>;

PropertyOrder build(std::initializer_list<Part> parts)
{
    PropertyOrder order;
    for (const Part &part : parts) {
        for (const Entry &entry : part)
            order.append({QString::fromUtf16(entry.name), defaultOf(entry)});
    }
    return order;
}

// Runs of properties that several lists share, always used whole.
#define QM_HEAD(code) t(u"EventProcPrefix"), t(u"Name"), i(u"ControlType", code)
#define QM_POSITION i(u"Left"), i(u"Top"), i(u"Width"), i(u"Height")
// Access leaves out a size equal to the built-in default of the control's
// kind (when the form's default block has none): 1 inch wide, and one line
// high except for a list box.
#define QM_SIZED_POSITION(width, height)                                                           \
    i(u"Left"), i(u"Top"), i(u"Width", width), i(u"Height", height)
#define QM_BORDER(style)                                                                           \
    i(u"SpecialEffect"), i(u"BorderStyle", style), i(u"OldBorderStyle", style), l(u"BorderColor"), \
        i(u"BorderWidth"), i(u"BorderLineStyle")
#define QM_FONT                                                                                    \
    l(u"ForeColor"), t(u"FontName"), i(u"FontSize", 8), i(u"FontWeight", 400),                     \
        b(u"FontItalic", false), b(u"FontUnderline", false), i(u"TextFontCharSet"),                \
        i(u"TextFontFamily")
#define QM_FOCUS_EVENTS                                                                            \
    t(u"OnEnter"), t(u"OnExit"), t(u"OnGotFocus"), t(u"OnLostFocus"), t(u"OnClick"),               \
        t(u"OnDblClick"), t(u"OnMouseDown"), t(u"OnMouseMove"), t(u"OnMouseUp"), t(u"OnKeyDown"),  \
        t(u"OnKeyUp"), t(u"OnKeyPress")
#define QM_MOUSE_EVENTS                                                                            \
    t(u"OnClick"), t(u"OnDblClick"), t(u"OnMouseDown"), t(u"OnMouseMove"), t(u"OnMouseUp")
#define QM_LABEL_LAYOUT                                                                            \
    i(u"LabelX"), i(u"LabelY"), i(u"LabelAlign"), b(u"AddColon", true), b(u"AutoLabel", true)
#define QM_DATASHEET_COLUMN i(u"ColumnWidth", -1), i(u"ColumnOrder"), b(u"ColumnHidden", false)
#define QM_BACK(style) i(u"BackStyle", style), l(u"BackColor", 16777215)

constexpr qint64 White = 16777215;

PropertyOrder formOrder()
{
    // Events at 76 to 102; the form events that come later in Access
    // (BeforeDelConfirm, OnDirty, ...) follow the block.
    return build({
        {t(u"Name"),
         t(u"RecordSource"),
         t(u"Caption"),
         t(u"Filter"),
         b(u"FilterOn", false),
         t(u"OrderBy"),
         b(u"OrderByOn", false),
         b(u"AllowFilters", true),
         i(u"DefaultView"),
         i(u"ViewsAllowed"),
         b(u"AllowFormView", true),
         b(u"AllowDatasheetView", true),
         b(u"AllowPivotTableView", true),
         b(u"AllowPivotChartView", true),
         b(u"AllowEdits", true),
         b(u"AllowDeletions", true),
         b(u"AllowAdditions", true),
         b(u"DataEntry", false),
         i(u"RecordsetType"),
         i(u"RecordLocks"),
         i(u"ScrollBars", 3),
         b(u"RecordSelectors", true),
         b(u"NavigationButtons", true),
         b(u"DividingLines", true),
         b(u"AutoResize", true),
         b(u"AutoCenter", false),
         b(u"PopUp", false),
         b(u"Modal", false),
         i(u"BorderStyle", 2),
         b(u"ControlBox", true),
         b(u"MinButton", true),
         b(u"MaxButton", true),
         b(u"CloseButton", true),
         b(u"WhatsThisButton", false),
         i(u"Width"),
         t(u"Picture"),
         i(u"PictureType"),
         x(u"PictureData"),
         i(u"PictureSizeMode"),
         i(u"PictureAlignment", 2),
         b(u"PictureTiling", false),
         i(u"Cycle"),
         t(u"MenuBar"),
         t(u"Toolbar"),
         b(u"ShortcutMenu", true),
         t(u"ShortcutMenuBar"),
         i(u"GridX", 24),
         i(u"GridY", 24),
         b(u"LayoutForPrint", false),
         b(u"FastLaserPrinting", true),
         t(u"HelpFile"),
         l(u"HelpContextId"),
         t(u"PaletteSource", u"(Default)"),
         t(u"Tag"),
         b(u"KeyPreview", false),
         l(u"TimerInterval"),
         b(u"MaxRecButton", true),
         l(u"MaxRecords"),
         b(u"AllowDesignChanges", true),
         b(u"HasModule", false),
         i(u"Orientation"),
         b(u"SubdatasheetExpanded", false),
         i(u"SubdatasheetHeight"),
         t(u"DatasheetFontName"),
         i(u"DatasheetFontHeight", 10),
         i(u"DatasheetFontWeight", 400),
         b(u"DatasheetFontItalic", false),
         b(u"DatasheetFontUnderline", false),
         i(u"DatasheetGridlinesBehavior", 3),
         l(u"DatasheetGridlinesColor", 12632256),
         i(u"DatasheetCellsEffect"),
         l(u"DatasheetForeColor"),
         l(u"DatasheetBackColor", White),
         i(u"TabularCharSet"),
         i(u"TabularFamily"),
         x(u"RecSrcDt")},
        // 76
        {t(u"OnCurrent"),    t(u"BeforeInsert"),  t(u"AfterInsert"), t(u"BeforeUpdate"),
         t(u"AfterUpdate"),  t(u"OnDelete"),      t(u"OnOpen"),      t(u"OnLoad"),
         t(u"OnResize"),     t(u"OnUnload"),      t(u"OnClose"),     t(u"OnActivate"),
         t(u"OnDeactivate"), t(u"OnGotFocus"),    t(u"OnLostFocus"), QM_MOUSE_EVENTS,
         t(u"OnKeyDown"),    t(u"OnKeyUp"),       t(u"OnKeyPress"),  t(u"OnError"),
         t(u"OnFilter"),     t(u"OnApplyFilter"), t(u"OnTimer")},
        // 103
        {t(u"BeforeDelConfirm"),
         t(u"AfterDelConfirm"),
         t(u"OnDirty"),
         t(u"OnUndo"),
         t(u"OnMouseWheel"),
         i(u"Left"),
         i(u"Top"),
         i(u"Right"),
         i(u"Bottom"),
         l(u"ItemSuffix"),
         x(u"PrtMip"),
         x(u"PrtDevMode"),
         x(u"PrtDevNames"),
         x(u"PrtDevModeW"),
         x(u"PrtDevNamesW"),
         x(u"GUID"),
         x(u"NameMap"),
         x(u"ObjectPalette"),
         b(u"FilterOnLoad", false),
         b(u"OrderByOnLoad", true),
         b(u"AllowLayoutView", true),
         b(u"FetchDefaults", true)},
    });
}

PropertyOrder reportOrder()
{
    // Events at 41 to 47: all of a report's own events.
    return build({
        {t(u"Name"),
         t(u"RecordSource"),
         t(u"Caption"),
         t(u"Filter"),
         b(u"FilterOn", false),
         t(u"OrderBy"),
         b(u"OrderByOn", false),
         i(u"RecordLocks"),
         i(u"PageHeader"),
         i(u"PageFooter"),
         i(u"DateGrouping"),
         i(u"GrpKeepTogether"),
         i(u"Width"),
         t(u"Picture"),
         i(u"PictureType"),
         x(u"PictureData"),
         i(u"PictureSizeMode"),
         i(u"PictureAlignment", 2),
         b(u"PictureTiling", false),
         i(u"PicturePages"),
         t(u"MenuBar"),
         t(u"Toolbar"),
         t(u"ShortcutMenuBar"),
         i(u"GridX", 24),
         i(u"GridY", 24),
         b(u"LayoutForPrint", true),
         b(u"FastLaserPrinting", true),
         t(u"HelpFile"),
         l(u"HelpContextId"),
         t(u"PaletteSource", u"(Default)"),
         t(u"Tag"),
         b(u"HasModule", false),
         i(u"Orientation"),
         i(u"TabularCharSet"),
         i(u"TabularFamily"),
         t(u"DatasheetFontName"),
         i(u"DatasheetFontHeight", 10),
         x(u"RecSrcDt"),
         l(u"ItemSuffix"),
         i(u"Left"),
         i(u"Top")},
        // 41
        {t(u"OnOpen"), t(u"OnClose"), t(u"OnActivate"), t(u"OnDeactivate"), t(u"OnNoData"),
         t(u"OnPage"), t(u"OnError")},
        // 48
        {i(u"Right"), i(u"Bottom"), l(u"DatasheetGridlinesColor", 12632256), x(u"PrtMip"),
         x(u"PrtDevMode"), x(u"PrtDevNames"), x(u"PrtDevModeW"), x(u"PrtDevNamesW"), x(u"GUID"),
         x(u"NameMap"), x(u"ObjectPalette"), b(u"FilterOnLoad", false), b(u"OrderByOnLoad", true),
         b(u"AllowLayoutView", true)},
    });
}

PropertyOrder groupLevelOrder()
{
    return build(
        {{t(u"ControlSource"), b(u"SortOrder", false), b(u"GroupHeader", false),
          b(u"GroupFooter", false), i(u"GroupOn"), i(u"GroupInterval", 1), i(u"KeepTogether")}});
}

// Controls without an event range: their events (where they have any) sit
// where Access has them; no harvester reads them by position.

PropertyOrder labelOrder()
{
    return build({{QM_HEAD(ControlTypeCode::Label),
                   t(u"Caption"),
                   t(u"HyperlinkAddress"),
                   t(u"HyperlinkSubAddress"),
                   b(u"Visible", true),
                   i(u"DisplayWhen"),
                   b(u"Vertical", false),
                   QM_POSITION,
                   QM_BACK(1),
                   QM_BORDER(0),
                   QM_FONT,
                   i(u"TextAlign"),
                   i(u"ReadingOrder"),
                   i(u"LeftMargin"),
                   i(u"TopMargin"),
                   i(u"RightMargin"),
                   i(u"BottomMargin"),
                   i(u"LineSpacing"),
                   t(u"ControlTipText"),
                   l(u"HelpContextId"),
                   t(u"ShortcutMenuBar"),
                   t(u"Tag"),
                   QM_MOUSE_EVENTS,
                   i(u"OverlapFlags"),
                   x(u"GUID")}});
}

PropertyOrder rectangleOrder()
{
    return build(
        {{QM_HEAD(ControlTypeCode::Rectangle), b(u"Visible", true), i(u"DisplayWhen"), QM_POSITION,
          QM_BACK(1), QM_BORDER(1), t(u"Tag"), QM_MOUSE_EVENTS, i(u"OverlapFlags"), x(u"GUID")}});
}

PropertyOrder lineOrder()
{
    return build({{QM_HEAD(ControlTypeCode::Line), b(u"LineSlant", false), b(u"Visible", true),
                   i(u"DisplayWhen"), QM_POSITION, QM_BORDER(1), t(u"Tag"), i(u"OverlapFlags"),
                   x(u"GUID")}});
}

PropertyOrder imageOrder()
{
    return build({{QM_HEAD(ControlTypeCode::Image),
                   t(u"Picture"),
                   i(u"PictureType"),
                   x(u"PictureData"),
                   i(u"SizeMode"),
                   i(u"PictureAlignment", 2),
                   b(u"PictureTiling", false),
                   t(u"HyperlinkAddress"),
                   t(u"HyperlinkSubAddress"),
                   b(u"Visible", true),
                   i(u"DisplayWhen"),
                   QM_POSITION,
                   QM_BACK(1),
                   QM_BORDER(1),
                   t(u"ControlTipText"),
                   l(u"HelpContextId"),
                   t(u"ShortcutMenuBar"),
                   t(u"Tag"),
                   x(u"ObjectPalette"),
                   QM_MOUSE_EVENTS,
                   i(u"TabIndex"),
                   i(u"OverlapFlags"),
                   x(u"GUID")}});
}

// Events at 38 to 49 (the one range without a threshold).
PropertyOrder commandButtonOrder()
{
    return build({
        {QM_HEAD(ControlTypeCode::CommandButton),
         t(u"Caption"),
         t(u"Picture"),
         i(u"PictureType"),
         x(u"PictureData"),
         b(u"Transparent", false),
         b(u"Default", false),
         b(u"Cancel", false),
         b(u"AutoRepeat", false),
         t(u"StatusBarText"),
         t(u"HyperlinkAddress"),
         t(u"HyperlinkSubAddress"),
         b(u"Visible", true),
         i(u"DisplayWhen"),
         b(u"Enabled", true),
         b(u"TabStop", true),
         i(u"TabIndex"),
         QM_POSITION,
         QM_FONT,
         i(u"ReadingOrder"),
         t(u"ControlTipText"),
         l(u"HelpContextId"),
         t(u"ShortcutMenuBar"),
         t(u"Tag"),
         x(u"ObjectPalette"),
         i(u"PictureCaptionArrangement")},
        // 38
        {QM_FOCUS_EVENTS},
        // 50
        {i(u"OverlapFlags"), x(u"GUID")},
    });
}

// Check box and option button: above their threshold of 45, events at 34 to
// 47 outside option groups. A member has OptionValue at 3 and gets no event
// rows, so its events one place later do not matter.
PropertyOrder checkOrder(int code, bool member)
{
    PropertyOrder order = build({
        {QM_HEAD(code)},
        // 3: OptionValue for a member
        {t(u"ControlSource"),
         t(u"DefaultValue"),
         t(u"ValidationRule"),
         t(u"ValidationText"),
         t(u"StatusBarText"),
         b(u"Visible", true),
         i(u"DisplayWhen"),
         b(u"Enabled", true),
         b(u"Locked", false),
         b(u"TripleState", false),
         b(u"TabStop", true),
         i(u"TabIndex"),
         b(u"HideDuplicates", false),
         QM_POSITION,
         QM_BORDER(1),
         t(u"ControlTipText"),
         l(u"HelpContextId"),
         t(u"ShortcutMenuBar"),
         t(u"Tag"),
         i(u"LabelX"),
         i(u"LabelY"),
         i(u"LabelAlign"),
         b(u"AddColon", true)},
        // 34 (non-members)
        {t(u"BeforeUpdate"), t(u"AfterUpdate"), QM_FOCUS_EVENTS},
        // 48
        {b(u"AutoLabel", true), QM_DATASHEET_COLUMN, i(u"OverlapFlags"), x(u"GUID")},
    });
    if (member)
        order.insert(3, {QStringLiteral("OptionValue"), Value::longInt(0)});
    return order;
}

// Toggle button: above its threshold of 52, events at 41 to 54 outside
// option groups; a member has OptionValue at 7.
PropertyOrder toggleButtonOrder(bool member)
{
    PropertyOrder order = build({
        {QM_HEAD(ControlTypeCode::ToggleButton), t(u"Caption"), t(u"Picture"), i(u"PictureType"),
         x(u"PictureData")},
        // 7: OptionValue for a member
        {t(u"ControlSource"),
         t(u"DefaultValue"),
         t(u"ValidationRule"),
         t(u"ValidationText"),
         t(u"StatusBarText"),
         b(u"Visible", true),
         i(u"DisplayWhen"),
         b(u"Enabled", true),
         b(u"Locked", false),
         b(u"TripleState", false),
         b(u"TabStop", true),
         i(u"TabIndex"),
         QM_POSITION,
         QM_FONT,
         i(u"ReadingOrder"),
         t(u"ControlTipText"),
         l(u"HelpContextId"),
         t(u"ShortcutMenuBar"),
         t(u"Tag"),
         x(u"ObjectPalette"),
         i(u"PictureCaptionArrangement"),
         QM_DATASHEET_COLUMN},
        // 41 (non-members)
        {t(u"BeforeUpdate"), t(u"AfterUpdate"), QM_FOCUS_EVENTS},
        // 55
        {i(u"OverlapFlags"), x(u"GUID")},
    });
    if (member)
        order.insert(7, {QStringLiteral("OptionValue"), Value::longInt(0)});
    return order;
}

// Option group: above its threshold of 41, events at 35 to 43 (an option
// group has no focus or key events of its own).
PropertyOrder optionGroupOrder()
{
    return build({
        {QM_HEAD(ControlTypeCode::OptionGroup),
         t(u"ControlSource"),
         t(u"DefaultValue"),
         t(u"ValidationRule"),
         t(u"ValidationText"),
         t(u"StatusBarText"),
         b(u"Visible", true),
         i(u"DisplayWhen"),
         b(u"Enabled", true),
         b(u"Locked", false),
         b(u"TabStop", true),
         i(u"TabIndex"),
         b(u"HideDuplicates", false),
         QM_POSITION,
         QM_BACK(0),
         QM_BORDER(1),
         t(u"ControlTipText"),
         l(u"HelpContextId"),
         t(u"ShortcutMenuBar"),
         t(u"Tag"),
         QM_DATASHEET_COLUMN,
         i(u"OverlapFlags")},
        // 35
        {t(u"BeforeUpdate"), t(u"AfterUpdate"), t(u"OnEnter"), t(u"OnExit"), QM_MOUSE_EVENTS},
        // 44
        {i(u"LabelX"), i(u"LabelY"), i(u"LabelAlign"), x(u"GUID")},
    });
}

// Bound object frame: above its threshold of 58, events at 46 to 60.
PropertyOrder boundObjectFrameOrder()
{
    return build({
        {QM_HEAD(ControlTypeCode::BoundObjectFrame),
         t(u"ControlSource"),
         i(u"DisplayType"),
         i(u"SizeMode"),
         i(u"OLETypeAllowed", 2),
         t(u"OLEClass"),
         t(u"Class"),
         t(u"SourceDoc"),
         t(u"SourceItem"),
         i(u"UpdateOptions", 1),
         l(u"Verb"),
         i(u"AutoActivate", 1),
         t(u"StatusBarText"),
         b(u"Visible", true),
         i(u"DisplayWhen"),
         b(u"Enabled", true),
         b(u"Locked", false),
         b(u"TabStop", true),
         i(u"TabIndex"),
         QM_POSITION,
         QM_BACK(1),
         QM_BORDER(1),
         t(u"ControlTipText"),
         l(u"HelpContextId"),
         t(u"ShortcutMenuBar"),
         t(u"Tag"),
         i(u"OLEType", 1),
         i(u"Action"),
         x(u"ObjectPalette"),
         QM_LABEL_LAYOUT,
         i(u"OverlapFlags")},
        // 46
        {t(u"BeforeUpdate"), t(u"AfterUpdate"), t(u"OnUpdated"), QM_FOCUS_EVENTS},
        // 61
        {QM_DATASHEET_COLUMN, x(u"GUID")},
    });
}

// Text box: above its threshold of 75, events at 63 to 77.
PropertyOrder textBoxOrder()
{
    return build({
        {QM_HEAD(ControlTypeCode::TextBox),
         t(u"ControlSource"),
         t(u"Format"),
         i(u"DecimalPlaces", 255),
         t(u"InputMask"),
         t(u"DefaultValue"),
         b(u"IMEHold", false),
         i(u"IMEMode"),
         i(u"IMESentenceMode"),
         t(u"ValidationRule"),
         t(u"ValidationText"),
         t(u"StatusBarText"),
         b(u"EnterKeyBehavior", false),
         b(u"AllowAutoCorrect", true),
         b(u"Visible", true),
         i(u"DisplayWhen"),
         b(u"Vertical", false),
         b(u"Enabled", true),
         b(u"Locked", false),
         i(u"FilterLookup", 1),
         b(u"AutoTab", false),
         b(u"TabStop", true),
         i(u"TabIndex"),
         i(u"ScrollBars"),
         b(u"CanGrow", false),
         b(u"CanShrink", false),
         i(u"RunningSum"),
         b(u"HideDuplicates", false),
         QM_SIZED_POSITION(1440, 240),
         QM_BACK(1),
         QM_BORDER(1),
         QM_FONT,
         i(u"TextAlign"),
         i(u"ReadingOrder"),
         i(u"KeyboardLanguage"),
         i(u"ScrollBarAlign"),
         i(u"NumeralShapes"),
         i(u"LeftMargin"),
         i(u"TopMargin"),
         i(u"RightMargin"),
         i(u"BottomMargin"),
         i(u"LineSpacing"),
         b(u"IsHyperlink", false),
         t(u"ControlTipText"),
         l(u"HelpContextId")},
        // 63
        {t(u"BeforeUpdate"), t(u"AfterUpdate"), t(u"OnChange"), QM_FOCUS_EVENTS},
        // 78
        {t(u"ShortcutMenuBar"), t(u"Tag"), b(u"FELineBreak", false), b(u"AsianLineBreak", true),
         QM_LABEL_LAYOUT, QM_DATASHEET_COLUMN, i(u"OverlapFlags"), x(u"GUID")},
    });
}

// List box: above its threshold of 64, events at 53 to 66.
PropertyOrder listBoxOrder()
{
    return build({
        {QM_HEAD(ControlTypeCode::ListBox),
         t(u"ControlSource"),
         t(u"RowSourceType", u"Table/Query"),
         t(u"RowSource"),
         i(u"ColumnCount", 1),
         b(u"ColumnHeads", false),
         t(u"ColumnWidths"),
         i(u"BoundColumn", 1),
         t(u"DefaultValue"),
         t(u"ValidationRule"),
         t(u"ValidationText"),
         t(u"StatusBarText"),
         b(u"Visible", true),
         i(u"DisplayWhen"),
         b(u"Enabled", true),
         b(u"Locked", false),
         i(u"MultiSelect"),
         b(u"TabStop", true),
         i(u"TabIndex"),
         QM_SIZED_POSITION(1440, 1440),
         l(u"BackColor", White),
         QM_BORDER(1),
         QM_FONT,
         i(u"TextAlign"),
         i(u"ReadingOrder"),
         i(u"ScrollBarAlign"),
         i(u"NumeralShapes"),
         t(u"ControlTipText"),
         l(u"HelpContextId"),
         b(u"AllowValueListEdits", true),
         b(u"InheritValueList", true),
         t(u"ListItemsEditForm"),
         b(u"ShowOnlyRowSourceValues", false),
         t(u"ShortcutMenuBar"),
         t(u"Tag"),
         i(u"RowSourceTypeInt")},
        // 53
        {t(u"BeforeUpdate"), t(u"AfterUpdate"), QM_FOCUS_EVENTS},
        // 67
        {QM_LABEL_LAYOUT, QM_DATASHEET_COLUMN, i(u"OverlapFlags"), x(u"GUID")},
    });
}

// Combo box: above its threshold of 79, events at 66 to 81.
PropertyOrder comboBoxOrder()
{
    return build({
        {QM_HEAD(ControlTypeCode::ComboBox),
         t(u"ControlSource"),
         t(u"Format"),
         i(u"DecimalPlaces", 255),
         t(u"InputMask"),
         t(u"RowSourceType", u"Table/Query"),
         t(u"RowSource"),
         i(u"ColumnCount", 1),
         b(u"ColumnHeads", false),
         t(u"ColumnWidths"),
         i(u"BoundColumn", 1),
         i(u"ListRows", 8),
         i(u"ListWidth"),
         b(u"LimitToList", false),
         b(u"AutoExpand", true),
         t(u"DefaultValue"),
         b(u"IMEHold", false),
         i(u"IMEMode"),
         i(u"IMESentenceMode"),
         t(u"ValidationRule"),
         t(u"ValidationText"),
         t(u"StatusBarText"),
         b(u"Visible", true),
         i(u"DisplayWhen"),
         b(u"Enabled", true),
         b(u"Locked", false),
         b(u"AllowAutoCorrect", true),
         b(u"TabStop", true),
         i(u"TabIndex"),
         QM_SIZED_POSITION(1440, 240),
         QM_BACK(1),
         QM_BORDER(1),
         QM_FONT,
         i(u"TextAlign"),
         i(u"ReadingOrder"),
         i(u"KeyboardLanguage"),
         i(u"ScrollBarAlign"),
         i(u"NumeralShapes"),
         i(u"LeftMargin"),
         i(u"TopMargin"),
         i(u"RightMargin"),
         i(u"BottomMargin"),
         b(u"IsHyperlink", false),
         t(u"ControlTipText"),
         l(u"HelpContextId"),
         i(u"FilterLookup", 1),
         b(u"AllowValueListEdits", true),
         b(u"InheritValueList", true)},
        // 66
        {t(u"BeforeUpdate"), t(u"AfterUpdate"), t(u"OnChange"), t(u"OnNotInList"), QM_FOCUS_EVENTS},
        // 82
        {t(u"ShortcutMenuBar"), t(u"Tag"), i(u"RowSourceTypeInt"), QM_LABEL_LAYOUT,
         QM_DATASHEET_COLUMN, i(u"OverlapFlags"), x(u"GUID")},
    });
}

PropertyOrder subformOrder()
{
    return build({{QM_HEAD(ControlTypeCode::Subform),
                   t(u"SourceObject"),
                   t(u"LinkChildFields"),
                   t(u"LinkMasterFields"),
                   t(u"StatusBarText"),
                   b(u"Visible", true),
                   i(u"DisplayWhen"),
                   b(u"Enabled", true),
                   b(u"Locked", false),
                   b(u"TabStop", true),
                   i(u"TabIndex"),
                   b(u"CanGrow", false),
                   b(u"CanShrink", false),
                   QM_POSITION,
                   QM_BORDER(1),
                   t(u"ControlTipText"),
                   t(u"Tag"),
                   t(u"OnEnter"),
                   t(u"OnExit"),
                   i(u"OverlapFlags"),
                   x(u"GUID")}});
}

PropertyOrder objectFrameOrder()
{
    return build({{QM_HEAD(ControlTypeCode::ObjectFrame),
                   i(u"SizeMode"),
                   t(u"OLEClass"),
                   t(u"Class"),
                   t(u"SourceDoc"),
                   t(u"SourceItem"),
                   i(u"OLETypeAllowed", 2),
                   i(u"OLEType", 1),
                   i(u"UpdateOptions", 1),
                   l(u"Verb"),
                   i(u"AutoActivate", 1),
                   t(u"StatusBarText"),
                   b(u"Visible", true),
                   i(u"DisplayWhen"),
                   b(u"Enabled", true),
                   b(u"Locked", false),
                   b(u"TabStop", true),
                   i(u"TabIndex"),
                   QM_POSITION,
                   QM_BACK(1),
                   QM_BORDER(1),
                   t(u"ControlTipText"),
                   l(u"HelpContextId"),
                   t(u"ShortcutMenuBar"),
                   t(u"Tag"),
                   x(u"OleData"),
                   i(u"Action"),
                   t(u"OnUpdated"),
                   t(u"OnEnter"),
                   t(u"OnExit"),
                   t(u"OnGotFocus"),
                   t(u"OnLostFocus"),
                   QM_MOUSE_EVENTS,
                   i(u"OverlapFlags"),
                   x(u"GUID")}});
}

PropertyOrder pageBreakOrder()
{
    return build({{QM_HEAD(ControlTypeCode::PageBreak), b(u"Visible", true), QM_POSITION, t(u"Tag"),
                   i(u"OverlapFlags"), x(u"GUID")}});
}

PropertyOrder customControlOrder()
{
    return build({{QM_HEAD(ControlTypeCode::CustomControl),
                   t(u"OLEClass"),
                   t(u"Class"),
                   t(u"ControlSource"),
                   b(u"Visible", true),
                   i(u"DisplayWhen"),
                   b(u"Enabled", true),
                   b(u"Locked", false),
                   b(u"TabStop", true),
                   i(u"TabIndex"),
                   QM_POSITION,
                   QM_BORDER(1),
                   t(u"ControlTipText"),
                   l(u"HelpContextId"),
                   t(u"Tag"),
                   l(u"Verb"),
                   x(u"OleData"),
                   t(u"OnUpdated"),
                   t(u"OnEnter"),
                   t(u"OnExit"),
                   t(u"OnGotFocus"),
                   t(u"OnLostFocus"),
                   i(u"OverlapFlags"),
                   x(u"GUID")}});
}

PropertyOrder tabOrder()
{
    return build({{QM_HEAD(ControlTypeCode::TabCtl),
                   b(u"MultiRow", false),
                   i(u"Style"),
                   i(u"TabFixedHeight"),
                   i(u"TabFixedWidth"),
                   t(u"StatusBarText"),
                   b(u"Visible", true),
                   i(u"DisplayWhen"),
                   b(u"Enabled", true),
                   b(u"TabStop", true),
                   i(u"TabIndex"),
                   QM_POSITION,
                   i(u"BackStyle", 1),
                   QM_FONT,
                   t(u"ControlTipText"),
                   l(u"HelpContextId"),
                   t(u"ShortcutMenuBar"),
                   t(u"Tag"),
                   t(u"OnChange"),
                   QM_MOUSE_EVENTS,
                   t(u"OnKeyDown"),
                   t(u"OnKeyUp"),
                   t(u"OnKeyPress"),
                   i(u"OverlapFlags"),
                   x(u"GUID")}});
}

PropertyOrder pageOrder()
{
    return build(
        {{QM_HEAD(ControlTypeCode::Page), t(u"Caption"), t(u"Picture"), i(u"PictureType"),
          x(u"PictureData"), i(u"PageIndex"), t(u"StatusBarText"), b(u"Visible", true),
          b(u"Enabled", true), QM_POSITION, t(u"ControlTipText"), l(u"HelpContextId"),
          t(u"ShortcutMenuBar"), t(u"Tag"), QM_MOUSE_EVENTS, i(u"OverlapFlags"), x(u"GUID")}});
}

// Attachment, layout cells, web browser, navigation and chart controls:
// only what every control has; what the file says beyond it is appended.
PropertyOrder laterControlOrder(int code)
{
    return build({{QM_HEAD(code), t(u"ControlSource"), b(u"Visible", true), i(u"DisplayWhen"),
                   b(u"Enabled", true), b(u"Locked", false), b(u"TabStop", true), i(u"TabIndex"),
                   QM_POSITION, QM_BORDER(1), t(u"ControlTipText"), t(u"Tag"), i(u"OverlapFlags"),
                   x(u"GUID")}});
}

#undef QM_HEAD
#undef QM_POSITION
#undef QM_SIZED_POSITION
#undef QM_BORDER
#undef QM_FONT
#undef QM_FOCUS_EVENTS
#undef QM_MOUSE_EVENTS
#undef QM_LABEL_LAYOUT
#undef QM_DATASHEET_COLUMN
#undef QM_BACK

struct ControlOrders
{
    std::map<int, PropertyOrder> plain;
    std::map<int, PropertyOrder> members;

    ControlOrders()
    {
        using namespace ControlTypeCode;
        plain[Label] = labelOrder();
        plain[Rectangle] = rectangleOrder();
        plain[Line] = lineOrder();
        plain[Image] = imageOrder();
        plain[CommandButton] = commandButtonOrder();
        plain[OptionButton] = checkOrder(OptionButton, false);
        plain[CheckBox] = checkOrder(CheckBox, false);
        plain[OptionGroup] = optionGroupOrder();
        plain[BoundObjectFrame] = boundObjectFrameOrder();
        plain[TextBox] = textBoxOrder();
        plain[ListBox] = listBoxOrder();
        plain[ComboBox] = comboBoxOrder();
        plain[Subform] = subformOrder();
        plain[ObjectFrame] = objectFrameOrder();
        plain[PageBreak] = pageBreakOrder();
        plain[CustomControl] = customControlOrder();
        plain[ToggleButton] = toggleButtonOrder(false);
        plain[TabCtl] = tabOrder();
        plain[Page] = pageOrder();
        for (int code = 126; code <= 133; ++code)
            plain[code] = laterControlOrder(code);
        members[OptionButton] = checkOrder(OptionButton, true);
        members[CheckBox] = checkOrder(CheckBox, true);
        members[ToggleButton] = toggleButtonOrder(true);
    }
};

const ControlOrders &controlOrders()
{
    static const ControlOrders orders;
    return orders;
}

} // namespace

const PropertyOrder &formPropertyOrder()
{
    static const PropertyOrder order = formOrder();
    return order;
}

const PropertyOrder &reportPropertyOrder()
{
    static const PropertyOrder order = reportOrder();
    return order;
}

const PropertyOrder &groupLevelPropertyOrder()
{
    static const PropertyOrder order = groupLevelOrder();
    return order;
}

const PropertyOrder *controlPropertyOrder(int controlType, bool optionGroupMember)
{
    const ControlOrders &orders = controlOrders();
    if (optionGroupMember) {
        const auto member = orders.members.find(controlType);
        if (member != orders.members.end())
            return &member->second;
    }
    const auto plain = orders.plain.find(controlType);
    return plain == orders.plain.end() ? nullptr : &plain->second;
}

QList<int> controlTypeCodes()
{
    QList<int> codes;
    for (const auto &entry : controlOrders().plain)
        codes.append(entry.first);
    return codes;
}

namespace {

// The export's control keywords with their ControlType codes.
const QHash<QString, int> &keywordCodes()
{
    using namespace ControlTypeCode;
    static const QHash<QString, int> codes{
        {QStringLiteral("Label"), Label},
        {QStringLiteral("Rectangle"), Rectangle},
        {QStringLiteral("Line"), Line},
        {QStringLiteral("Image"), Image},
        {QStringLiteral("CommandButton"), CommandButton},
        {QStringLiteral("OptionButton"), OptionButton},
        {QStringLiteral("CheckBox"), CheckBox},
        {QStringLiteral("OptionGroup"), OptionGroup},
        {QStringLiteral("BoundObjectFrame"), BoundObjectFrame},
        {QStringLiteral("TextBox"), TextBox},
        {QStringLiteral("ListBox"), ListBox},
        {QStringLiteral("ComboBox"), ComboBox},
        {QStringLiteral("Subform"), Subform},
        {QStringLiteral("UnboundObjectFrame"), ObjectFrame},
        {QStringLiteral("PageBreak"), PageBreak},
        {QStringLiteral("CustomControl"), CustomControl},
        {QStringLiteral("ToggleButton"), ToggleButton},
        {QStringLiteral("Tab"), TabCtl},
        {QStringLiteral("Page"), Page},
        {QStringLiteral("Attachment"), Attachment},
        {QStringLiteral("EmptyCell"), EmptyCell},
        {QStringLiteral("WebBrowser"), WebBrowser},
        {QStringLiteral("NavigationControl"), NavigationControl},
        {QStringLiteral("NavigationButton"), NavigationButton},
        {QStringLiteral("Chart"), Chart},
    };
    return codes;
}

} // namespace

int controlTypeOfKeyword(QStringView keyword)
{
    return keywordCodes().value(keyword.toString(), 0);
}

QString controlKeywordOfType(int controlType)
{
    return keywordCodes().key(controlType);
}

bool canBeOptionGroupMember(int controlType)
{
    return controlType == ControlTypeCode::CheckBox ||
           controlType == ControlTypeCode::OptionButton ||
           controlType == ControlTypeCode::ToggleButton;
}
