#pragma once

// A ReportOutput is where the report launcher shows a report: the preview
// window in the desktop program (PreviewReportOutput, host/views), a file in
// a folder for the command line (FileReportOutput). show() reads the whole
// report before it returns, since the store connection it is given is
// closed right after.

#include "host/reports/reportwriter.h"
#include "host/reports/storereport.h"

#include <QSqlDatabase>
#include <QString>

class ReportOutput
{
public:
    virtual ~ReportOutput();
    virtual void show(const QString &reportName, const StoreReport &report,
                      QSqlDatabase &store) = 0;
};

// The page header of a report on this store: the report's title, the
// documented database's name (first T_DataBase.DbName; empty when the store
// has none) and today's date as yyyy/MM/dd.
ReportHeader reportHeader(const StoreReport &report, QSqlDatabase &store);

// begin(header), the report's write(), end(). Exceptions pass through; the
// writer then publishes nothing.
void writeReport(const StoreReport &report, QSqlDatabase &store, ReportWriter &out,
                 const ReportHeader &header);

// Writes each report to <folder>/<reportName>.pdf or .html, replacing an
// earlier file of that name. The folder is created when missing; an
// unwritable folder raises 75 naming the path.
class FileReportOutput : public ReportOutput
{
public:
    enum class Format { Pdf, Html };

    FileReportOutput(const QString &folder, Format format);

    void show(const QString &reportName, const StoreReport &report, QSqlDatabase &store) override;

    // Where show() writes the report `reportName`, the suffix appended
    // (characters a file name cannot hold become '_').
    QString pathFor(const QString &reportName) const;
    // Appended to the report's name in the file name: one file per form
    // ("R_Form_受注入力.pdf") when several are documented in one run.
    void setNameSuffix(const QString &suffix) { m_nameSuffix = suffix; }
    // The file the last successful show() wrote; empty before.
    const QString &lastPath() const { return m_lastPath; }
    // Pages of the last PDF written (0 for HTML).
    int lastPageCount() const { return m_lastPageCount; }

private:
    QString m_folder;
    Format m_format;
    QString m_nameSuffix;
    QString m_lastPath;
    int m_lastPageCount = 0;
};
