#include "host/reports/pagetarget.h"

#include "host/reports/textcache.h"
#include "host/vb/errors.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>

QSizeF a4PageSize()
{
    return QPageSize(QPageSize::A4).size(QPageSize::Point);
}

void PageTarget::openPage()
{
    m_painter = beginPage();
    if (!m_painter)
        return;
    m_painter->save();
    m_painter->scale(1 / UnitsPerPoint, 1 / UnitsPerPoint);
    m_painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
}

void PageTarget::closePage()
{
    if (m_painter)
        m_painter->restore();
    m_painter = nullptr;
    endPage();
}

void PageTarget::abandonPage()
{
    if (m_painter) // hand the painter back as it was given
        m_painter->restore();
    m_painter = nullptr;
}

void PageTarget::drawText(QPointF baseline, const ShapedText &text)
{
    m_painter->setPen(Qt::black);
    for (const QGlyphRun &run : text.runs)
        m_painter->drawGlyphRun(baseline, run);
}

void PageTarget::fillRect(const QRectF &rect, const QColor &color)
{
    m_painter->fillRect(rect, color);
}

void PageTarget::strokeRect(const QRectF &rect, qreal lineWidth, const QColor &color)
{
    m_painter->setPen(QPen(color, lineWidth));
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawRect(rect);
}

void PageTarget::drawLine(QPointF from, QPointF to, qreal lineWidth, const QColor &color)
{
    m_painter->setPen(QPen(color, lineWidth, Qt::SolidLine, Qt::SquareCap));
    m_painter->drawLine(from, to);
}

static HostError fileAccessError(const QString &path, const QString &why)
{
    return HostError(Err::PathFileAccess,
                     QStringLiteral("Path/File access error: %1 (%2)").arg(path, why));
}

QtPdfPageTarget::QtPdfPageTarget(const QString &path, const QString &documentTitle)
    : m_path(path)
    , m_file(path)
{
    if (!m_file.open())
        throw fileAccessError(path, m_file.errorString());
    m_pdf = std::make_unique<QPdfWriter>(m_file.device());
    m_pdf->setTitle(documentTitle);
    m_pdf->setCreator(QStringLiteral("Quillmark"));
    m_pdf->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Point));
}

QtPdfPageTarget::~QtPdfPageTarget()
{
    if (m_painter.isActive())
        m_painter.end(); // unless finished, the temporary file goes and the old file stays
}

QSizeF QtPdfPageTarget::pageSize() const
{
    return a4PageSize();
}

QPainter *QtPdfPageTarget::beginPage()
{
    if (m_pages++ == 0) {
        if (!m_painter.begin(m_pdf.get()))
            throw fileAccessError(m_path, QStringLiteral("cannot start the PDF"));
    } else {
        m_pdf->newPage();
    }
    m_painter.resetTransform();
    const qreal scale = m_pdf->resolution() / 72.0;
    m_painter.scale(scale, scale);
    return &m_painter;
}

void QtPdfPageTarget::endPage()
{
    // Pages are written as they are drawn; the next beginPage() starts a new one.
}

void QtPdfPageTarget::finish()
{
    if (m_pages == 0) // a PDF needs at least one page
        beginPage();
    m_painter.end();
    if (!m_file.commit())
        throw fileAccessError(m_path, m_file.errorString());
}

PicturePageTarget::PicturePageTarget(QSizeF pageSize)
    : m_pageSize(pageSize)
{
}

QPainter *PicturePageTarget::beginPage()
{
    m_current = QPicture();
    m_painter.begin(&m_current);
    return &m_painter;
}

void PicturePageTarget::drawText(QPointF baseline, const ShapedText &text)
{
    painter()->setFont(text.font);
    painter()->setPen(Qt::black);
    painter()->drawText(baseline, text.text);
}

void PicturePageTarget::endPage()
{
    m_painter.end();
    m_current.setBoundingRect(QRectF(QPointF(0, 0), m_pageSize).toAlignedRect());
    m_pages.append(m_current);
}
