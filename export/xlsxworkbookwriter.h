#pragma once

// XlsxWorkbookWriter writes an Excel 2007 workbook (.xlsx) through
// libxlsxwriter in its constant-memory mode (each row goes to a temporary
// file as soon as the next begins; strings are written in the cells). Cells
// are typed as in BiffWorkbookWriter: one sheet named after the object,
// the field names in bold, numbers, dates in a date format, Booleans, text.

#include "export/exporttarget.h"
#include "export/rowsink.h"

#include <QByteArray>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

// Rows a sheet of this format holds, the field-name row included.
inline constexpr qint64 XlsxSheetRows = 1048576;

class XlsxWorkbookWriter : public RowSink
{
public:
    // Writes to the file's temporary path by name (the library opens it
    // itself). A record beyond the sheet's last row raises 31007.
    XlsxWorkbookWriter(AtomicFile &file, const QString &objectName);
    ~XlsxWorkbookWriter() override;

    void begin(const QStringList &fieldNames) override;
    void row(const QList<Value> &values) override;
    void end() override;

private:
    AtomicFile &m_file;
    QByteArray m_tmpdir;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_sheet = nullptr;
    lxw_format *m_bold = nullptr, *m_dateTime = nullptr, *m_date = nullptr;
    quint32 m_rows = 0;
    quint16 m_columns = 0;

    void check(int error, const char *what) const;
};
