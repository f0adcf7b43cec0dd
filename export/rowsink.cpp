#include "export/rowsink.h"

#include "host/objects/source.h"

qint64 pumpRows(RowCursor &rows, RowSink &sink, const ExportProgress &progress, qint64 every)
{
    sink.begin(rows.fieldNames());
    qint64 count = 0;
    while (rows.next()) {
        sink.row(rows.row());
        ++count;
        if (progress && every > 0 && count % every == 0)
            progress(count, false);
    }
    sink.end();
    if (progress)
        progress(count, true);
    return count;
}
