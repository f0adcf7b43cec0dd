#include "export/biffworkbookwriter.h"

#include "export/biffrecords.h"
#include "export/compoundfilewriter.h"
#include "export/excelcells.h"
#include "export/sheetname.h"
#include "host/vb/errors.h"

#include <QFileInfo>

namespace {

// Column widths follow the first rows only, so that they are known before
// the sheet is put together without reading it twice.
constexpr quint32 WidthSampleRows = 200;

int displayWidth(const QString &text)
{
    int width = 0;
    for (QChar c : text)
        width += c.unicode() >= 0x1100 ? 2 : 1; // wide East Asian characters
    return width;
}

QString folderOf(const AtomicFile &file)
{
    return QFileInfo(file.path()).absolutePath();
}

} // namespace

BiffWorkbookWriter::BiffWorkbookWriter(AtomicFile &file, const QString &objectName)
    : m_file(file)
    , m_sheetName(sheetNameFor(objectName))
    , m_strings(folderOf(file))
    , m_cells(folderOf(file) + QStringLiteral("/.cells.XXXXXX.tmp"))
{
    if (!m_cells.open())
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("Cannot create a temporary file beside \"%1\": %2")
                            .arg(file.path(), m_cells.errorString()));
}

void BiffWorkbookWriter::flushCells()
{
    if (m_cells.write(m_buffer) != m_buffer.size())
        throw HostError(Err::PathFileAccess,
                        QStringLiteral("Writing the temporary file \"%1\" failed: %2")
                            .arg(m_cells.fileName(), m_cells.errorString()));
    m_cellBytes += m_buffer.size();
    m_buffer.clear();
}

void BiffWorkbookWriter::begin(const QStringList &fieldNames)
{
    if (fieldNames.size() > 256)
        throw HostError(Err::SheetRowLimit,
                        QStringLiteral("%1 fields are more than the 256 columns of an Excel "
                                       "97-2003 sheet")
                            .arg(fieldNames.size()));
    m_columns = quint16(fieldNames.size());
    for (qsizetype c = 0; c < fieldNames.size(); ++c) {
        biff::stringCell(m_buffer, 0, quint16(c), biff::XfHeader,
                         m_strings.add(fieldNames[c].left(CellTextLimit)));
        m_widths.append(displayWidth(fieldNames[c]) + 2);
    }
    m_rows = 1;
}

void BiffWorkbookWriter::row(const QList<Value> &values)
{
    if (m_rows >= Biff8SheetRows)
        throw HostError(Err::SheetRowLimit,
                        QStringLiteral("The object has more than %1 records: an Excel 97-2003 "
                                       "sheet holds %2 rows with the field names; export to "
                                       ".xlsx instead")
                            .arg(Biff8SheetRows - 1)
                            .arg(Biff8SheetRows));
    const quint16 r = quint16(m_rows);
    for (qsizetype c = 0; c < values.size() && c < m_columns; ++c) {
        const Cell cell = cellOf(values[c]);
        const quint16 column = quint16(c);
        int width = 0;
        switch (cell.kind) {
        case CellKind::None:
            break;
        case CellKind::Number:
        case CellKind::Integer:
            biff::numberCell(m_buffer, r, column, biff::XfGeneral, cell.number);
            width = 10;
            break;
        case CellKind::DateTime:
            biff::numberCell(m_buffer, r, column, biff::XfDateTime, cell.number);
            width = 19;
            break;
        case CellKind::Date:
            biff::numberCell(m_buffer, r, column, biff::XfDate, cell.number);
            width = 11;
            break;
        case CellKind::Boolean:
            biff::booleanCell(m_buffer, r, column, biff::XfGeneral, cell.boolean);
            width = 6;
            break;
        case CellKind::Text:
            biff::stringCell(m_buffer, r, column, biff::XfGeneral, m_strings.add(cell.text));
            if (m_rows <= WidthSampleRows)
                width = displayWidth(cell.text.left(60).section(u'\n', 0, 0)) + 1;
            break;
        }
        if (m_rows <= WidthSampleRows)
            m_widths[c] = qMin(qMax(m_widths[c], width), 60);
    }
    ++m_rows;
    if (m_buffer.size() >= (1 << 16))
        flushCells();
}

void BiffWorkbookWriter::end()
{
    flushCells();
    m_strings.finish();
    // globals head | SST | EXTSST | EOF | sheet head | cells | EOF
    const qsizetype headSize = biff::globalsHead(m_sheetName, 0).size();
    const QByteArray extsstProbe = m_strings.extsst(0);
    const quint32 sheetOffset = quint32(headSize + m_strings.size() + extsstProbe.size() + 4);
    const QByteArray head = biff::globalsHead(m_sheetName, sheetOffset);
    const QByteArray extsst = m_strings.extsst(quint32(headSize));
    QByteArray eof;
    biff::record(eof, biff::Eof, QByteArray());
    const QByteArray sheetHead = biff::sheetHead(m_rows, m_columns, m_widths);
    const quint64 size = quint64(head.size() + m_strings.size() + extsst.size() + eof.size() +
                                 sheetHead.size() + m_cellBytes + eof.size());
    writeSingleStreamCompoundFile(m_file, QStringLiteral("Workbook"), size,
                                  [&](const ByteWriter &write) {
                                      write(head.constData(), head.size());
                                      m_strings.replay(write);
                                      write(extsst.constData(), extsst.size());
                                      write(eof.constData(), eof.size());
                                      write(sheetHead.constData(), sheetHead.size());
                                      m_cells.seek(0);
                                      QByteArray chunk;
                                      while (!(chunk = m_cells.read(1 << 16)).isEmpty())
                                          write(chunk.constData(), chunk.size());
                                      write(eof.constData(), eof.size());
                                  });
}
