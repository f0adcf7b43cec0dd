#pragma once

// A ReportWriter is the sink a StoreReport writes into. The stream is
// begin(), then any mix of group(), columns(), row() and textBlock(), then
// end(). Writers stream: they keep at most the current page (or nothing), so a
// report of any length can be written. Implementations: PagedReportWriter
// (PDF, preview, printer), HtmlReportWriter, RecordedReport.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <Qt>

// What every page header shows.
struct ReportHeader
{
    QString title;    // e.g. "オブジェクト一覧"
    QString database; // the documented database's name
    QString date;     // already formatted, e.g. "2024/05/01"
};

// One column of the table that following rows fill.
struct ReportColumn
{
    QString heading;
    qreal width = 1;                         // relative to the other columns
    Qt::Alignment alignment = Qt::AlignLeft; // horizontal part only
    bool monospace = false;
    // The widest cell in ems (measureCells); when a report measured its
    // columns, writers size them from this, and `width` is not used.
    qreal contentEms = 0;
};

using ReportFacts = QList<QPair<QString, QString>>;

class ReportWriter
{
public:
    virtual ~ReportWriter() = default;
    virtual void begin(const ReportHeader &header) = 0;
    // Starts one object's block: a heading and label/value facts. The heading
    // is kept with its facts and the first rows that follow.
    virtual void group(const QString &title, const ReportFacts &facts) = 0;
    // Sets the table layout for the rows that follow, until changed.
    virtual void columns(const QList<ReportColumn> &columns) = 0;
    // One table row; cells wrap within their column. Missing cells are blank,
    // extra cells are ignored.
    virtual void row(const QStringList &cells) = 0;
    // Free text such as SQL or module code; wraps and may span pages.
    virtual void textBlock(const QString &text, bool monospace) = 0;
    // Completes the document. Until end() returns, nothing is published: a
    // writer destroyed without end() leaves no output behind.
    virtual void end() = 0;
};
