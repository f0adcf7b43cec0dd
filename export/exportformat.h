#pragma once

// The formats DoCmd's export actions write, and how their names select
// them: OutputTo's format texts, and for Excel the file's extension.

#include <QString>

enum class ExportFormat {
    DelimitedText, // TransferText, transfer type 2
    RichText,      // "RichTextFormat(*.rtf)"
    Excel97,       // "MicrosoftExcel(*.xls)": BIFF8 in a compound file
    Excel2007,     // the same format text with a path ending in .xlsx, or "Excel Workbook (*.xlsx)"
};

// The format OutputTo's format text names for `file`. The Excel text
// writes .xlsx when the path ends so. An unknown text raises 5.
ExportFormat outputFormatOf(const QString &formatText, const QString &file);

// OutputTo's format text of a format (TransferText's delimited text has none).
QString formatText(ExportFormat format);
