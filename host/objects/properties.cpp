#include "host/objects/properties.h"

#include "host/vb/errors.h"

void Properties::put(const QString &name, const Value &value)
{
    for (Property &p : m_items) {
        if (p.name == name) {
            p.value = value;
            return;
        }
    }
    append(name, value);
}

const Property &Properties::item(int index) const
{
    if (index < 0 || index >= m_items.size())
        raiseMissing(QStringLiteral("Properties(%1)").arg(index));
    return m_items[index];
}

const Property *Properties::find(QStringView name) const
{
    for (const Property &p : m_items) {
        if (p.name == name)
            return &p;
    }
    return nullptr;
}

const Property &Properties::item(QStringView name) const
{
    if (const Property *p = find(name))
        return *p;
    raiseMissing(name);
}

void Properties::setValue(QStringView name, const Value &value)
{
    for (Property &p : m_items) {
        if (p.name == name) {
            p.value = value;
            return;
        }
    }
    raiseMissing(name);
}

void Properties::raiseMissing(QStringView what) const
{
    if (m_owner == Owner::Access)
        throw HostError(
            Err::InvalidPropertyReference,
            QStringLiteral("Invalid reference to the property %1 of %2").arg(what, m_ownerName));
    if (what.startsWith(u"Properties("))
        throw HostError::itemNotFound(QStringLiteral("%1.Properties").arg(m_ownerName), what);
    throw HostError::propertyNotFound(m_ownerName, what);
}
