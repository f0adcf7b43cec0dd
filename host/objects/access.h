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

// A control of a form or report: everything it has is a property
// (Name, ControlType, Visible, Top, ...), in the host's order.
struct Control
{
    ::Properties properties{Properties::Owner::Access};

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

// A form or report opened in design view.
struct AccessObject
{
    QString name;
    ::Properties properties{Properties::Owner::Access};
    QList<Control> controls;
    QList<GroupLevel> groupLevels; // reports only
    bool hasModule = false;

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
