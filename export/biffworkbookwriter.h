#pragma once

// BiffWorkbookWriter writes an Excel 97-2003 workbook (BIFF8 in a compound
// file) of one sheet named after the object: the field names in bold on
// the first row, then one row per record with typed cells — numbers,
// dates as numbers in a date format, Booleans, text through the shared
// string table. The cells and the string table are spilled to temporary
// files beside the target while the rows pass, then the workbook stream is
// put together behind its globals, so memory stays flat.

#include "export/exporttarget.h"
#include "export/rowsink.h"
#include "export/sharedstringspill.h"

#include <QTemporaryFile>
#include <memory>

// Rows a sheet of this format holds, the field-name row included.
inline constexpr qint64 Biff8SheetRows = 65536;

class BiffWorkbookWriter : public RowSink
{
public:
    // The file must outlive the writer. A record beyond the sheet's last
    // row raises 31007; more than 256 fields raise 31007 as well.
    BiffWorkbookWriter(AtomicFile &file, const QString &objectName);

    void begin(const QStringList &fieldNames) override;
    void row(const QList<Value> &values) override;
    void end() override;

private:
    AtomicFile &m_file;
    QString m_sheetName;
    SharedStringSpill m_strings;
    QTemporaryFile m_cells;
    QByteArray m_buffer; // cell records not yet in m_cells
    qint64 m_cellBytes = 0;
    quint32 m_rows = 0; // rows written, the header included
    quint16 m_columns = 0;
    QList<int> m_widths; // in characters, from the header and the first rows

    void flushCells();
};
