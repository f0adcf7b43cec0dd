#include "export/exportformat.h"

#include "host/vb/errors.h"

ExportFormat outputFormatOf(const QString &text, const QString &file)
{
    const bool xlsxPath = file.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
    if (text.compare(QLatin1String("RichTextFormat(*.rtf)"), Qt::CaseInsensitive) == 0)
        return ExportFormat::RichText;
    if (text.compare(QLatin1String("MicrosoftExcel(*.xls)"), Qt::CaseInsensitive) == 0 ||
        text.compare(QLatin1String("MicrosoftExcelBiff8(*.xls)"), Qt::CaseInsensitive) == 0)
        return xlsxPath ? ExportFormat::Excel2007 : ExportFormat::Excel97;
    if (text.compare(QLatin1String("Excel Workbook (*.xlsx)"), Qt::CaseInsensitive) == 0)
        return ExportFormat::Excel2007;
    throw HostError(Err::InvalidProcedureCall,
                    QStringLiteral("OutputTo: the output format \"%1\" is not one this build "
                                   "writes (\"RichTextFormat(*.rtf)\", \"MicrosoftExcel(*.xls)\", "
                                   "\"Excel Workbook (*.xlsx)\")")
                        .arg(text));
}

QString formatText(ExportFormat format)
{
    switch (format) {
    case ExportFormat::RichText:
        return QStringLiteral("RichTextFormat(*.rtf)");
    case ExportFormat::Excel97:
        return QStringLiteral("MicrosoftExcel(*.xls)");
    case ExportFormat::Excel2007:
        return QStringLiteral("Excel Workbook (*.xlsx)");
    case ExportFormat::DelimitedText:
        break;
    }
    return QString();
}
