#include "harvest/controlrows.h"

#include "harvest/fieldcolumns.h"
#include "harvest/vocabulary.h"
#include "host/objects/database.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

namespace {

const QString Dot = QStringLiteral("・");

// A value taken as text; a Null raises, as CStr does.
QString text(const Control &control, QStringView property)
{
    return vb::CStr(control.property(property));
}

// A part of a joined value; a Null part is the empty text.
QString part(const Control &control, QStringView property)
{
    return vb::textOrEmpty(control.property(property));
}

// v <> "": a Null compares as unknown, which is not true.
bool differsFromEmpty(const Value &value)
{
    return !value.isNull() && vb::CStr(value) != QString();
}

bool holds(const RowCondition &when, const Control &control)
{
    if (when.test == RowCondition::Always)
        return true;
    const Value &value = control.property(QStringView(when.property));
    switch (when.test) {
    case RowCondition::NonEmpty:
        return differsFromEmpty(value);
    case RowCondition::IsFalse:
        return !value.isNull() && value.isNumeric() && value.toDouble() == 0;
    case RowCondition::IsTrue:
        return !value.isNull() && value.isNumeric() && value.toDouble() == -1;
    case RowCondition::Always:
        break;
    }
    return true;
}

struct RowText
{
    QString bunrui, name, value;
};

RowText rowText(RowKind kind, const Control &c)
{
    const QString format = QStringLiteral("書式"), data = QStringLiteral("ﾃﾞｰﾀ"),
                  other = QStringLiteral("その他");
    switch (kind) {
    case RowKind::Caption:
        return {format, QStringLiteral("標題"), text(c, u"Caption")};
    case RowKind::SourceObject:
        return {data, QStringLiteral("ｿｰｽｵﾌﾞｼﾞｪｸﾄ"), text(c, u"SourceObject")};
    case RowKind::LinkChild:
        return {data, QStringLiteral("ﾘﾝｸ子ﾌｨｰﾙﾄﾞ"), text(c, u"LinkChildFields")};
    case RowKind::LinkMaster:
        return {data, QStringLiteral("ﾘﾝｸ親ﾌｨｰﾙﾄﾞ"), text(c, u"LinkMasterFields")};
    case RowKind::Lock:
        return {data, QStringLiteral("編集ﾛｯｸ"), YesNoName(text(c, u"Locked"))};
    case RowKind::TabOrder:
        return {other, QStringLiteral("ﾀﾌﾞｽﾄｯﾌﾟ・移動順"),
                YesNoName(part(c, u"TabStop")) + Dot + part(c, u"TabIndex")};
    case RowKind::Picture:
        return {format, QStringLiteral("ﾋﾟｸﾁｬ・ﾀｲﾌﾟ"),
                part(c, u"Picture") + Dot + OLETypeName(part(c, u"PictureType"))};
    case RowKind::PictureSize:
        return {format, QStringLiteral("OLEｻｲｽﾞ・配置"),
                SizeModeName(part(c, u"SizeMode")) + Dot + part(c, u"PictureAlignment")};
    case RowKind::LineStyle:
        return {format, QStringLiteral("線種・線幅"),
                LineStyleName(part(c, u"BorderStyle")) + Dot + part(c, u"BorderWidth")};
    case RowKind::OleSize:
        return {format, QStringLiteral("OLEｻｲｽﾞ・OLEｸﾗｽ"),
                SizeModeName(part(c, u"SizeMode")) + Dot + part(c, u"OLEClass")};
    case RowKind::Blank:
        return {};
    case RowKind::OptionValue:
        return {data, QStringLiteral("ｵﾌﾟｼｮﾝ値・編集ﾛｯｸ"),
                part(c, u"OptionValue") + Dot + YesNoName(part(c, u"Locked"))};
    case RowKind::ReportOptionValue:
        return {data, QStringLiteral("ｵﾌﾟｼｮﾝ値"), text(c, u"OptionValue")};
    case RowKind::TipText:
        return {other, QStringLiteral("ﾋﾝﾄﾃｷｽﾄ"), text(c, u"ControlTipText")};
    case RowKind::ControlSource:
        return {data, QStringLiteral("ｺﾝﾄﾛｰﾙｿｰｽ"), text(c, u"ControlSource")};
    case RowKind::DefaultLock:
        return {data, QStringLiteral("規定値・編集ﾛｯｸ"),
                part(c, u"DefaultValue") + Dot + YesNoName(part(c, u"Locked"))};
    case RowKind::Validation:
        return {data, QStringLiteral("入力規則(ﾒｯｾｰｼﾞ)"),
                part(c, u"ValidationRule") + QLatin1Char('(') + part(c, u"ValidationText") +
                    QLatin1Char(')')};
    case RowKind::FormatMask:
        return {format, QStringLiteral("書式・定型入力"),
                part(c, u"Format") + Dot + part(c, u"InputMask")};
    case RowKind::Ime:
        return {other, QStringLiteral("IMEﾓｰﾄﾞ・保持"),
                IMEModeName(part(c, u"IMEMode")) + Dot + YesNoName(part(c, u"IMEHold"))};
    case RowKind::RowSourceKind:
        return {data, QStringLiteral("値集合ﾀｲﾌﾟ"), RowSourceTypeName(text(c, u"RowSourceType"))};
    case RowKind::RowSource:
        return {data, QStringLiteral("値集合ｿｰｽ"), text(c, u"RowSource")};
    case RowKind::Columns:
        return {data, QStringLiteral("列数・連結列"),
                part(c, u"ColumnCount") + Dot + part(c, u"BoundColumn")};
    }
    return {};
}

void writeRow(ControlItemBuffer &buffer, Recordset &items, const RowText &row)
{
    vb::increment(buffer.PropertyNo);
    buffer.Bunrui = row.bunrui;
    buffer.PropertyName = row.name;
    buffer.PropertyValue = row.value;
    CtlPtyWrite(buffer, items);
}

// Text of a centimetre value: up to 15 significant digits, no trailing zeros.
QString centimetreText(double cm)
{
    return vb::CStr(Value::dbl(cm));
}

} // namespace

const QList<RowRule> &rowSourceRules()
{
    static const QList<RowRule> rules{{RowKind::RowSourceKind, nonEmpty(u"RowSource")},
                                      {RowKind::RowSource, nonEmpty(u"RowSource")},
                                      {RowKind::Columns, nonEmpty(u"RowSource")}};
    return rules;
}

const TypeRows *rowsFor(const QList<TypeRows> &table, const QString &typeWord)
{
    for (const TypeRows &rows : table) {
        for (const char *type : rows.types) {
            if (typeWord == QLatin1String(type))
                return &rows;
        }
    }
    return nullptr;
}

void CtlPtyWrite(ControlItemBuffer &buffer, Recordset &items)
{
    items.AddNew();
    items.setField(QStringLiteral("objectNo"), Value::integer(buffer.objectNo));
    items.setField(QStringLiteral("ControlNo"), Value::integer(buffer.ControlNo));
    items.setField(QStringLiteral("PropertyNo"), Value::integer(buffer.PropertyNo));
    items.setField(QStringLiteral("Name"), buffer.Name);
    items.setField(QStringLiteral("ControlType"), buffer.ControlType);
    items.setField(QStringLiteral("cntlVisible"), buffer.cntlVisible);
    items.setField(QStringLiteral("TLWH"), buffer.TLWH);
    items.setField(QStringLiteral("Bunrui"), buffer.Bunrui);
    items.setField(QStringLiteral("PropertyName"), buffer.PropertyName);
    items.setField(QStringLiteral("PropertyValue"), buffer.PropertyValue);
    items.Update(1, false);
    buffer.Bunrui.clear();
    buffer.PropertyName.clear();
    buffer.PropertyValue.clear();
}

double centimetres(qint32 twips)
{
    // twips * 10000 / 567 in ten-thousandths, the exact half to the even one.
    const qint64 numerator = qint64(twips) * 10000;
    qint64 units = numerator / 567;
    const qint64 rest = numerator % 567;
    const qint64 twice = 2 * (rest < 0 ? -rest : rest);
    const qint64 away = rest < 0 ? -1 : 1;
    if (twice > 567 || (twice == 567 && units % 2 != 0))
        units += away;
    return RoundOff(units, 3);
}

QString tlwhText(ControlItemBuffer &buffer, const Control &control, bool pageBreak)
{
    const QString cm = QStringLiteral("cm");
    buffer.top = centimetres(vb::CLng(control.property(u"Top")));
    buffer.left = centimetres(vb::CLng(control.property(u"Left")));
    if (pageBreak)
        return centimetreText(buffer.top) + cm + Dot + centimetreText(buffer.left) + cm;
    buffer.width = centimetres(vb::CLng(control.property(u"Width")));
    buffer.height = centimetres(vb::CLng(control.property(u"Height")));
    return centimetreText(buffer.top) + cm + Dot + centimetreText(buffer.left) + cm + Dot +
           centimetreText(buffer.width) + cm + Dot + centimetreText(buffer.height) + cm;
}

QString beginControl(ControlItemBuffer &buffer, const Control &control)
{
    vb::increment(buffer.ControlNo);
    buffer.PropertyNo = 0;
    buffer.Name = storedText(vb::CStr(control.property(u"Name")), 255);
    buffer.ControlType = ControlTypeName(vb::CStr(control.property(u"ControlType")));
    buffer.cntlVisible = vb::CStr(control.property(u"Visible"));
    buffer.TLWH = tlwhText(buffer, control, buffer.ControlType == QLatin1String("PageBreak"));
    return buffer.ControlType;
}

bool isOptionGroupMember(const Control &control, const QString &typeWord)
{
    if (typeWord != QLatin1String("CheckBox") && typeWord != QLatin1String("OptionButton") &&
        typeWord != QLatin1String("ToggleButton"))
        return false;
    const int position = typeWord == QLatin1String("ToggleButton") ? 7 : 3;
    return control.Properties().item(position).Name() == QLatin1String("OptionValue");
}

void writeRows(ControlItemBuffer &buffer, Recordset &items, const Control &control,
               const QList<RowRule> &rules)
{
    for (const RowRule &rule : rules) {
        if (holds(rule.when, control))
            writeRow(buffer, items, rowText(rule.kind, control));
    }
}

void writeEventRows(ControlItemBuffer &buffer, Recordset &items, const Control &control, int first,
                    int last)
{
    buffer.firstEvent = qint16(first);
    buffer.lastEvent = qint16(last);
    for (int j = first; j <= last; ++j) {
        const Property &property = control.Properties().item(j);
        if (differsFromEmpty(property.Value()))
            writeRow(
                buffer, items,
                {QStringLiteral("ｲﾍﾞﾝﾄ"), EventLabel(property.Name()), vb::CStr(property.Value())});
    }
}

void writeControls(MainState &state, Recordset &items, const AccessObject &object,
                   const QList<TypeRows> &table, const QList<RowRule> &memberRows,
                   EventRangeOf events)
{
    ControlItemBuffer &buffer = state.itemRow;
    buffer.objectNo = state.objectCounter;
    for (int i = 0; i < object.ControlCount(); ++i) {
        const Control &control = object.Controls(i);
        const QString type = beginControl(buffer, control);
        if (isOptionGroupMember(control, type)) {
            writeRows(buffer, items, control, memberRows);
            continue;
        }
        const TypeRows *rows = rowsFor(table, type);
        if (!rows)
            continue;
        writeRows(buffer, items, control, rows->rules);
        if (rows->events && events) {
            const EventRange range = events(type, control.Properties().Count());
            writeEventRows(buffer, items, control, range.first, range.last);
        }
    }
}

void beginSummaryRow(MainState &state, Recordset &info, const AccessObject &object)
{
    vb::increment(state.objectCounter);
    info.AddNew();
    info.setField(QStringLiteral("objectNo"), Value::integer(state.objectCounter));
    auto cut = [&](const char16_t *property, qint64 n) {
        return storedText(vb::CStr(object.property(property)), n);
    };
    info.setField(QStringLiteral("RecordSource"), cut(u"RecordSource", 255));
    info.setField(QStringLiteral("Filter"), cut(u"Filter", 100));
    info.setField(QStringLiteral("OrderBy"), cut(u"OrderBy", 100));
    info.setField(QStringLiteral("Caption"), cut(u"Caption", 100));
}

void fillEventSlots(Recordset &info, const Properties &properties, int first, int last)
{
    auto slotField = [](const char *prefix, int k) {
        return QLatin1String(prefix) + QString::number(k);
    };
    auto empty = [&](int k) {
        return vb::textOrEmpty(info.field(slotField("Ibent", k))) == QString();
    };
    for (int i = first; i <= last; ++i) {
        const Property &property = properties.item(i);
        if (!differsFromEmpty(property.Value()))
            continue;
        int slot = 0;
        if (empty(1)) {
            slot = 1;
        } else {
            for (int k = 2; k <= 4 && slot == 0; ++k) {
                if (!empty(k - 1) && empty(k))
                    slot = k;
            }
        }
        if (slot == 0)
            continue; // every slot taken
        info.setField(slotField("Ibent", slot), EventLabel(property.Name()));
        info.setField(slotField("IbentVL", slot), property.Value());
    }
}

void writeDocumentFields(Recordset &info, const Database &db, QStringView container,
                         const QString &name, const QString &nameField)
{
    for (const Document &doc : db.Containers(container).Documents) {
        if (doc.Name != name)
            continue;
        info.setField(nameField, storedText(doc.Name, 255));
        info.setField(QStringLiteral("DateCreated"), doc.DateCreated);
        info.setField(QStringLiteral("LastUpdated"), doc.LastUpdated);
        const Properties &properties = doc.Properties();
        for (int k = properties.Count() - 1; k >= 0; --k) {
            if (properties.item(k).Name() == QLatin1String("Description"))
                info.setField(QStringLiteral("Description"), properties.item(k).Value());
        }
        return;
    }
}
