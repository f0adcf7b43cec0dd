#include "export/exportrows.h"

#include "export/biffworkbookwriter.h"
#include "export/delimitedwriter.h"
#include "export/exporttarget.h"
#include "export/rtfwriter.h"
#include "export/xlsxworkbookwriter.h"
#include "host/objects/source.h"

#include <memory>

qint64 exportRows(RowCursor &rows, const QString &objectName, ExportFormat format,
                  const QString &file, const ExportOptions &options)
{
    AtomicFile out(file);
    openExportFile(out);
    std::unique_ptr<RowSink> sink;
    switch (format) {
    case ExportFormat::DelimitedText:
        sink = std::make_unique<DelimitedWriter>(out, options.codePage, options.fieldNames);
        break;
    case ExportFormat::RichText:
        sink = std::make_unique<RtfWriter>(out);
        break;
    case ExportFormat::Excel97:
        sink = std::make_unique<BiffWorkbookWriter>(out, objectName);
        break;
    case ExportFormat::Excel2007:
        sink = std::make_unique<XlsxWorkbookWriter>(out, objectName);
        break;
    }
    const qint64 count = pumpRows(rows, *sink, options.progress, options.progressEvery);
    commitExportFile(out);
    return count;
}

FileExporter makeFileExporter(std::function<ExportOptions()> options)
{
    return [options](RowCursor &rows, const ExportRequest &request) {
        ExportOptions chosen = options ? options() : ExportOptions();
        chosen.fieldNames = request.hasFieldNames;
        const ExportFormat format = request.format.isEmpty()
                                        ? ExportFormat::DelimitedText
                                        : outputFormatOf(request.format, request.file);
        return exportRows(rows, request.objectName, format, request.file, chosen);
    };
}
