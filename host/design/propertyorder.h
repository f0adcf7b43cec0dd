#pragma once

// The Properties collections of forms, reports, group levels and controls as
// Access lists them: every property's name in Access's order with the value
// Access gives it by default. The text export writes only what differs from
// these defaults, so a design is rebuilt by copying a list and putting the
// file's values in. The harvesters read some properties by position (the
// event ranges, an option-group member's OptionValue), so the positions here
// are part of the contract; propertyorder.cpp says which ones are fixed.

#include "host/objects/access.h"
#include "host/vb/value.h"

#include <QList>
#include <QString>
#include <QStringView>

struct PropertyDefinition
{
    QString name;
    Value defaultValue;
};

using PropertyOrder = QList<PropertyDefinition>;

const PropertyOrder &formPropertyOrder();
const PropertyOrder &reportPropertyOrder();
// ControlSource, SortOrder, GroupHeader, GroupFooter, GroupOn, GroupInterval, KeepTogether.
const PropertyOrder &groupLevelPropertyOrder();

// The list of a control type; null for a code that has none. A check box,
// option button or toggle button inside an option group has OptionValue
// (at position 3, the toggle button's at 7); outside one it has none.
const PropertyOrder *controlPropertyOrder(int controlType, bool optionGroupMember = false);

// Every control type code that has a list, ascending.
QList<int> controlTypeCodes();

// The ControlType of an export block keyword ("TextBox" 109, "Tab" 123,
// "UnboundObjectFrame" 114); 0 when the keyword names no control.
int controlTypeOfKeyword(QStringView keyword);
// Its inverse: the keyword of a control type code; empty for an unknown one.
QString controlKeywordOfType(int controlType);

// Whether a control of this type becomes an option-group member when placed
// inside an option group.
bool canBeOptionGroupMember(int controlType);
