#include "host/views/reportpreview.h"

#include "host/reports/pagedreportwriter.h"
#include "host/vb/errors.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>
#include <functional>

static constexpr int PageGap = 16; // pixels between and around pages
static const qreal ZoomSteps[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0};

PrinterPageTarget::PrinterPageTarget(QPrinter &printer)
    : m_printer(printer)
{
    m_printer.setFullPage(true); // our own margins, measured from the paper's edge
}

PrinterPageTarget::~PrinterPageTarget()
{
    if (m_discardPainter.isActive())
        m_discardPainter.end();
    if (m_painter.isActive()) {
        m_printer.abort(); // a failed report is not printed half
        m_painter.end();
    }
}

QSizeF PrinterPageTarget::pageSize() const
{
    return m_printer.pageLayout().fullRectPoints().size();
}

bool PrinterPageTarget::inRange(int page) const
{
    if (m_printer.printRange() != QPrinter::PageRange || m_printer.fromPage() <= 0)
        return true;
    return page >= m_printer.fromPage() && (m_printer.toPage() <= 0 || page <= m_printer.toPage());
}

QPainter *PrinterPageTarget::beginPage()
{
    ++m_page;
    if (!inRange(m_page)) {
        m_discard = QPicture();
        m_discardPainter.begin(&m_discard);
        return &m_discardPainter;
    }
    if (m_printed++ == 0) {
        if (!m_painter.begin(&m_printer))
            throw HostError(
                Err::PathFileAccess,
                QStringLiteral("Path/File access error: printer %1").arg(m_printer.printerName()));
    } else {
        m_printer.newPage();
    }
    m_painter.resetTransform();
    const qreal scale = m_printer.resolution() / 72.0;
    m_painter.scale(scale, scale);
    return &m_painter;
}

void PrinterPageTarget::endPage()
{
    if (m_discardPainter.isActive())
        m_discardPainter.end();
}

void PrinterPageTarget::finish()
{
    if (m_painter.isActive())
        m_painter.end();
}

// The pages stacked vertically on a grey ground, drawn at the current zoom;
// only pages in the exposed area are painted.
class ReportPageView : public QWidget
{
public:
    ReportPageView(QList<QPicture> pages, QSizeF pageSize, QWidget *parent)
        : QWidget(parent)
        , m_pages(std::move(pages))
        , m_pageSize(pageSize)
    {
        setAutoFillBackground(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
        setPalette(palette);
        updateSize();
    }

    std::function<void(qreal)> onZoomed; // zoom changed by the wheel

    int pageCount() const { return int(m_pages.size()); }
    void appendPages(QList<QPicture> pages)
    {
        if (pages.isEmpty())
            return;
        m_pages.append(std::move(pages));
        updateSize();
        update();
    }
    qreal zoom() const { return m_zoom; }
    void setZoom(qreal zoom)
    {
        m_zoom = zoom;
        m_cache.clear();
        updateSize();
        update();
    }
    // Pixels per point on this screen at the current zoom.
    qreal scale() const { return m_zoom * logicalDpiX() / 72.0; }
    QSize pagePixels() const
    {
        return QSize(qRound(m_pageSize.width() * scale()), qRound(m_pageSize.height() * scale()));
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        const QSize page = pagePixels();
        const int pitch = page.height() + PageGap;
        const int x = std::max(PageGap, (width() - page.width()) / 2);
        const int first = std::max(0, (event->rect().top() - PageGap) / pitch);
        const int last = std::min(pageCount() - 1, event->rect().bottom() / pitch);
        for (int i = first; i <= last; ++i) {
            const QRect rect(x, PageGap + i * pitch, page.width(), page.height());
            painter.fillRect(rect.translated(3, 3), QColor(0x50, 0x50, 0x50));
            painter.drawImage(rect, pageImage(i));
        }
    }

    void wheelEvent(QWheelEvent *event) override
    {
        if (!(event->modifiers() & Qt::ControlModifier)) {
            event->ignore(); // the scroll area scrolls
            return;
        }
        const qreal factor = event->angleDelta().y() > 0 ? 1.1 : 1 / 1.1;
        setZoom(std::clamp(m_zoom * factor, 0.25, 4.0));
        if (onZoomed)
            onZoomed(m_zoom);
        event->accept();
    }

private:
    // Pages are rendered once per zoom into images: replaying a picture
    // straight onto the widget loses text on some platforms, and blitting
    // makes scrolling cheap. A few pages are kept.
    QImage pageImage(int index)
    {
        for (const auto &cached : std::as_const(m_cache))
            if (cached.first == index)
                return cached.second;
        const qreal ratio = devicePixelRatioF();
        QImage image(pagePixels() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                               QPainter::SmoothPixmapTransform);
        painter.scale(scale(), scale());
        painter.drawPicture(0, 0, m_pages[index]);
        painter.end();
        m_cache.prepend({index, image});
        if (m_cache.size() > 8)
            m_cache.removeLast();
        return image;
    }

    void updateSize()
    {
        const QSize page = pagePixels();
        resize(page.width() + 2 * PageGap, PageGap + pageCount() * (page.height() + PageGap));
    }

    QList<QPicture> m_pages;
    QList<QPair<int, QImage>> m_cache; // most recent first
    QSizeF m_pageSize;
    qreal m_zoom = 1.0;
};

ReportPreviewWindow::ReportPreviewWindow(std::shared_ptr<const RecordedReport> report,
                                         QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_report(std::move(report))
    , m_target(std::make_unique<PicturePageTarget>())
    , m_writer(std::make_unique<PagedReportWriter>(*m_target))
{
    const ReportHeader &header = m_report->header();
    setWindowTitle(header.database.isEmpty()
                       ? header.title
                       : QStringLiteral("%1 - %2").arg(header.title, header.database));

    m_printButton = new QPushButton(QStringLiteral("印刷"), this);
    m_pdfButton = new QPushButton(QStringLiteral("PDF保存"), this);
    auto *closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    m_zoomBox = new QComboBox(this);
    for (qreal step : ZoomSteps)
        m_zoomBox->addItem(QStringLiteral("%1%").arg(qRound(step * 100)), step);
    m_pagesLabel = new QLabel(this);

    auto *tools = new QHBoxLayout;
    tools->addWidget(m_printButton);
    tools->addWidget(m_pdfButton);
    tools->addSpacing(12);
    tools->addWidget(new QLabel(QStringLiteral("倍率"), this));
    tools->addWidget(m_zoomBox);
    tools->addSpacing(12);
    tools->addWidget(m_pagesLabel);
    tools->addStretch();
    tools->addWidget(closeButton);

    m_view = new ReportPageView({}, m_target->pageSize(), this);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_view);
    m_scroll->setAlignment(Qt::AlignHCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->verticalScrollBar()->setSingleStep(40);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_scroll, 1);

    m_zoomBox->setCurrentIndex(2); // 100%
    m_view->onZoomed = [this](qreal zoom) { showZoom(zoom); };
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this, &ReportPreviewWindow::zoomChosen);
    connect(m_printButton, &QPushButton::clicked, this, &ReportPreviewWindow::print);
    connect(m_pdfButton, &QPushButton::clicked, this, &ReportPreviewWindow::savePdf);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    m_printButton->setEnabled(false);
    m_pdfButton->setEnabled(false);
    m_pagesLabel->setText(QStringLiteral("ページ作成中"));
    m_layoutTimer = new QTimer(this);
    connect(m_layoutTimer, &QTimer::timeout, this, [this] {
        // About a twentieth of a second per step, whatever the items cost.
        QElapsedTimer clock;
        clock.start();
        while (layOutStep(64))
            if (clock.elapsed() >= 50)
                return;
    });
    m_layoutTimer->start(0);
}

ReportPreviewWindow::~ReportPreviewWindow() = default;

bool ReportPreviewWindow::layOutStep(size_t items)
{
    if (!m_writer)
        return false;
    try {
        m_nextItem = m_report->replay(*m_writer, m_nextItem, items);
    } catch (const HostError &e) {
        // The pages made so far stay; the label says why there are no more.
        m_writer.reset();
        m_layoutTimer->stop();
        takeLaidOutPages();
        m_pagesLabel->setText(QStringLiteral("%1 ページ (以降は作成できません: %2 %3)")
                                  .arg(m_view->pageCount())
                                  .arg(e.code())
                                  .arg(e.description()));
        return false;
    }
    if (m_nextItem < m_report->itemCount()) {
        takeLaidOutPages();
        m_pagesLabel->setText(QStringLiteral("%1 ページ作成中").arg(m_view->pageCount()));
        return true;
    }
    m_writer.reset();
    m_layoutTimer->stop();
    takeLaidOutPages();
    m_pagesLabel->setText(QStringLiteral("全 %1 ページ").arg(m_view->pageCount()));
    m_printButton->setEnabled(true);
    m_pdfButton->setEnabled(true);
    return false;
}

void ReportPreviewWindow::takeLaidOutPages()
{
    m_view->appendPages(m_target->takePages());
}

void ReportPreviewWindow::finishLayout()
{
    while (layOutStep(m_report->itemCount()))
        ;
}

int ReportPreviewWindow::pageCount() const
{
    return m_view->pageCount();
}

qreal ReportPreviewWindow::zoom() const
{
    return m_view->zoom();
}

void ReportPreviewWindow::setZoom(qreal zoom)
{
    m_view->setZoom(zoom);
    showZoom(zoom);
}

void ReportPreviewWindow::showZoom(qreal zoom)
{
    const QSignalBlocker blocker(m_zoomBox);
    const int index = m_zoomBox->findData(zoom);
    if (index >= 0) {
        m_zoomBox->setCurrentIndex(index);
    } else {
        m_zoomBox->setCurrentIndex(-1);
        m_zoomBox->setPlaceholderText(QStringLiteral("%1%").arg(qRound(zoom * 100)));
    }
}

void ReportPreviewWindow::zoomChosen(int index)
{
    if (index >= 0)
        setZoom(m_zoomBox->itemData(index).toReal());
}

void ReportPreviewWindow::savePdfTo(const QString &path) const
{
    PdfPageTarget target(path, m_report->header().title);
    PagedReportWriter writer(target);
    m_report->replay(writer);
}

void ReportPreviewWindow::savePdf()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("PDF保存"),
        QDir(folder).filePath(m_report->header().title + QStringLiteral(".pdf")),
        QStringLiteral("PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    try {
        savePdfTo(path);
    } catch (const HostError &e) {
        QMessageBox::warning(this, QStringLiteral("PDF保存"),
                             QStringLiteral("%1\n%2").arg(e.code()).arg(e.description()));
    }
}

void ReportPreviewWindow::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    printer.setDocName(m_report->header().title);
    finishLayout(); // the dialog offers the whole page range
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    if (dialog.exec() != QDialog::Accepted)
        return;
    try {
        PrinterPageTarget target(printer);
        PagedReportWriter writer(target);
        m_report->replay(writer);
    } catch (const HostError &e) {
        QMessageBox::warning(this, QStringLiteral("印刷"),
                             QStringLiteral("%1\n%2").arg(e.code()).arg(e.description()));
    }
}

void PreviewReportOutput::show(const QString &reportName, const StoreReport &report,
                               QSqlDatabase &store)
{
    Q_UNUSED(reportName);
    auto recorded = std::make_shared<RecordedReport>();
    writeReport(report, store, *recorded, reportHeader(report, store));
    auto *window = new ReportPreviewWindow(std::move(recorded));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showMaximized();
    m_last = window;
}
