#pragma once

// Writes the rows of one table or query to a file in one of the export
// formats, through an AtomicFile: the target is replaced only when the
// whole file is written. This is what stands behind DoCmd.OutputTo and
// DoCmd.TransferText (makeFileExporter gives the Application its writer).

#include "export/exportformat.h"
#include "export/rowsink.h"
#include "host/objects/application.h"

#include <functional>

// The code page delimited text is written in unless a setting says otherwise.
inline constexpr const char *DefaultCodePage = "CP932";

struct ExportOptions
{
    bool fieldNames = false; // delimited text: the first line holds them
    QString codePage = QString::fromLatin1(DefaultCodePage); // delimited text
    ExportProgress progress; // every progressEvery rows and at the end
    qint64 progressEvery = 10000;
};

// Raises what the cursor and the writer raise: 3044 or 75 for the path,
// 61 disk full, 31006 a character the code page cannot hold, 31007 more rows
// than the sheet holds. On any error the target path is left as it was.
// Returns the number of rows written.
qint64 exportRows(RowCursor &rows, const QString &objectName, ExportFormat format,
                  const QString &file, const ExportOptions &options);

// The writer an Application exports through; `options` is read at each
// export (a setting may change between them), its fieldNames replaced by
// the request's.
FileExporter makeFileExporter(std::function<ExportOptions()> options = {});
