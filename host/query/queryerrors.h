#pragma once

// The errors the query engine raises, worded once. Every refusal is 31005
// and names the query and what it could not run; a missing table or query
// is 3011 as Jet raises it.

#include "host/vb/errors.h"

namespace queryerrors {

// "the query "Q" uses the construct "IN 'other.mdb'", which this build does not run"
HostError unsupported(QStringView query, QStringView construct);
// SQL the parser cannot read, with the text where reading stopped.
HostError syntax(QStringView query, QStringView near);
// An action, pass-through or data-definition query ("delete query", ...).
HostError notSelect(QStringView query, QStringView kind);
// 3011: no table or query of that name.
HostError noSuchObject(QStringView name);
// A name that more than one source of the query has.
HostError ambiguous(QStringView query, QStringView name);

} // namespace queryerrors
