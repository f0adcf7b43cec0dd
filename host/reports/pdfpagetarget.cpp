// The PDF target writes its pages' content streams itself: one text object
// per cell with the glyph ids of the cached runs, rules batched into one path,
// each font file embedded once. Pages are compressed on worker threads while
// the next ones are laid out, and written in order.

#include "host/reports/pagetarget.h"

#include "host/reports/pdfembeddedfont.h"
#include "host/reports/pdfobjectwriter.h"
#include "host/reports/textcache.h"
#include "host/vb/errors.h"

#include <QHash>

#include <cstdio>
#include <optional>

#include <cmath>
#include <deque>
#include <future>
#include <thread>

namespace {

HostError fileAccessError(const QString &path, const QString &why)
{
    return HostError(Err::PathFileAccess,
                     QStringLiteral("Path/File access error: %1 (%2)").arg(path, why));
}

QByteArray colorOperands(const QColor &color)
{
    char text[48];
    std::snprintf(text, sizeof text, "%.3f %.3f %.3f", color.redF(), color.greenF(), color.blueF());
    return text;
}

void appendGlyph(QByteArray &out, quint32 glyph)
{
    static const char hex[] = "0123456789ABCDEF";
    const char code[4] = {hex[(glyph >> 12) & 15], hex[(glyph >> 8) & 15], hex[(glyph >> 4) & 15],
                          hex[glyph & 15]};
    out.append(code, 4);
}

} // namespace

class PdfPageTarget::Writer
{
public:
    Writer(const QString &path, const QString &title)
        : m_path(path)
        , m_title(title)
        , m_file(path)
    {
        if (!m_file.open())
            throw fileAccessError(path, m_file.errorString());
        m_out.emplace(*m_file.device());
        m_catalog = m_out->reserve();
        m_pages = m_out->reserve();
        m_resources = m_out->reserve();
        m_info = m_out->reserve();
        m_workers = std::max(1u, std::thread::hardware_concurrency());
    }

    ~Writer()
    {
        for (auto &page : m_compressing)
            page.second.wait();
    }

    void beginPage()
    {
        m_content.clear();
        m_content.reserve(64 * 1024);
        // Layout units, origin at the top-left corner.
        m_content += "0.1 0 0 -0.1 0 ";
        appendPdfNumber(m_content, a4PageSize().height());
        m_content += " cm 2 J 2 j\n";
        m_fill = Qt::black;
        m_stroke = Qt::black;
        m_lineWidth = 10;
    }

    void endPage()
    {
        flushPath();
        const int page = m_out->reserve();
        const int content = m_out->reserve();
        m_pageObjects.push_back(page);
        const QSizeF size = a4PageSize();
        QByteArray dictionary =
            "<</Type /Page /Parent " + QByteArray::number(m_pages) + " 0 R /MediaBox [0 0 ";
        appendPdfNumber(dictionary, size.width());
        dictionary += ' ';
        appendPdfNumber(dictionary, size.height());
        dictionary += "] /Resources " + QByteArray::number(m_resources) + " 0 R /Contents " +
                      QByteArray::number(content) + " 0 R>>";
        m_out->beginObject(page);
        m_out->write(dictionary);
        m_out->endObject();
        const qsizetype written = m_content.size();
        m_compressing.emplace_back(
            content, std::async(std::launch::async, [data = std::move(m_content)] {
                return qCompress(data, 1).mid(4); // qCompress prefixes the length
            }));
        // Pages of a report are alike: room for the next one saves growing it.
        m_content = QByteArray();
        m_content.reserve(written + written / 8);
        while (m_compressing.size() > 2 * size_t(m_workers))
            writeOldest();
    }

    void fillRect(const QRectF &rect, const QColor &color)
    {
        flushPath();
        if (color != m_fill) {
            m_content += colorOperands(color) + " rg\n";
            m_fill = color;
        }
        appendRect(rect);
        m_content += "f\n";
    }

    void strokeRect(const QRectF &rect, qreal lineWidth, const QColor &color)
    {
        setStroke(lineWidth, color);
        appendRect(rect);
        m_pathOpen = true;
    }

    void drawLine(QPointF from, QPointF to, qreal lineWidth, const QColor &color)
    {
        setStroke(lineWidth, color);
        appendPdfNumber(m_content, from.x());
        m_content += ' ';
        appendPdfNumber(m_content, from.y());
        m_content += " m ";
        appendPdfNumber(m_content, to.x());
        m_content += ' ';
        appendPdfNumber(m_content, to.y());
        m_content += " l\n";
        m_pathOpen = true;
    }

    void drawText(QPointF baseline, const ShapedText &text)
    {
        if (text.runs.isEmpty())
            return;
        flushPath();
        if (m_fill != Qt::black) {
            m_content += "0 g\n";
            m_fill = Qt::black;
        }
        bool spells = true;
        bool anyBold = false;
        qsizetype at = 0;
        m_runFonts.clear();
        for (const QGlyphRun &run : text.runs) {
            PdfEmbeddedFont &font = fontFor(run.rawFont());
            m_runFonts.push_back(&font);
            spells = font.use(run.glyphIndexes(), text.text, at) && spells;
            anyBold = anyBold || font.simulatesBold(run.rawFont());
        }
        spells = spells && at == text.text.size();
        // When the glyphs do not spell the text one to one (ligatures, marks,
        // right-to-left), the span says what they stand for.
        if (!spells)
            m_content += "/Span <</ActualText " + pdfTextString(text.text) + ">> BDC\n";
        m_content += "BT\n";
        for (qsizetype i = 0; i < text.runs.size(); ++i)
            appendRun(*m_runFonts[size_t(i)], text.runs[i], baseline, 0);
        m_content += "ET\n";
        if (!spells)
            m_content += "EMC\n";
        if (anyBold) {
            // As Qt does for a family without bold: the glyphs again, shifted
            // left by half a stroke, and marked as no text of their own.
            m_content += "/Span <</ActualText <>>> BDC\nBT\n";
            for (qsizetype i = 0; i < text.runs.size(); ++i) {
                const QGlyphRun &run = text.runs[i];
                PdfEmbeddedFont &font = *m_runFonts[size_t(i)];
                if (font.simulatesBold(run.rawFont()))
                    appendRun(font, run, baseline, -0.5 * run.rawFont().lineThickness());
            }
            m_content += "ET\nEMC\n";
        }
    }

    void finish(bool blankPage)
    {
        if (blankPage) {
            beginPage();
            endPage();
        }
        while (!m_compressing.empty())
            writeOldest();
        QByteArray fonts;
        for (const auto &font : m_fontOrder) {
            if (!font->write(*m_out))
                throw fileAccessError(m_path, QStringLiteral("cannot embed the font %1")
                                                  .arg(QString::fromLatin1(font->resourceName())));
            fonts += " /" + font->resourceName() + ' ' + QByteArray::number(font->objectNumber()) +
                     " 0 R";
        }
        m_out->beginObject(m_resources);
        m_out->write("<</Font <<" + fonts + ">> >>");
        m_out->endObject();

        QByteArray kids;
        for (int page : m_pageObjects)
            kids += QByteArray::number(page) + " 0 R ";
        m_out->beginObject(m_pages);
        m_out->write("<</Type /Pages /Kids [" + kids.trimmed() + "] /Count " +
                     QByteArray::number(qsizetype(m_pageObjects.size())) + ">>");
        m_out->endObject();
        m_out->beginObject(m_catalog);
        m_out->write("<</Type /Catalog /Pages " + QByteArray::number(m_pages) + " 0 R>>");
        m_out->endObject();
        m_out->beginObject(m_info);
        m_out->write("<</Title " + pdfTextString(m_title) +
                     " /Creator (Quillmark) /Producer (Quillmark)>>");
        m_out->endObject();
        if (!m_out->finish(m_catalog, m_info))
            throw fileAccessError(m_path, m_file.errorString());
        if (!m_file.commit())
            throw fileAccessError(m_path, m_file.errorString());
    }

private:
    PdfEmbeddedFont &fontFor(const QRawFont &raw)
    {
        // A report draws with a handful of fonts: look the same ones up fast.
        for (const auto &[known, font] : m_recentFonts) {
            if (known == raw)
                return *font;
        }
        PdfEmbeddedFont &font = fontOfFile(raw);
        m_recentFonts.emplace_back(raw, &font);
        return font;
    }

    PdfEmbeddedFont &fontOfFile(const QRawFont &raw)
    {
        const QString key = PdfEmbeddedFont::keyOf(raw);
        auto found = m_fonts.find(key);
        if (found == m_fonts.end()) {
            auto font = std::make_shared<PdfEmbeddedFont>(
                raw, m_out->reserve(), "F" + QByteArray::number(qsizetype(m_fontOrder.size() + 1)));
            m_fontOrder.push_back(font);
            found = m_fonts.insert(key, font.get());
        }
        return **found;
    }

    void appendRun(PdfEmbeddedFont &font, const QGlyphRun &run, QPointF baseline, qreal shift)
    {
        QByteArray &out = m_content;
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        if (glyphs.isEmpty())
            return;
        const qreal size = run.rawFont().pixelSize();
        const qreal scale = size / font.unitsPerEm();
        out += '/';
        out += font.resourceName();
        out += ' ';
        appendPdfNumber(out, size);
        out += " Tf\n";
        qreal pen = 0;
        qreal y = 0;
        for (qsizetype i = 0; i < glyphs.size(); ++i) {
            const qreal gx = baseline.x() + positions[i].x() + shift;
            const qreal gy = baseline.y() + positions[i].y();
            if (i == 0 || std::abs(gy - y) > 0.01) {
                if (i > 0)
                    out += ">] TJ\n";
                out += "1 0 0 -1 ";
                appendPdfNumber(out, gx);
                out += ' ';
                appendPdfNumber(out, gy);
                out += " Tm [<";
                pen = gx;
                y = gy;
            } else if (std::abs(gx - pen) > 0.3) { // a tab, or drift worth 0.03 pt
                out += "> ";
                appendPdfNumber(out, -(gx - pen) * 1000 / size);
                out += " <";
                pen = gx;
            }
            appendGlyph(out, glyphs[i]);
            pen += font.advance(glyphs[i]) * scale;
        }
        out += ">] TJ\n";
    }

    void appendRect(const QRectF &rect)
    {
        appendPdfNumber(m_content, rect.x());
        m_content += ' ';
        appendPdfNumber(m_content, rect.y());
        m_content += ' ';
        appendPdfNumber(m_content, rect.width());
        m_content += ' ';
        appendPdfNumber(m_content, rect.height());
        m_content += " re\n";
    }

    void setStroke(qreal lineWidth, const QColor &color)
    {
        if (lineWidth == m_lineWidth && color == m_stroke)
            return;
        flushPath();
        if (color != m_stroke) {
            m_content += colorOperands(color) + " RG\n";
            m_stroke = color;
        }
        if (lineWidth != m_lineWidth) {
            appendPdfNumber(m_content, lineWidth);
            m_content += " w\n";
            m_lineWidth = lineWidth;
        }
    }

    void flushPath()
    {
        if (!m_pathOpen)
            return;
        m_content += "S\n";
        m_pathOpen = false;
    }

    void writeOldest()
    {
        auto &[content, data] = m_compressing.front();
        m_out->writeStream(content, "/Filter /FlateDecode", data.get());
        m_compressing.pop_front();
    }

    QString m_path;
    QString m_title;
    AtomicFile m_file;
    std::optional<PdfObjectWriter> m_out;
    int m_catalog = 0;
    int m_pages = 0;
    int m_resources = 0;
    int m_info = 0;
    unsigned m_workers = 1;
    std::vector<int> m_pageObjects;
    std::deque<std::pair<int, std::future<QByteArray>>> m_compressing;
    QHash<QString, PdfEmbeddedFont *> m_fonts;
    std::vector<std::shared_ptr<PdfEmbeddedFont>> m_fontOrder;
    std::vector<std::pair<QRawFont, PdfEmbeddedFont *>> m_recentFonts;
    std::vector<PdfEmbeddedFont *> m_runFonts; // of the text being drawn

    QByteArray m_content;
    QColor m_fill;
    QColor m_stroke;
    qreal m_lineWidth = 10;
    bool m_pathOpen = false;
};

PdfPageTarget::PdfPageTarget(const QString &path, const QString &documentTitle)
    : m_writer(std::make_unique<Writer>(path, documentTitle))
{
}

PdfPageTarget::~PdfPageTarget() = default;

QSizeF PdfPageTarget::pageSize() const
{
    return a4PageSize();
}

QPainter *PdfPageTarget::beginPage()
{
    ++m_pages;
    m_writer->beginPage();
    return nullptr;
}

void PdfPageTarget::endPage()
{
    m_writer->endPage();
}

void PdfPageTarget::finish()
{
    m_writer->finish(m_pages == 0);
}

void PdfPageTarget::drawText(QPointF baseline, const ShapedText &text)
{
    m_writer->drawText(baseline, text);
}

void PdfPageTarget::fillRect(const QRectF &rect, const QColor &color)
{
    m_writer->fillRect(rect, color);
}

void PdfPageTarget::strokeRect(const QRectF &rect, qreal lineWidth, const QColor &color)
{
    m_writer->strokeRect(rect, lineWidth, color);
}

void PdfPageTarget::drawLine(QPointF from, QPointF to, qreal lineWidth, const QColor &color)
{
    m_writer->drawLine(from, to, lineWidth, color);
}
