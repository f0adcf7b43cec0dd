#pragma once

// What the form and report control listings share: the row writer
// CtlPtyWrite, the row kinds with their labels and joined values, the
// per-type row rules, the position and size text (TLWH), the option-group
// membership test, the summary row's event slots and document fields.

#include "host/command/mainstate.h"
#include "host/objects/access.h"
#include "host/store/recordset.h"

#include <QList>
#include <QString>

enum class RowKind {
    Caption,
    SourceObject,
    LinkChild,
    LinkMaster,
    Lock,
    TabOrder,
    Picture,
    PictureSize,
    LineStyle,
    OleSize,
    Blank,
    OptionValue,
    ReportOptionValue,
    TipText,
    ControlSource,
    DefaultLock,
    Validation,
    FormatMask,
    Ime,
    RowSourceKind,
    RowSource,
    Columns,
};

// When a row is written: always, when the named property differs from the
// empty text, or when the named Boolean property is False / True.
struct RowCondition
{
    enum Test { Always, NonEmpty, IsFalse, IsTrue };
    Test test = Always;
    const char16_t *property = nullptr;
};

struct RowRule
{
    RowKind kind;
    RowCondition when;
};

// The conditions as the row tables write them.
inline constexpr RowCondition always{};
inline RowCondition nonEmpty(const char16_t *property)
{
    return {RowCondition::NonEmpty, property};
}
inline RowCondition isFalse(const char16_t *property)
{
    return {RowCondition::IsFalse, property};
}
inline RowCondition isTrue(const char16_t *property)
{
    return {RowCondition::IsTrue, property};
}

// RowSourceKind, RowSource and Columns, each when RowSource is non-empty:
// the list and combo box rows of both listings.
const QList<RowRule> &rowSourceRules();

// The rows of a group of control types, in their order; `events` adds the
// event rows after them (forms only).
struct TypeRows
{
    QList<const char *> types;
    QList<RowRule> rules;
    bool events = false;
};
// The entry of `table` for a ControlType word; null for "?" and types
// without rows.
const TypeRows *rowsFor(const QList<TypeRows> &table, const QString &typeWord);

// Positions first..last of a control's properties.
struct EventRange
{
    int first = 0, last = -1;
};
using EventRangeOf = EventRange (*)(const QString &typeWord, int propertyCount);

// Every control of the object in order: numbered and described, then the
// rows `table` gives its type (an option-group member: `memberRows`), and
// for types with events the Event rows of the range `events` chooses.
void writeControls(MainState &state, Recordset &items, const AccessObject &object,
                   const QList<TypeRows> &table, const QList<RowRule> &memberRows,
                   EventRangeOf events = nullptr);

// Writes the buffer as one item row (AddNew, the ten fields in order,
// Update) and empties its row fields.
void CtlPtyWrite(ControlItemBuffer &buffer, Recordset &items);

// Steps a and b of a control: the counter raised, then Name, ControlType,
// cntlVisible and TLWH set. Returns the ControlType word.
QString beginControl(ControlItemBuffer &buffer, const Control &control);

// "1.764cm・1cm・5cm・0.499cm"; a page break has Top and Left only.
QString tlwhText(ControlItemBuffer &buffer, const Control &control, bool pageBreak);
// Twips to centimetres: twips / 567 to four decimals (half to even), then
// RoundOff to three.
double centimetres(qint32 twips);

// A check box, option button or toggle button inside an option group: the
// property at position 3 (toggle button: 7) is OptionValue.
bool isOptionGroupMember(const Control &control, const QString &typeWord);

// Writes the rows of `rules` whose conditions hold, numbering them.
void writeRows(ControlItemBuffer &buffer, Recordset &items, const Control &control,
               const QList<RowRule> &rules);
// One Event row for each non-empty property at positions first..last.
void writeEventRows(ControlItemBuffer &buffer, Recordset &items, const Control &control, int first,
                    int last);

// The start of a form's or report's summary row: the object counter raised,
// AddNew, objectNo, RecordSource (255 characters), Filter, OrderBy and
// Caption (100 each).
void beginSummaryRow(MainState &state, Recordset &info, const AccessObject &object);
// The summary row's event slots Ibent1..4 / IbentVL1..4 from positions
// first..last of the object's properties; a fifth event finds no slot.
void fillEventSlots(Recordset &info, const Properties &properties, int first, int last);
// The fields of the container's first document named `name`: its name into
// `nameField`, DateCreated, LastUpdated and Description.
void writeDocumentFields(Recordset &info, const Database &db, QStringView container,
                         const QString &name, const QString &nameField);
