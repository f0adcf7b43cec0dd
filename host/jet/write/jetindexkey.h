#pragma once

// The key bytes Access stores in an index leaf entry for one row, before the
// row pointer: per key column a flag byte (0x7F ascending, 0x80 descending;
// a NULL is 0x00 / 0xFF alone) and the value made to sort bytewise,
// inverted when descending. The Jet writer builds its index trees from it;
// the integrity check recomputes each row's key with it. A key the encoder
// does not cover with certainty (text the General sort order's tables here
// do not cover, text in another sort order, a type it does not key, a value
// of another type than its column's) is "not certain" and says why.

#include "host/vb/value.h"

#include <QByteArray>
#include <QList>
#include <QString>

// One key column: what its table definition says of it.
struct JetKeyColumn
{
    int type = 0; // Jet column type code
    bool descending = false;
    int sortOrder = 0x0409;  // Text: the LCID of its collation; only General (0x0409) is known
    int sortVersion = 0;     // Text, Jet 4: 0, the General of Access 2000-2007
    quint16 codePage = 1252; // Text, Jet 3: the code page of its bytes
};

struct JetIndexKey
{
    bool certain = false;
    QByteArray bytes;    // the key when certain
    QString uncertainty; // why it is not certain, for messages
};

// Empty when the encoder covers every value of the column; else why not.
QString jetKeyColumnUncovered(const JetKeyColumn &column);

// The key of a row whose key-column values are `values` (in key order, one
// per column: Boolean, Integer for Byte and Integer, Long, Currency,
// Single, Double, Date or Text as the column's type is, or Null).
JetIndexKey jetIndexKey(bool jet3, const QList<JetKeyColumn> &columns, const QList<Value> &values);
