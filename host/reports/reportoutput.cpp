#include "host/reports/reportoutput.h"

#include "host/reports/htmlreportwriter.h"
#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/vb/errors.h"

#include <QDate>
#include <QDir>
#include <QSqlQuery>

ReportOutput::~ReportOutput() = default;

ReportHeader reportHeader(const StoreReport &report, QSqlDatabase &store)
{
    ReportHeader header;
    header.title = report.title();
    header.date = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    QSqlQuery query(store);
    if (query.exec(QStringLiteral("SELECT DbName FROM T_DataBase ORDER BY rowid LIMIT 1")) &&
        query.next())
        header.database = query.value(0).toString();
    return header;
}

void writeReport(const StoreReport &report, QSqlDatabase &store, ReportWriter &out,
                 const ReportHeader &header)
{
    out.begin(header);
    report.write(store, out);
    out.end();
}

FileReportOutput::FileReportOutput(const QString &folder, Format format)
    : m_folder(folder)
    , m_format(format)
{
}

QString FileReportOutput::pathFor(const QString &reportName) const
{
    QString name = reportName + m_nameSuffix;
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    }
    if (name.isEmpty())
        name = QStringLiteral("_");
    return QDir(m_folder).filePath(
        name + (m_format == Format::Pdf ? QStringLiteral(".pdf") : QStringLiteral(".html")));
}

void FileReportOutput::show(const QString &reportName, const StoreReport &report,
                            QSqlDatabase &store)
{
    const QString path = pathFor(reportName);
    if (!QDir().mkpath(m_folder))
        throw HostError(
            Err::PathFileAccess,
            QStringLiteral("Path/File access error: %1 (cannot create the folder)").arg(path));
    const ReportHeader header = reportHeader(report, store);
    if (m_format == Format::Pdf) {
        PdfPageTarget target(path, header.title);
        PagedReportWriter writer(target);
        writeReport(report, store, writer, header);
        m_lastPageCount = writer.pageCount();
    } else {
        HtmlReportWriter writer(path);
        writeReport(report, store, writer, header);
        m_lastPageCount = 0;
    }
    m_lastPath = path;
}
