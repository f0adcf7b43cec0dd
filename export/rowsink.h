#pragma once

// A RowSink receives the rows of one table or query, in order, and writes
// them in its format. A sink holds at most what its format needs to look
// ahead (the rich-text writer's first rows), so an export of any size
// streams. Every method may raise HostError.

#include "host/vb/value.h"

#include <QList>
#include <QStringList>

class RowCursor;

class RowSink
{
public:
    virtual ~RowSink() = default;
    virtual void begin(const QStringList &fieldNames) = 0;
    virtual void row(const QList<Value> &values) = 0;
    // Writes what the format keeps for the end; the caller then commits the file.
    virtual void end() = 0;
};

// Progress of a long export: the rows written so far, and whether it is done.
using ExportProgress = std::function<void(qint64 rows, bool finished)>;

// Moves every row of the cursor into the sink: begin, the rows, end. Calls
// progress every `every` rows and once at the end. Returns the row count.
qint64 pumpRows(RowCursor &rows, RowSink &sink, const ExportProgress &progress = {},
                qint64 every = 10000);
