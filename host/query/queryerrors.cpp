#include "host/query/queryerrors.h"

namespace queryerrors {

HostError unsupported(QStringView query, QStringView construct)
{
    return HostError(
        Err::QueryNotRunnable,
        QStringLiteral("the query \"%1\" uses the construct \"%2\", which this build does not run")
            .arg(query, construct));
}

HostError syntax(QStringView query, QStringView near)
{
    return HostError(Err::QueryNotRunnable,
                     QStringLiteral("the SQL of the query \"%1\" cannot be read near \"%2\"")
                         .arg(query, near.left(40)));
}

HostError notSelect(QStringView query, QStringView kind)
{
    const bool vowel = !kind.isEmpty() && QStringView(u"aeiou").contains(kind.front());
    return HostError(Err::QueryNotRunnable,
                     QStringLiteral("the query \"%1\" is %2 %3, which this build does not run")
                         .arg(query, vowel ? QStringLiteral("an") : QStringLiteral("a"), kind));
}

HostError noSuchObject(QStringView name)
{
    return HostError(
        Err::ObjectNotFound,
        QStringLiteral("The database engine cannot find the input table or query '%1'.").arg(name));
}

HostError ambiguous(QStringView query, QStringView name)
{
    return HostError(
        Err::QueryNotRunnable,
        QStringLiteral("the field \"%1\" of the query \"%2\" could refer to more than one table")
            .arg(name, query));
}

} // namespace queryerrors
