#pragma once

// The on-screen report preview. PreviewReportOutput is the ReportOutput of
// the desktop program: each launch reads the report once into a recording
// (the store connection closes when show() returns) and opens a new,
// maximised ReportPreviewWindow that stays open until the user closes it.
// The window shows the pages laid out by PagedReportWriter as pictures,
// scrollable and zoomable, and prints or saves a PDF by laying the same
// recording out again on the printer or the file. The pages are laid out
// in short steps from the event loop: the window opens at once, its page
// count grows as pages are made, and everything stays responsive.

#include "host/reports/pagetarget.h"
#include "host/reports/recordedreport.h"
#include "host/reports/reportoutput.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class PagedReportWriter;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;
class QPrinter;
class QScrollArea;
class ReportPageView;

// Draws on a QPrinter: full-page coordinates in points, the printer's paper
// size, and only the pages of the chosen range reach the printer (the others
// are laid out and dropped so page numbers stay right).
class PrinterPageTarget : public PageTarget
{
public:
    explicit PrinterPageTarget(QPrinter &printer);
    ~PrinterPageTarget() override;

    QSizeF pageSize() const override;
    // Raises HostError 75 when the printer cannot be started.
    QPainter *beginPage() override;
    void endPage() override;
    void finish() override;

private:
    bool inRange(int page) const;

    QPrinter &m_printer;
    QPainter m_painter;
    QPicture m_discard;
    QPainter m_discardPainter;
    int m_page = 0;
    int m_printed = 0;
};

class ReportPreviewWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ReportPreviewWindow(std::shared_ptr<const RecordedReport> report,
                                 QWidget *parent = nullptr);
    ~ReportPreviewWindow() override;

    // The pages laid out so far.
    int pageCount() const;
    bool isLaidOut() const { return !m_writer; }
    // Lays out the rest at once.
    void finishLayout();
    qreal zoom() const;
    void setZoom(qreal zoom); // 1.0 = actual size

    // Lays the report out again into a PDF file; raises HostError 75.
    void savePdfTo(const QString &path) const;

public slots:
    void print();   // QPrintDialog, then the printer
    void savePdf(); // QFileDialog, then savePdfTo()

private:
    void zoomChosen(int index);
    void showZoom(qreal zoom);
    // One step of the layout; false once it is complete.
    bool layOutStep(size_t items);
    void takeLaidOutPages();

    std::shared_ptr<const RecordedReport> m_report;
    std::unique_ptr<PicturePageTarget> m_target;
    std::unique_ptr<PagedReportWriter> m_writer; // null once laid out
    size_t m_nextItem = 0;
    QTimer *m_layoutTimer = nullptr;
    QPushButton *m_printButton = nullptr;
    QPushButton *m_pdfButton = nullptr;
    ReportPageView *m_view = nullptr;
    QScrollArea *m_scroll = nullptr;
    QComboBox *m_zoomBox = nullptr;
    QLabel *m_pagesLabel = nullptr;
};

class PreviewReportOutput : public ReportOutput
{
public:
    void show(const QString &reportName, const StoreReport &report, QSqlDatabase &store) override;
    // The window of the latest launch while it is open.
    ReportPreviewWindow *lastWindow() const { return m_last; }

private:
    QPointer<ReportPreviewWindow> m_last;
};
