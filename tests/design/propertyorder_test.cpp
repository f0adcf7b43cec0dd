// The property lists the harvesters read by position and by name: each
// control type's event range holds its events and nothing else, an option
// group member has OptionValue where the harvest looks for it and a
// non-member has none, the form's and report's event positions, and every
// property the harvest rows read is there with the type Access gives it.

#include "host/design/propertyorder.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

bool isEventName(const QString &name)
{
    static const QRegularExpression event(QStringLiteral("^(On|Before|After)[A-Z][A-Za-z]*$"));
    return event.match(name).hasMatch();
}

QStringList namesOf(const PropertyOrder &order)
{
    QStringList names;
    for (const PropertyDefinition &p : order)
        names.append(p.name);
    return names;
}

const PropertyDefinition *findIn(const PropertyOrder &order, const QString &name)
{
    for (const PropertyDefinition &p : order) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

// The positions the control harvest reads as events: by type, and by whether
// Properties.Count exceeds the threshold (none: the same range either way).
struct EventRanges
{
    int code;
    const char *type;
    int threshold; // -1: none
    int aboveFirst, aboveLast, belowFirst, belowLast;
};

const EventRanges eventRanges[] = {
    {ControlTypeCode::CommandButton, "CommandButton", -1, 38, 49, 38, 49},
    {ControlTypeCode::ToggleButton, "ToggleButton", 52, 41, 54, 38, 51},
    {ControlTypeCode::CheckBox, "CheckBox", 45, 34, 47, 31, 44},
    {ControlTypeCode::OptionButton, "OptionButton", 45, 34, 47, 31, 44},
    {ControlTypeCode::ComboBox, "ComboBox", 79, 66, 81, 63, 78},
    {ControlTypeCode::ListBox, "ListBox", 64, 53, 66, 50, 63},
    {ControlTypeCode::TextBox, "TextBox", 75, 63, 77, 60, 74},
    {ControlTypeCode::OptionGroup, "OptionGroup", 41, 35, 43, 32, 40},
    {ControlTypeCode::BoundObjectFrame, "BoundObjectFrame", 58, 46, 60, 43, 57},
};

} // namespace

TEST(PropertyOrder, EventRangesHoldEveryEventOfTheTypeAndNothingElse)
{
    for (const EventRanges &r : eventRanges) {
        SCOPED_TRACE(r.type);
        const PropertyOrder *order = controlPropertyOrder(r.code);
        ASSERT_TRUE(order);
        const int count = int(order->size());
        // Every list is on the side above its threshold (propertyorder.cpp).
        if (r.threshold >= 0) {
            EXPECT_GT(count, r.threshold);
        }
        const bool above = r.threshold < 0 || count > r.threshold;
        const int first = above ? r.aboveFirst : r.belowFirst;
        const int last = above ? r.aboveLast : r.belowLast;
        ASSERT_GT(count, last);
        for (int p = 0; p < count; ++p) {
            const QString &name = (*order)[p].name;
            EXPECT_EQ(isEventName(name), p >= first && p <= last)
                << "position " << p << ": " << name.toStdString();
            if (p >= first && p <= last) {
                EXPECT_TRUE((*order)[p].defaultValue == Value(QString())) << name.toStdString();
            }
        }
        // The events every control with a focus has, for the types that have one.
        if (r.code != ControlTypeCode::OptionGroup) {
            const QStringList inRange = namesOf(*order).mid(first, last - first + 1);
            for (const char *event : {"OnEnter", "OnExit", "OnGotFocus", "OnLostFocus", "OnClick",
                                      "OnKeyDown", "OnKeyPress"})
                EXPECT_TRUE(inRange.contains(QLatin1String(event))) << event;
        }
    }
}

TEST(PropertyOrder, OptionValueOnlyOnMembersWhereTheHarvestLooks)
{
    const struct
    {
        int code;
        int position;
    } cases[] = {{ControlTypeCode::CheckBox, 3},
                 {ControlTypeCode::OptionButton, 3},
                 {ControlTypeCode::ToggleButton, 7}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        const PropertyOrder *member = controlPropertyOrder(c.code, true);
        const PropertyOrder *plain = controlPropertyOrder(c.code, false);
        ASSERT_TRUE(member && plain);
        ASSERT_NE(member, plain);
        EXPECT_EQ((*member)[c.position].name, QStringLiteral("OptionValue"));
        EXPECT_EQ((*member)[c.position].defaultValue.type(), Value::Type::Long);
        EXPECT_FALSE(namesOf(*plain).contains(QStringLiteral("OptionValue")));
        EXPECT_EQ(member->size(), plain->size() + 1);
        // Apart from OptionValue the member has the same properties in the same order.
        QStringList withoutOptionValue = namesOf(*member);
        withoutOptionValue.removeAt(c.position);
        EXPECT_EQ(withoutOptionValue, namesOf(*plain));
    }
    // Other types have no member variant.
    EXPECT_EQ(controlPropertyOrder(ControlTypeCode::TextBox, true),
              controlPropertyOrder(ControlTypeCode::TextBox, false));
    EXPECT_TRUE(canBeOptionGroupMember(ControlTypeCode::ToggleButton));
    EXPECT_FALSE(canBeOptionGroupMember(ControlTypeCode::OptionGroup));
}

TEST(PropertyOrder, FormAndReportEventPositions)
{
    const PropertyOrder &form = formPropertyOrder();
    ASSERT_GT(form.size(), 102);
    QStringList formEvents;
    for (int p = 76; p <= 102; ++p) {
        EXPECT_TRUE(isEventName(form[p].name)) << p << ": " << form[p].name.toStdString();
        formEvents.append(form[p].name);
    }
    for (int p = 0; p < 76; ++p)
        EXPECT_FALSE(isEventName(form[p].name)) << p << ": " << form[p].name.toStdString();
    for (const char *event :
         {"OnCurrent",  "BeforeInsert", "AfterInsert", "BeforeUpdate", "AfterUpdate",
          "OnOpen",     "OnLoad",       "OnResize",    "OnUnload",     "OnClose",
          "OnActivate", "OnDeactivate", "OnGotFocus",  "OnLostFocus",  "OnClick",
          "OnDblClick", "OnMouseDown",  "OnMouseMove", "OnMouseUp",    "OnKeyDown",
          "OnKeyUp",    "OnKeyPress",   "OnError",     "OnFilter",     "OnApplyFilter",
          "OnTimer"})
        EXPECT_TRUE(formEvents.contains(QLatin1String(event))) << event;

    const PropertyOrder &report = reportPropertyOrder();
    ASSERT_GT(report.size(), 47);
    QStringList reportEvents;
    for (int p = 0; p < report.size(); ++p) {
        EXPECT_EQ(isEventName(report[p].name), p >= 41 && p <= 47)
            << p << ": " << report[p].name.toStdString();
        if (p >= 41 && p <= 47)
            reportEvents.append(report[p].name);
    }
    reportEvents.sort();
    EXPECT_EQ(reportEvents, QStringList({"OnActivate", "OnClose", "OnDeactivate", "OnError",
                                         "OnNoData", "OnOpen", "OnPage"}));
}

TEST(PropertyOrder, EveryPropertyTheHarvestReadsWithItsType)
{
    using namespace ControlTypeCode;
    using T = Value::Type;
    const QList<std::pair<QString, T>> everyControl{
        {"Name", T::Text},     {"ControlType", T::Integer}, {"Visible", T::Boolean},
        {"Top", T::Integer},   {"Left", T::Integer},        {"Width", T::Integer},
        {"Height", T::Integer}};
    const QList<std::pair<QString, T>> focus{
        {"TabStop", T::Boolean}, {"TabIndex", T::Integer}, {"ControlTipText", T::Text}};
    const QList<std::pair<QString, T>> validated{{"ControlSource", T::Text},
                                                 {"DefaultValue", T::Text},
                                                 {"Locked", T::Boolean},
                                                 {"ValidationRule", T::Text},
                                                 {"ValidationText", T::Text}};
    const QList<std::pair<QString, T>> rows{{"RowSourceType", T::Text},
                                            {"RowSource", T::Text},
                                            {"ColumnCount", T::Integer},
                                            {"BoundColumn", T::Integer}};
    const QList<std::pair<QString, T>> typed{{"Format", T::Text},
                                             {"InputMask", T::Text},
                                             {"IMEMode", T::Integer},
                                             {"IMEHold", T::Boolean}};
    const QList<std::pair<QString, T>> picture{{"Picture", T::Text}, {"PictureType", T::Integer}};
    const QList<std::pair<QString, T>> line{{"BorderStyle", T::Integer},
                                            {"BorderWidth", T::Integer}};
    const std::pair<QString, T> caption{"Caption", T::Text};
    const struct
    {
        int code;
        QList<std::pair<QString, T>> reads;
    } cases[] = {
        {Label, {caption}},
        {Page, {caption}},
        {Rectangle, line},
        {Line, line},
        {Image, picture + QList<std::pair<QString, T>>{{"SizeMode", T::Integer},
                                                       {"PictureAlignment", T::Integer}}},
        {Subform, focus + QList<std::pair<QString, T>>{{"SourceObject", T::Text},
                                                       {"LinkChildFields", T::Text},
                                                       {"LinkMasterFields", T::Text},
                                                       {"Locked", T::Boolean}}},
        {ObjectFrame, {{"SizeMode", T::Integer}, {"OLEClass", T::Text}}},
        {TabCtl, {{"TabStop", T::Boolean}, {"TabIndex", T::Integer}}},
        {PageBreak, {}},
        {CustomControl, {}},
        {CheckBox, validated + focus},
        {OptionButton, validated + focus},
        {ToggleButton, validated + focus + picture + QList<std::pair<QString, T>>{caption}},
        {CommandButton, focus + picture + QList<std::pair<QString, T>>{caption}},
        {ComboBox, validated + focus + rows + typed},
        {ListBox, validated + focus + rows},
        {TextBox, validated + focus + typed},
        {OptionGroup, validated + focus},
        {BoundObjectFrame, focus + QList<std::pair<QString, T>>{{"ControlSource", T::Text}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        const PropertyOrder *order = controlPropertyOrder(c.code);
        ASSERT_TRUE(order);
        for (const auto &[name, type] : everyControl + c.reads) {
            const PropertyDefinition *p = findIn(*order, name);
            ASSERT_TRUE(p) << name.toStdString();
            EXPECT_EQ(p->defaultValue.type(), type) << name.toStdString();
        }
        EXPECT_EQ(findIn(*order, QStringLiteral("ControlType"))->defaultValue,
                  Value::integer(qint16(c.code)));
    }
    // Members read OptionValue and Locked.
    EXPECT_TRUE(findIn(*controlPropertyOrder(CheckBox, true), QStringLiteral("Locked")));
    EXPECT_EQ(
        findIn(*controlPropertyOrder(ComboBox), QStringLiteral("RowSourceType"))->defaultValue,
        Value(QStringLiteral("Table/Query")));
    EXPECT_EQ(findIn(*controlPropertyOrder(TextBox), QStringLiteral("Visible"))->defaultValue,
              Value::boolean(true));

    for (const QString name : {"RecordSource", "Filter", "OrderBy", "Caption", "DefaultView",
                               "AllowEdits", "AllowDeletions", "AllowAdditions", "DataEntry",
                               "RecordsetType", "RecordLocks", "PopUp", "Modal", "HasModule"})
        EXPECT_TRUE(findIn(formPropertyOrder(), name)) << name.toStdString();
    EXPECT_EQ(findIn(formPropertyOrder(), QStringLiteral("AllowEdits"))->defaultValue,
              Value::boolean(true));
    EXPECT_EQ(findIn(formPropertyOrder(), QStringLiteral("RecordSource"))->defaultValue,
              Value(QString()));
    for (const QString name :
         {"RecordSource", "Filter", "OrderBy", "Caption", "RecordLocks", "HasModule"})
        EXPECT_TRUE(findIn(reportPropertyOrder(), name)) << name.toStdString();

    const PropertyOrder &level = groupLevelPropertyOrder();
    ASSERT_EQ(level.size(), 7);
    const QList<std::pair<QString, Value>> levelDefaults{
        {"ControlSource", Value(QString())},    {"SortOrder", Value::boolean(false)},
        {"GroupHeader", Value::boolean(false)}, {"GroupFooter", Value::boolean(false)},
        {"GroupOn", Value::integer(0)},         {"GroupInterval", Value::integer(1)},
        {"KeepTogether", Value::integer(0)}};
    for (const auto &[name, value] : levelDefaults) {
        const PropertyDefinition *p = findIn(level, name);
        ASSERT_TRUE(p) << name.toStdString();
        EXPECT_EQ(p->defaultValue, value) << name.toStdString();
    }
}

TEST(PropertyOrder, NamesAreUniqueAndEveryKeywordHasAList)
{
    QList<const PropertyOrder *> orders{&formPropertyOrder(), &reportPropertyOrder(),
                                        &groupLevelPropertyOrder()};
    for (int code : controlTypeCodes()) {
        orders.append(controlPropertyOrder(code, false));
        orders.append(controlPropertyOrder(code, true));
    }
    for (const PropertyOrder *order : orders) {
        ASSERT_TRUE(order);
        const QStringList names = namesOf(*order);
        EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size())
            << names.join(u',').toStdString();
    }
    const QList<int> codes = controlTypeCodes();
    for (int code : {100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 114,
                     118, 119, 122, 123, 124, 126, 127, 128, 129, 130, 131, 132, 133})
        EXPECT_TRUE(codes.contains(code)) << code;
    EXPECT_FALSE(controlPropertyOrder(113));
    EXPECT_FALSE(controlPropertyOrder(0));
    const struct
    {
        const char *keyword;
        int code;
    } keywords[] = {
        {"Tab", 123},   {"UnboundObjectFrame", 114}, {"Page", 124}, {"Label", 100}, {"Chart", 133},
        {"Section", 0}, {"BreakLevel", 0},           {"label", 0}};
    for (const auto &k : keywords)
        EXPECT_EQ(controlTypeOfKeyword(QString::fromLatin1(k.keyword)), k.code) << k.keyword;
}
