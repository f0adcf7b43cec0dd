#pragma once

// Properties is the ordered property collection of a DAO or Access object.
// Reading a property the collection lacks raises where it is read: 3270 for
// DAO objects, 2455 for Access objects (forms, reports, controls), so a
// control that lacks a property fails exactly where a harvester asks for it.

#include "host/vb/value.h"

#include <QList>
#include <QString>

struct Property
{
    QString name;
    ::Value value;

    const QString &Name() const { return name; }
    const ::Value &Value() const { return value; }
};

class Properties
{
public:
    enum class Owner { Dao, Access };

    explicit Properties(Owner owner = Owner::Dao, QString ownerName = QString())
        : m_owner(owner)
        , m_ownerName(std::move(ownerName))
    {
    }

    void append(const QString &name, const Value &value) { m_items.append({name, value}); }
    void reserve(int count) { m_items.reserve(count); }
    // Replaces the value of an existing property or appends a new one.
    void put(const QString &name, const Value &value);

    int Count() const { return int(m_items.size()); }
    // Item by position; out of range raises 3265 (DAO) or 2455 (Access).
    const Property &item(int index) const;
    // Item by exact name; missing raises 3270 (DAO) or 2455 (Access).
    const Property &item(QStringView name) const;
    const Property *find(QStringView name) const;
    // Sets the value of an existing property; missing raises as item(name).
    void setValue(QStringView name, const Value &value);

    const QList<Property> &items() const { return m_items; }
    const QString &ownerName() const { return m_ownerName; }
    void setOwnerName(const QString &name) { m_ownerName = name; }

private:
    [[noreturn]] void raiseMissing(QStringView what) const;

    Owner m_owner;
    QString m_ownerName;
    QList<Property> m_items;
};
