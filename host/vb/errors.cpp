#include "host/vb/errors.h"

HostError::HostError(Err number, QString description)
    : m_number(number)
    , m_description(std::move(description))
    , m_utf8(QStringLiteral("%1: %2").arg(int(number)).arg(m_description).toStdString())
{
}

HostError HostError::itemNotFound(QStringView collection, QStringView key)
{
    return HostError(
        Err::ItemNotFound,
        QStringLiteral("Item not found in this collection: %1(\"%2\")").arg(collection, key));
}

HostError HostError::propertyNotFound(QStringView owner, QStringView property)
{
    return HostError(
        Err::PropertyNotFound,
        QStringLiteral("Property not found: %1 has no property \"%2\"").arg(owner, property));
}

HostError HostError::overflow(QStringView what)
{
    return HostError(Err::Overflow, QStringLiteral("Overflow: %1").arg(what));
}

HostError HostError::invalidCall(QStringView function)
{
    return HostError(Err::InvalidProcedureCall,
                     QStringLiteral("Invalid procedure call or argument: %1").arg(function));
}

HostError HostError::unexpected(const std::exception &error)
{
    return HostError(
        Err::Unexpected,
        QStringLiteral("Unexpected failure: %1").arg(QString::fromLocal8Bit(error.what())));
}
