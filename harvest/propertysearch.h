#pragma once

// The property search of the harvesters: walk an object's Properties from
// the last to the first; the first whose Name equals `name` exactly is
// written into the field of the same name. Nothing is written when none
// matches; the walk itself raises nothing for a missing property.

#include "host/objects/properties.h"
#include "host/store/recordset.h"

void writeFoundProperty(Recordset &rows, const Properties &properties, const QString &name);
