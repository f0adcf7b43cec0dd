#pragma once

// The Access objects of a target's designs: forms and reports with their
// design properties, controls and group levels. Their Properties keep the
// host's order; reading a property an object lacks raises 2455 where it is
// read. A DesignSource (host/design) fills them from the file's own storage
// or from Access's text export.

#include "host/objects/properties.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

// Access's ControlType codes.
namespace ControlTypeCode {
inline constexpr int Label = 100;
inline constexpr int Rectangle = 101;
inline constexpr int Line = 102;
inline constexpr int Image = 103;
inline constexpr int CommandButton = 104;
inline constexpr int OptionButton = 105;
inline constexpr int CheckBox = 106;
inline constexpr int OptionGroup = 107;
inline constexpr int BoundObjectFrame = 108;
inline constexpr int TextBox = 109;
inline constexpr int ListBox = 110;
inline constexpr int ComboBox = 111;
inline constexpr int Subform = 112;
inline constexpr int ObjectFrame = 114;
inline constexpr int PageBreak = 118;
inline constexpr int CustomControl = 119;
inline constexpr int ToggleButton = 122;
inline constexpr int TabCtl = 123;
inline constexpr int Page = 124;
inline constexpr int Attachment = 126;
inline constexpr int EmptyCell = 127;
inline constexpr int WebBrowser = 128;
inline constexpr int NavigationControl = 129;
inline constexpr int NavigationButton = 130;
inline constexpr int Chart = 133;
} // namespace ControlTypeCode

// A control of a form or report: everything it has is a property
// (Name, ControlType, Visible, Top, ...), in the host's order.
struct Control
{
    ::Properties properties{Properties::Owner::Access};
    int section = 0; // index in the object's sections
    // Index in Controls of the control holding this one (a tab page, an
    // option group, the control a label is attached to); -1 for none.
    int parent = -1;

    const ::Properties &Properties() const { return properties; }
    // A property's value by name; missing raises 2455.
    const ::Value &property(QStringView name) const { return properties.item(name).Value(); }
    QString Name() const;
};

// A sorting and grouping level of a report (ControlSource, SortOrder,
// GroupHeader, GroupFooter, GroupOn, GroupInterval, KeepTogether).
struct GroupLevel
{
    ::Properties properties{Properties::Owner::Access};
    const ::Value &property(QStringView name) const { return properties.item(name).Value(); }
};

// A section of a form or report as stored: its kind ("FormHeader",
// "PageHeader", "BreakHeader", "Section" for the detail, "BreakFooter",
// "PageFooter", "FormFooter") and its settings (Height, BackColor,
// Visible, ...) with the values the design gives.
struct Section
{
    QString kind;
    ::Properties properties{Properties::Owner::Access};
};

// A form or report opened in design view.
struct AccessObject
{
    QString name;
    ::Properties properties{Properties::Owner::Access};
    QList<Section> sections; // in stored order
    QList<Control> controls;
    QList<GroupLevel> groupLevels; // reports only
    bool hasModule = false;
    bool isReport = false;

    const ::Properties &Properties() const { return properties; }
    const ::Value &property(QStringView name) const { return properties.item(name).Value(); }
    int ControlCount() const { return int(controls.size()); }
    // Controls(i): out of range raises 2455.
    const Control &Controls(int index) const;
    // GroupLevel(k): a level the report does not have raises 2455.
    const GroupLevel &GroupLevels(int index) const;
    bool HasModule() const { return hasModule; }
};

using Form = AccessObject;
using Report = AccessObject;

// Fills forms and reports of one target. Reading a design that cannot be
// decoded raises 31001 naming the object and what was tried.
class DesignSource
{
public:
    virtual ~DesignSource() = default;
    virtual Form form(const QString &name) = 0;
    virtual Report report(const QString &name) = 0;
};

// Opens the design source of the target at a path; called once per opened
// target, on the first design read.
using DesignOpener = std::function<std::shared_ptr<DesignSource>(const QString &path)>;
