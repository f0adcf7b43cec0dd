#pragma once

// The columns a T_TableItem and a T_QueryItem row share, from FieldType to
// DataUpdatable, written in their designed order.

#include "host/objects/dao.h"
#include "host/store/recordset.h"

// The first n characters of a host text as the stored text: an empty host
// text is stored as the empty text, not as Null.
QString storedText(QStringView text, qint64 n);

void writeFieldColumns(Recordset &rows, const Field &field);
