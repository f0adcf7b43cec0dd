#include "host/reports/reportoutput.h"

#include "host/reports/handoverreportwriter.h"
#include "host/reports/htmlreportwriter.h"
#include "host/reports/pagedreportwriter.h"
#include "host/reports/pagetarget.h"
#include "host/vb/errors.h"

#include <QDate>
#include <QDir>
#include <QSqlQuery>

ReportOutput::~ReportOutput() = default;

namespace {

// A PDF file as one writer: its page target and the layout on it.
class PdfReportFile : public ReportWriter
{
public:
    PdfReportFile(const QString &path, const QString &title, int &pageCount)
        : m_target(path, title)
        , m_layout(m_target)
        , m_pageCount(pageCount)
    {
    }
    void begin(const ReportHeader &header) override { m_layout.begin(header); }
    void group(const QString &title, const ReportFacts &facts) override
    {
        m_layout.group(title, facts);
    }
    void columns(const QList<ReportColumn> &columns) override { m_layout.columns(columns); }
    void row(const QStringList &cells) override { m_layout.row(cells); }
    void textBlock(const QString &text, bool monospace) override
    {
        m_layout.textBlock(text, monospace);
    }
    void end() override
    {
        m_layout.end();
        m_pageCount = m_layout.pageCount();
    }

private:
    PdfPageTarget m_target;
    PagedReportWriter m_layout;
    int &m_pageCount;
};

} // namespace

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
        // The store is read here while the pages are laid out on a second
        // core; HTML costs too little to gain from that.
        int pageCount = 0;
        HandoverReportWriter writer(
            [&] { return std::make_unique<PdfReportFile>(path, header.title, pageCount); });
        writeReport(report, store, writer, header);
        m_lastPageCount = pageCount;
    } else {
        HtmlReportWriter writer(path);
        writeReport(report, store, writer, header);
        m_lastPageCount = 0;
    }
    m_lastPath = path;
}
