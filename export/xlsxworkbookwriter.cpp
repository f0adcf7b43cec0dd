#include "export/xlsxworkbookwriter.h"

#include "export/excelcells.h"
#include "export/sheetname.h"
#include "host/vb/errors.h"

#include <QFileInfo>
#include <xlsxwriter.h>

XlsxWorkbookWriter::XlsxWorkbookWriter(AtomicFile &file, const QString &objectName)
    : m_file(file)
    , m_tmpdir(QFile::encodeName(QFileInfo(file.path()).absolutePath()))
{
    // The library opens the temporary path by name: let go of our handle.
    m_file.releaseHandle();
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = m_tmpdir.data(); // beside the target: its disk, not a RAM /tmp
    options.use_zip64 = LXW_TRUE;
    m_workbook = workbook_new_opt(QFile::encodeName(file.temporaryPath()).constData(), &options);
    if (!m_workbook)
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("Cannot start the workbook \"%1\"").arg(file.path()));
    m_sheet = workbook_add_worksheet(m_workbook, sheetNameFor(objectName).toUtf8().constData());
    if (!m_sheet) {
        // The destructor does not run for a constructor that throws.
        workbook_close(m_workbook);
        m_workbook = nullptr;
        throw HostError(Err::Unexpected, QStringLiteral("libxlsxwriter refused the sheet name"));
    }
    m_bold = workbook_add_format(m_workbook);
    format_set_bold(m_bold);
    m_dateTime = workbook_add_format(m_workbook);
    format_set_num_format(m_dateTime, DateTimeFormat);
    m_date = workbook_add_format(m_workbook);
    format_set_num_format(m_date, DateFormat);
}

XlsxWorkbookWriter::~XlsxWorkbookWriter()
{
    // An abandoned workbook is still closed, to free its temporary files;
    // what it writes is removed with the export's temporary file.
    if (m_workbook)
        workbook_close(m_workbook);
}

void XlsxWorkbookWriter::check(int error, const char *what) const
{
    if (error == LXW_NO_ERROR)
        return;
    throw HostError(Err::PathFileAccess,
                    QStringLiteral("Writing \"%1\" failed (%2): %3")
                        .arg(m_file.path(), QLatin1String(what),
                             QString::fromUtf8(lxw_strerror(lxw_error(error)))));
}

void XlsxWorkbookWriter::begin(const QStringList &fieldNames)
{
    if (fieldNames.size() > 16384)
        throw HostError(Err::SheetRowLimit, QStringLiteral("More fields than a sheet has columns"));
    m_columns = quint16(fieldNames.size());
    for (qsizetype c = 0; c < fieldNames.size(); ++c) {
        check(worksheet_write_string(m_sheet, 0, lxw_col_t(c),
                                     fieldNames[c].left(CellTextLimit).toUtf8().constData(),
                                     m_bold),
              "field name");
        worksheet_set_column(m_sheet, lxw_col_t(c), lxw_col_t(c),
                             qBound(8.43, fieldNames[c].size() * 1.6 + 2, 60.0), nullptr);
    }
    m_rows = 1;
}

void XlsxWorkbookWriter::row(const QList<Value> &values)
{
    if (m_rows >= XlsxSheetRows)
        throw HostError(Err::SheetRowLimit,
                        QStringLiteral("The object has more than %1 records: an Excel sheet "
                                       "holds %2 rows with the field names")
                            .arg(XlsxSheetRows - 1)
                            .arg(XlsxSheetRows));
    const lxw_row_t r = m_rows;
    for (qsizetype c = 0; c < values.size() && c < m_columns; ++c) {
        const Cell cell = cellOf(values[c]);
        const lxw_col_t column = lxw_col_t(c);
        switch (cell.kind) {
        case CellKind::None:
            break;
        case CellKind::Number:
        case CellKind::Integer:
            check(worksheet_write_number(m_sheet, r, column, cell.number, nullptr), "number");
            break;
        case CellKind::DateTime:
        case CellKind::Date:
            check(worksheet_write_number(m_sheet, r, column, cell.number,
                                         cell.kind == CellKind::Date ? m_date : m_dateTime),
                  "date");
            break;
        case CellKind::Boolean:
            check(worksheet_write_boolean(m_sheet, r, column, cell.boolean, nullptr), "Boolean");
            break;
        case CellKind::Text:
            check(
                worksheet_write_string(m_sheet, r, column, cell.text.toUtf8().constData(), nullptr),
                "text");
            break;
        }
    }
    ++m_rows;
}

void XlsxWorkbookWriter::end()
{
    lxw_workbook *workbook = m_workbook;
    m_workbook = nullptr;
    check(workbook_close(workbook), "closing the workbook");
}
