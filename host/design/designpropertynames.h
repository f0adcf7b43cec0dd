#pragma once

// The names of the property records of a stored design (notes:
// design-storage.md §5): a compact tag names a property only together with
// the object type it belongs to, a wide record's global id names it for
// every type.

#include <QString>

// The name of the record `tag` of an object of `objectType` (150 form, 109
// text box, ...), else the name of its global id (-1 for a compact record
// that has none); empty when neither is known.
QString designPropertyName(int objectType, quint32 tag, int globalId = -1);
