#pragma once

// A PageTarget is the surface PagedReportWriter draws on, one page at a time.
// Every painter it hands out works in points (1/72 inch) with the origin at
// the page's top-left corner, whatever the device resolution, so one layout
// serves the PDF file, the preview pictures and the printer. Only the current
// page is open; finished pages go to the device and are not kept (except by
// PicturePageTarget, whose purpose is to keep them).

#include "host/io/atomicfile.h"

#include <QList>
#include <QPainter>
#include <QPicture>
#include <QSizeF>
#include <QString>

#include <memory>

struct ShapedText;

class QPdfWriter;

// A4 portrait in points.
QSizeF a4PageSize();

class PageTarget
{
public:
    // The writer draws in tenths of a point: pixel-sized fonts keep their
    // size whatever the device resolution.
    static constexpr qreal UnitsPerPoint = 10;

    virtual ~PageTarget() = default;
    // The page size in points; the writer lays out to it.
    virtual QSizeF pageSize() const = 0;

    // Opens the next page for the drawing calls below, in layout units.
    void openPage();
    void closePage();
    // Leaves the open page unfinished (the report failed); the document is
    // discarded with the target.
    void abandonPage();

    virtual void drawText(QPointF baseline, const ShapedText &text);
    virtual void fillRect(const QRectF &rect, const QColor &color);
    virtual void strokeRect(const QRectF &rect, qreal lineWidth, const QColor &color);
    // With square caps: the line reaches half its width past both ends.
    virtual void drawLine(QPointF from, QPointF to, qreal lineWidth, const QColor &color);

    // Opens the next page. A target that draws through QPainter returns its
    // painter, in points and valid until endPage(); one that overrides every
    // drawing call returns nullptr.
    virtual QPainter *beginPage() = 0;
    virtual void endPage() = 0;
    // Publishes the document (after the last endPage()). A target destroyed
    // without finish() discards what it holds.
    virtual void finish() = 0;

protected:
    QPainter *painter() const { return m_painter; }

private:
    QPainter *m_painter = nullptr;
};

// Writes a PDF file through a temporary file that replaces `path` only on
// finish(), so a failure never leaves a half-written file. It writes the
// content streams itself (pdfpagetarget.cpp); fonts are embedded as subsets,
// so Japanese text shows on any reader, and text extracts as it was given.
class PdfPageTarget : public PageTarget
{
public:
    // Raises HostError 75 (path/file access) naming the path when the file
    // cannot be created.
    PdfPageTarget(const QString &path, const QString &documentTitle);
    ~PdfPageTarget() override;

    QSizeF pageSize() const override;
    // Draws no QPainter: returns nullptr.
    QPainter *beginPage() override;
    void endPage() override;
    // Raises HostError 75 when the file cannot be completed.
    void finish() override;

    void drawText(QPointF baseline, const ShapedText &text) override;
    void fillRect(const QRectF &rect, const QColor &color) override;
    void strokeRect(const QRectF &rect, qreal lineWidth, const QColor &color) override;
    void drawLine(QPointF from, QPointF to, qreal lineWidth, const QColor &color) override;

private:
    class Writer;
    std::unique_ptr<Writer> m_writer;
    int m_pages = 0;
};

// The same file through Qt's PDF engine (QPdfWriter): slower and larger, kept
// as the reference PdfPageTarget's output is compared with.
class QtPdfPageTarget : public PageTarget
{
public:
    QtPdfPageTarget(const QString &path, const QString &documentTitle);
    ~QtPdfPageTarget() override;

    QSizeF pageSize() const override;
    QPainter *beginPage() override;
    void endPage() override;
    void finish() override;

private:
    QString m_path;
    AtomicFile m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPainter m_painter;
    int m_pages = 0;
};

// Records each page as a QPicture, in points, for the on-screen preview.
class PicturePageTarget : public PageTarget
{
public:
    explicit PicturePageTarget(QSizeF pageSize = a4PageSize());

    QSizeF pageSize() const override { return m_pageSize; }
    QPainter *beginPage() override;
    void endPage() override;
    void finish() override {}
    // Recorded as text, which keeps the pictures small and replays exactly.
    void drawText(QPointF baseline, const ShapedText &text) override;

    const QList<QPicture> &pages() const { return m_pages; }
    QList<QPicture> takePages() { return std::exchange(m_pages, {}); }

private:
    QSizeF m_pageSize;
    QPicture m_current;
    QPainter m_painter;
    QList<QPicture> m_pages;
};
