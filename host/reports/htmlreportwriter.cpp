#include "host/reports/htmlreportwriter.h"

#include "host/reports/columnfit.h"
#include "host/vb/errors.h"

#include <algorithm>
#include <numeric>

static constexpr qsizetype FlushSize = 64 * 1024;

static const char Style[] = R"css(
@page { size: A4; margin: 12mm; }
body { font-family: "IPAPGothic", "Meiryo", "Yu Gothic", "Noto Sans CJK JP", sans-serif;
       font-size: 9pt; color: #000; margin: 1em; }
header { border-bottom: 2px solid #000; margin-bottom: 1em; display: flex;
         justify-content: space-between; align-items: flex-end; }
header h1 { font-size: 14pt; margin: 0 0 2px 0; }
header .meta { text-align: right; font-size: 8pt; }
section { margin-top: 1.2em; }
h2 { font-size: 11pt; background: #d8e0ea; margin: 0 0 4px 0; padding: 2px 4px;
     break-after: avoid; page-break-after: avoid; }
table { border-collapse: collapse; width: 100%; margin-bottom: 4px; }
table.rows th, table.rows td { border: 0.5pt solid #808080; padding: 2px 3px;
                               vertical-align: top; }
table.rows th { background: #e4e4e4; white-space: pre; }
table.facts th { text-align: left; width: 22%; padding: 1px 3px; vertical-align: top; }
table.facts td { padding: 1px 3px; }
th, td { white-space: pre-wrap; overflow-wrap: anywhere; }
thead { display: table-header-group; }
tr { break-inside: avoid; page-break-inside: avoid; }
.mono { font-family: "IPAGothic", "MS Gothic", "Noto Sans Mono CJK JP", monospace; }
.right { text-align: right; } .center { text-align: center; }
pre, .text { white-space: pre-wrap; overflow-wrap: anywhere; margin: 4px 0; padding: 4px; }
pre { background: #f3f3f3; }
)css";

static QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

static QString cellClass(const ReportColumn &column)
{
    QStringList classes;
    if (column.monospace)
        classes.append(QStringLiteral("mono"));
    if (column.alignment & Qt::AlignRight)
        classes.append(QStringLiteral("right"));
    else if (column.alignment & Qt::AlignHCenter)
        classes.append(QStringLiteral("center"));
    return classes.isEmpty() ? QString()
                             : QStringLiteral(" class=\"%1\"").arg(classes.join(QLatin1Char(' ')));
}

HtmlReportWriter::HtmlReportWriter(const QString &path)
    : m_path(path)
    , m_file(path)
{
    if (!m_file.open())
        throw HostError(
            Err::PathFileAccess,
            QStringLiteral("Path/File access error: %1 (%2)").arg(path, m_file.errorString()));
}

HtmlReportWriter::~HtmlReportWriter() = default;

void HtmlReportWriter::write(const QString &text)
{
    m_buffer.append(text.toUtf8());
    if (m_buffer.size() >= FlushSize)
        flush();
}

void HtmlReportWriter::flush()
{
    m_file.device()->write(m_buffer); // a failure is remembered and reported at commit
    m_buffer.clear();
}

void HtmlReportWriter::begin(const ReportHeader &header)
{
    write(QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
                         "<title>%1</title>\n<style>%2</style>\n</head>\n<body>\n")
              .arg(escaped(header.title), QString::fromUtf8(Style)));
    write(QStringLiteral("<header><h1>%1</h1><div class=\"meta\">%2<br>%3</div></header>\n")
              .arg(escaped(header.title), escaped(header.database), escaped(header.date)));
}

void HtmlReportWriter::closeTable()
{
    if (m_inTable)
        write(QStringLiteral("</tbody></table>\n"));
    m_inTable = false;
}

void HtmlReportWriter::closeSection()
{
    closeTable();
    if (m_inSection)
        write(QStringLiteral("</section>\n"));
    m_inSection = false;
}

void HtmlReportWriter::group(const QString &title, const ReportFacts &facts)
{
    closeSection();
    m_inSection = true;
    QString html = QStringLiteral("<section>\n<h2>%1</h2>\n").arg(escaped(title));
    if (!facts.isEmpty()) {
        html += QStringLiteral("<table class=\"facts\">\n");
        for (const auto &fact : facts)
            html += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n")
                        .arg(escaped(fact.first), escaped(fact.second));
        html += QStringLiteral("</table>\n");
    }
    write(html);
}

namespace {

// Each column's share of the table's width; empty when the columns give none.
std::vector<qreal> columnShares(const QList<ReportColumn> &columns)
{
    const bool measured =
        std::any_of(columns.begin(), columns.end(), [](const auto &c) { return c.contentEms > 0; });
    std::vector<qreal> minimum, natural;
    for (const ReportColumn &column : columns) {
        // In ems, with the cell padding; an A4 page holds about 60 at 9 points.
        minimum.push_back(measured ? textEms(column.heading) + 1 : 0);
        natural.push_back(measured ? std::max(minimum.back(), column.contentEms + 1)
                                   : std::max<qreal>(column.width, 0));
    }
    const qreal page = measured ? 60 : 0;
    const qreal total = std::accumulate(natural.begin(), natural.end(), qreal(0));
    if (total <= 0)
        return {};
    std::vector<qreal> shares = fitColumns(measured ? page : total, minimum, natural);
    for (qreal &share : shares)
        share /= measured ? page : total;
    return shares;
}

} // namespace

void HtmlReportWriter::columns(const QList<ReportColumn> &columns)
{
    closeTable();
    m_columns = columns;
}

void HtmlReportWriter::row(const QStringList &cells)
{
    if (!m_inTable) {
        const std::vector<qreal> shares = columnShares(m_columns);
        QString html = QStringLiteral("<table class=\"rows\">\n");
        if (!shares.empty()) {
            html += QStringLiteral("<colgroup>");
            for (qreal share : shares)
                html += QStringLiteral("<col style=\"width:%1%\">").arg(100 * share, 0, 'f', 1);
            html += QStringLiteral("</colgroup>\n");
        }
        const bool anyHeading = std::any_of(m_columns.begin(), m_columns.end(),
                                            [](const auto &c) { return !c.heading.isEmpty(); });
        if (anyHeading) {
            html += QStringLiteral("<thead><tr>");
            for (const ReportColumn &column : std::as_const(m_columns))
                html +=
                    QStringLiteral("<th%1>%2</th>").arg(cellClass(column), escaped(column.heading));
            html += QStringLiteral("</tr></thead>\n");
        }
        html += QStringLiteral("<tbody>\n");
        write(html);
        m_inTable = true;
    }
    const qsizetype count = m_columns.isEmpty() ? cells.size() : m_columns.size();
    QString html = QStringLiteral("<tr>");
    for (qsizetype i = 0; i < count; ++i) {
        const QString klass = i < m_columns.size() ? cellClass(m_columns[i]) : QString();
        html += QStringLiteral("<td%1>%2</td>").arg(klass, escaped(cells.value(i)));
    }
    html += QStringLiteral("</tr>\n");
    write(html);
}

void HtmlReportWriter::textBlock(const QString &text, bool monospace)
{
    closeTable();
    write(monospace ? QStringLiteral("<pre class=\"mono\">%1</pre>\n").arg(escaped(text))
                    : QStringLiteral("<div class=\"text\">%1</div>\n").arg(escaped(text)));
}

void HtmlReportWriter::end()
{
    closeSection();
    write(QStringLiteral("</body>\n</html>\n"));
    flush();
    if (!m_file.commit())
        throw HostError(
            Err::PathFileAccess,
            QStringLiteral("Path/File access error: %1 (%2)").arg(m_path, m_file.errorString()));
}
