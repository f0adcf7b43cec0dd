#pragma once

// PagedReportWriter lays a report stream out on pages of a PageTarget: a page
// header (title, database, date) and a "N ページ" footer on every page, group
// blocks, tables whose column headings repeat after a page break, and wrapped
// text blocks. It holds only the page being drawn plus the few rows of a
// group that must be kept together, so report length does not matter.
//
// Page breaks: a row moves whole to the next page unless it is taller than a
// page, then it continues line by line; a text block breaks between lines; a
// group heading moves to the next page when its facts, the column headings
// and its first rows would not fit below it (keep-with-next).

#include "host/reports/reportwriter.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class PageTarget;
class WrappedText;
struct ReportFace;

class PagedReportWriter : public ReportWriter
{
public:
    // Where each element landed; for tests and page navigation.
    struct Placement
    {
        enum Kind { GroupHeading, ColumnHeadings, Row, Text };
        Kind kind;
        int page;     // 1-based
        QRectF rect;  // in points; for split rows and text, the first part
        QString text; // group title, first heading or first cell, first text line
    };

    // Rows of a new group that must share a page with its heading.
    static constexpr int KeepRows = 2;

    explicit PagedReportWriter(PageTarget &target);
    ~PagedReportWriter() override;

    void begin(const ReportHeader &header) override;
    void group(const QString &title, const ReportFacts &facts) override;
    void columns(const QList<ReportColumn> &columns) override;
    void row(const QStringList &cells) override;
    void textBlock(const QString &text, bool monospace) override;
    void end() override;

    int pageCount() const { return m_pageNumber; }
    void setPlacementObserver(std::function<void(const Placement &)> observer);

private:
    struct Cell
    {
        qreal x;
        qreal width;
        Qt::Alignment alignment;
        ReportFace *face;
    };
    struct Measured
    {
        std::vector<std::unique_ptr<WrappedText>> cells;
        qreal height = 0;
    };
    struct PendingGroup
    {
        QString title;
        ReportFacts facts;
        std::vector<QStringList> rows;
    };

    void requireBegun(const char *call) const;
    void openPage();
    void closePage();
    void newPage();
    void drawPageHeader();
    void drawFooter();
    qreal bodyTop() const;
    qreal bodyBottom() const;
    qreal bodyLeft() const;
    qreal bodyWidth() const;
    qreal remaining() const { return bodyBottom() - m_y; }
    bool pageFresh() const { return m_y <= bodyTop(); }

    // Places the pending group with its held rows; `followingNeed` is the
    // room wanted below it by what comes next (a text block's first lines).
    void flushGroup(qreal followingNeed = 0);
    void placeRow(Measured &row);
    // Draws a measured row at m_y, breaking pages between lines when it does
    // not fit; `onNewPage` runs after each break (to repeat the headings).
    void placeMeasured(const std::vector<Cell> &cells, Measured &row, qreal padding,
                       const QColor &background, bool ruled,
                       const std::function<void()> &onNewPage);
    qreal drawPart(const std::vector<Cell> &cells, Measured &row, std::vector<int> &cursor,
                   qreal padding, qreal available, const QColor &background, bool ruled,
                   bool force);
    Measured measure(const std::vector<Cell> &cells, const QStringList &texts, qreal padding) const;
    std::vector<Cell> factCells() const;
    void drawHeadings();
    std::vector<qreal> columnWidths(const QList<ReportColumn> &columns) const;
    void notify(Placement::Kind kind, const QRectF &rect, const QString &text);

    PageTarget &m_target;
    QSizeF m_pageSize;
    ReportHeader m_header;
    std::unique_ptr<ReportFace> m_body;
    std::unique_ptr<ReportFace> m_mono;
    std::unique_ptr<ReportFace> m_bold;
    std::unique_ptr<ReportFace> m_groupFace;
    std::unique_ptr<ReportFace> m_titleFace;
    std::unique_ptr<ReportFace> m_small;
    QList<ReportColumn> m_columns;
    std::vector<Cell> m_cells;        // of m_columns
    std::vector<Cell> m_headingCells; // the same in bold
    qreal m_headingsHeight = 0;
    std::optional<PendingGroup> m_pending;
    bool m_open = false; // a page is open
    int m_pageNumber = 0;
    qreal m_y = 0;
    bool m_headingsDrawn = false;
    bool m_ended = false;
    std::function<void(const Placement &)> m_observer;
};
