#pragma once

// Form and report designs built in code for the control listings: a
// control's properties in a given order (Name, ControlType, Visible, Top,
// Left, Width, Height first), padded with neutral properties so that named
// ones land at chosen positions, and a DesignSource that hands them out.

#include "host/objects/access.h"
#include "host/vb/errors.h"

#include <QMap>

// An ordered property list in which a property can be placed at a position:
// the list is padded with "Pad<n>" properties (empty text) up to it.
class PlacedProperties
{
public:
    void set(const QString &name, const Value &value)
    {
        for (Property &p : m_items) {
            if (p.name == name) {
                p.value = value;
                return;
            }
        }
        m_items.append({name, value});
    }
    void place(int position, const QString &name, const Value &value)
    {
        padTo(position + 1);
        m_items[position] = {name, value};
    }
    void insert(int position, const QString &name, const Value &value)
    {
        padTo(position);
        m_items.insert(position, {name, value});
    }
    void padTo(int count)
    {
        while (m_items.size() < count)
            m_items.append({QStringLiteral("Pad%1").arg(m_items.size()), QString()});
    }
    Properties build() const
    {
        Properties properties(Properties::Owner::Access);
        for (const Property &p : m_items)
            properties.append(p.name, p.value);
        return properties;
    }

private:
    QList<Property> m_items;
};

// The chainable setters both builders share; Self is the builder.
template <typename Self> class PlacingBuilder
{
public:
    Self &set(const QString &name, const Value &value)
    {
        m_props.set(name, value);
        return self();
    }
    Self &set(const QString &name, const QString &text) { return set(name, Value(text)); }
    Self &place(int position, const QString &name, const QString &text)
    {
        m_props.place(position, name, Value(text));
        return self();
    }
    // Inserts before what is at `position`, moving it and the rest along.
    Self &insert(int position, const QString &name, const QString &text)
    {
        m_props.insert(position, name, Value(text));
        return self();
    }
    Self &padTo(int count)
    {
        m_props.padTo(count);
        return self();
    }

protected:
    PlacedProperties m_props;

private:
    Self &self() { return static_cast<Self &>(*this); }
};

class DesignedControl : public PlacingBuilder<DesignedControl>
{
public:
    DesignedControl(const QString &name, int typeCode, int top = 0, int left = 0, int width = 0,
                    int height = 0)
    {
        set(QStringLiteral("Name"), name);
        set(QStringLiteral("ControlType"), Value::integer(qint16(typeCode)));
        set(QStringLiteral("Visible"), Value::boolean(true));
        set(QStringLiteral("Top"), Value::longInt(top));
        set(QStringLiteral("Left"), Value::longInt(left));
        set(QStringLiteral("Width"), Value::longInt(width));
        set(QStringLiteral("Height"), Value::longInt(height));
    }
    Control control() const
    {
        Control c;
        c.properties = m_props.build();
        return c;
    }
};

// A form or report: its own properties placed likewise, its controls and
// group levels.
class DesignedObject : public PlacingBuilder<DesignedObject>
{
public:
    explicit DesignedObject(const QString &name) { m_object.name = name; }
    DesignedObject &add(const DesignedControl &control)
    {
        m_object.controls.append(control.control());
        return *this;
    }
    DesignedObject &groupLevel(const QString &source, bool descending = false)
    {
        GroupLevel level;
        level.properties.append(QStringLiteral("ControlSource"), source);
        level.properties.append(QStringLiteral("SortOrder"), Value::boolean(descending));
        level.properties.append(QStringLiteral("GroupHeader"), Value::boolean(true));
        level.properties.append(QStringLiteral("GroupFooter"), Value::boolean(false));
        level.properties.append(QStringLiteral("GroupOn"), Value::integer(0));
        level.properties.append(QStringLiteral("GroupInterval"), Value::longInt(1));
        level.properties.append(QStringLiteral("KeepTogether"), Value::integer(0));
        m_object.groupLevels.append(level);
        return *this;
    }
    AccessObject object() const
    {
        AccessObject o = m_object;
        o.properties = m_props.build();
        return o;
    }

private:
    AccessObject m_object;
};

// A form's settings the summary row reads, at the start of its properties.
inline DesignedObject designedForm(const QString &name)
{
    DesignedObject form(name);
    form.set(QStringLiteral("RecordSource"), QStringLiteral("受注"))
        .set(QStringLiteral("Filter"), QString())
        .set(QStringLiteral("OrderBy"), QString())
        .set(QStringLiteral("Caption"), name)
        .set(QStringLiteral("DefaultView"), Value::integer(0))
        .set(QStringLiteral("AllowEdits"), Value::boolean(true))
        .set(QStringLiteral("AllowDeletions"), Value::boolean(true))
        .set(QStringLiteral("AllowAdditions"), Value::boolean(true))
        .set(QStringLiteral("DataEntry"), Value::boolean(false))
        .set(QStringLiteral("RecordsetType"), Value::integer(0))
        .set(QStringLiteral("RecordLocks"), Value::integer(0))
        .set(QStringLiteral("PopUp"), Value::boolean(false))
        .set(QStringLiteral("Modal"), Value::boolean(false))
        .padTo(103);
    return form;
}

inline DesignedObject designedReport(const QString &name)
{
    DesignedObject report(name);
    report.set(QStringLiteral("RecordSource"), QStringLiteral("得意先"))
        .set(QStringLiteral("Filter"), QString())
        .set(QStringLiteral("OrderBy"), QString())
        .set(QStringLiteral("Caption"), name)
        .set(QStringLiteral("RecordLocks"), Value::integer(0))
        .padTo(48);
    return report;
}

class FixtureDesigns : public DesignSource
{
public:
    QMap<QString, AccessObject> forms, reports;

    Form form(const QString &name) override { return find(forms, name); }
    Report report(const QString &name) override { return find(reports, name); }

private:
    static AccessObject find(const QMap<QString, AccessObject> &designs, const QString &name)
    {
        if (!designs.contains(name))
            throw HostError(Err::DesignNotReadable,
                            QStringLiteral("no design of \"%1\" in the fixture").arg(name));
        return designs.value(name);
    }
};
