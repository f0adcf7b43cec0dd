#include "host/reports/pagedreportwriter.h"

#include "host/reports/columnfit.h"
#include "host/reports/pagetarget.h"
#include "host/reports/textcache.h"
#include "host/vb/errors.h"

#include <QFontMetricsF>
#include <QTextLayout>

#include <algorithm>

// The layout works in tenths of a point: QFont pixel sizes are whole numbers,
// and pixel-sized fonts keep their size whatever the device resolution.
static constexpr qreal U = PageTarget::UnitsPerPoint;
static constexpr qreal MarginX = 36 * U;
static constexpr qreal MarginTop = 28 * U;
static constexpr qreal MarginBottom = 26 * U;
static constexpr qreal HeaderHeight = 30 * U;
static constexpr qreal HeaderGap = 8 * U;
static constexpr qreal FooterHeight = 14 * U;
static constexpr qreal CellPadding = 2.5 * U;
static constexpr qreal TextPadding = 4 * U;
static constexpr qreal GroupGap = 12 * U;
static constexpr qreal BlockGap = 5 * U;
static constexpr qreal RuleWidth = 0.5 * U;
static constexpr int TextKeepLines = 2;

struct ReportFace
{
    explicit ReportFace(const QFont &f)
        : font(f)
        , metrics(f)
        , cache(f, 4 * metrics.horizontalAdvance(QLatin1Char(' ')))
    {
    }
    QFont font;
    QFontMetricsF metrics;
    TextCache cache;
};

static QFont reportFont(qreal points, bool monospace, bool bold)
{
    QFont font;
    // IPA fonts carry the Japanese glyphs (half-width kana, U+3000 included);
    // the others are what a Windows or macOS machine would have instead.
    font.setFamilies(
        monospace ? QStringList{QStringLiteral("IPAGothic"), QStringLiteral("MS Gothic"),
                                QStringLiteral("Noto Sans Mono CJK JP"),
                                QStringLiteral("DejaVu Sans Mono")}
                  : QStringList{QStringLiteral("IPAPGothic"), QStringLiteral("Meiryo"),
                                QStringLiteral("Noto Sans CJK JP"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(monospace ? QFont::Monospace : QFont::SansSerif);
    font.setPixelSize(qRound(points * U));
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

// One cell's text broken into lines at a given width. A line that fits
// (most cells, most source lines) comes shaped from the face's cache; only a
// paragraph wider than the cell goes through QTextLayout's line breaker.
class WrappedText
{
public:
    WrappedText(QString text, ReportFace &face, qreal width, Qt::Alignment alignment)
    {
        const bool plain = !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) &&
                           !text.contains(QLatin1Char('\t'));
        if (plain) {
            const ShapedText &shaped = face.cache.shape(text);
            if (shaped.advance <= width) {
                m_lines.push_back({shaped, offset(alignment, width, shaped.advance),
                                   face.metrics.ascent(), face.metrics.height()});
                return;
            }
        }
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        const QStringList paragraphs = text.split(QLatin1Char('\n'));
        for (const QString &paragraph : paragraphs) {
            const ShapedText &shaped = face.cache.shape(paragraph);
            if (shaped.advance <= width) {
                m_lines.push_back({shaped, offset(alignment, width, shaped.advance), shaped.ascent,
                                   shaped.height});
                continue;
            }
            breakLines(paragraph, face, width, alignment);
        }
    }

    int lineCount() const { return int(m_lines.size()); }
    qreal lineHeight(int i) const { return m_lines[i].height; }
    qreal height() const
    {
        qreal h = 0;
        for (const Line &line : m_lines)
            h += line.height;
        return h;
    }
    QString firstLine() const
    {
        if (m_lines.empty())
            return {};
        const Line &line = m_lines.front();
        return line.source.isNull() ? line.shaped.text : line.source;
    }

    void drawLine(PageTarget &target, int i, qreal x, qreal top) const
    {
        const Line &line = m_lines[i];
        target.drawText(QPointF(x + line.x, top + line.ascent), line.shaped);
    }

private:
    struct Line
    {
        ShapedText shaped;
        qreal x; // from the cell's left edge
        qreal ascent;
        qreal height;
        QString source = QString(); // a broken line's text with the spaces it broke at
    };

    static qreal offset(Qt::Alignment alignment, qreal width, qreal advance)
    {
        if (alignment & Qt::AlignRight)
            return width - advance;
        if (alignment & Qt::AlignHCenter)
            return (width - advance) / 2;
        return 0;
    }

    void breakLines(const QString &paragraph, const ReportFace &face, qreal width,
                    Qt::Alignment alignment)
    {
        QTextOption option(alignment);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTabStopDistance(4 * face.metrics.horizontalAdvance(QLatin1Char(' ')));
        QTextLayout layout(paragraph, face.font);
        layout.setTextOption(option);
        layout.beginLayout();
        qreal y = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0, y));
            y += line.height();
        }
        layout.endLayout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const QString text = paragraph.mid(line.textStart(), line.textLength());
            // The spaces a line breaks at are not drawn, so not its text.
            qsizetype visible = text.size();
            while (visible > 0 && text[visible - 1].isSpace())
                --visible;
            m_lines.push_back({shapedLine(text.left(visible), face.font, line, line.glyphRuns()), 0,
                               line.ascent(), line.height(), text});
        }
    }

    std::vector<Line> m_lines;
};

PagedReportWriter::PagedReportWriter(PageTarget &target)
    : m_target(target)
    , m_pageSize(target.pageSize() * U)
    , m_body(std::make_unique<ReportFace>(reportFont(8.5, false, false)))
    , m_mono(std::make_unique<ReportFace>(reportFont(8.5, true, false)))
    , m_bold(std::make_unique<ReportFace>(reportFont(8.5, false, true)))
    , m_groupFace(std::make_unique<ReportFace>(reportFont(11, false, true)))
    , m_titleFace(std::make_unique<ReportFace>(reportFont(14, false, true)))
    , m_small(std::make_unique<ReportFace>(reportFont(8, false, false)))
{
    columns({});
}

PagedReportWriter::~PagedReportWriter()
{
    if (m_open)
        m_target.abandonPage();
}

void PagedReportWriter::setPlacementObserver(std::function<void(const Placement &)> observer)
{
    m_observer = std::move(observer);
}

void PagedReportWriter::requireBegun(const char *call) const
{
    if (!m_open || m_ended)
        throw HostError::invalidCall(
            QStringLiteral("ReportWriter::%1 outside begin()/end()").arg(QLatin1String(call)));
}

qreal PagedReportWriter::bodyTop() const
{
    return MarginTop + HeaderHeight + HeaderGap;
}

qreal PagedReportWriter::bodyBottom() const
{
    return m_pageSize.height() - MarginBottom - FooterHeight;
}

qreal PagedReportWriter::bodyLeft() const
{
    return MarginX;
}

qreal PagedReportWriter::bodyWidth() const
{
    return m_pageSize.width() - 2 * MarginX;
}

void PagedReportWriter::begin(const ReportHeader &header)
{
    if (m_open || m_ended)
        throw HostError::invalidCall(QStringLiteral("ReportWriter::begin called twice"));
    m_header = header;
    openPage();
}

void PagedReportWriter::openPage()
{
    m_target.openPage();
    m_open = true;
    ++m_pageNumber;
    drawPageHeader();
    m_y = bodyTop();
    m_headingsDrawn = false;
}

void PagedReportWriter::closePage()
{
    drawFooter();
    m_open = false;
    m_target.closePage();
}

void PagedReportWriter::newPage()
{
    closePage();
    openPage();
}

void PagedReportWriter::drawPageHeader()
{
    const qreal left = bodyLeft();
    const qreal width = bodyWidth();
    const qreal infoWidth = width * 0.4;
    const ShapedText &title = m_titleFace->cache.shape(
        m_titleFace->metrics.elidedText(m_header.title, Qt::ElideRight, width - infoWidth - 6 * U));
    m_target.drawText(QPointF(left, MarginTop + m_titleFace->metrics.ascent()), title);

    const QFontMetricsF &fm = m_small->metrics;
    const ShapedText &database =
        m_small->cache.shape(fm.elidedText(m_header.database, Qt::ElideMiddle, infoWidth));
    m_target.drawText(QPointF(left + width - database.advance, MarginTop + fm.ascent()), database);
    const ShapedText &date = m_small->cache.shape(m_header.date);
    m_target.drawText(QPointF(left + width - date.advance, MarginTop + fm.height() + fm.ascent()),
                      date);

    const qreal ruleY = MarginTop + HeaderHeight - 3 * U;
    m_target.drawLine(QPointF(left, ruleY), QPointF(left + width, ruleY), 1.2 * U, Qt::black);
}

void PagedReportWriter::drawFooter()
{
    const ShapedText &text = m_small->cache.shape(QStringLiteral("%1 ページ").arg(m_pageNumber));
    const qreal y = m_pageSize.height() - MarginBottom - m_small->metrics.descent();
    m_target.drawText(QPointF((m_pageSize.width() - text.advance) / 2, y), text);
}

void PagedReportWriter::notify(Placement::Kind kind, const QRectF &rect, const QString &text)
{
    if (m_observer)
        m_observer({kind, m_pageNumber,
                    QRectF(rect.x() / U, rect.y() / U, rect.width() / U, rect.height() / U), text});
}

void PagedReportWriter::columns(const QList<ReportColumn> &columns)
{
    if (m_pending && !m_pending->rows.empty())
        flushGroup(); // the held rows belong to the old layout
    m_columns = columns;
    QList<ReportColumn> layout = columns;
    if (layout.isEmpty())
        layout.append(ReportColumn{});
    const std::vector<qreal> widths = columnWidths(layout);
    m_cells.clear();
    m_headingCells.clear();
    qreal x = bodyLeft();
    for (qsizetype i = 0; i < layout.size(); ++i) {
        const ReportColumn &column = layout[i];
        const qreal width = widths[size_t(i)];
        const Qt::Alignment alignment = column.alignment & Qt::AlignHorizontal_Mask;
        m_cells.push_back({x, width, alignment, column.monospace ? m_mono.get() : m_body.get()});
        m_headingCells.push_back({x, width, alignment, m_bold.get()});
        x += width;
    }
    const bool anyHeading = std::any_of(columns.begin(), columns.end(),
                                        [](const auto &c) { return !c.heading.isEmpty(); });
    m_headingsHeight = 0;
    if (anyHeading) {
        QStringList headings;
        for (const ReportColumn &column : columns)
            headings.append(column.heading);
        m_headingsHeight = measure(m_headingCells, headings, CellPadding).height;
    }
    m_headingsDrawn = false;
}

std::vector<qreal> PagedReportWriter::columnWidths(const QList<ReportColumn> &columns) const
{
    const bool measured =
        std::any_of(columns.begin(), columns.end(), [](const auto &c) { return c.contentEms > 0; });
    std::vector<qreal> minimum, natural;
    for (const ReportColumn &column : columns) {
        if (measured) {
            const ReportFace &face = column.monospace ? *m_mono : *m_body;
            qreal heading = 0;
            for (const QString &line : column.heading.split(u'\n'))
                heading = std::max(heading, m_bold->metrics.horizontalAdvance(line));
            minimum.push_back(heading + 2 * CellPadding + U);
            natural.push_back(std::max(minimum.back(), column.contentEms * face.font.pixelSize() +
                                                           2 * CellPadding + U));
        } else {
            minimum.push_back(0);
            natural.push_back(std::max<qreal>(column.width, 0));
        }
    }
    if (!measured && std::all_of(natural.begin(), natural.end(), [](qreal w) { return w <= 0; }))
        std::fill(natural.begin(), natural.end(), 1);
    return fitColumns(bodyWidth(), minimum, natural);
}

PagedReportWriter::Measured PagedReportWriter::measure(const std::vector<Cell> &cells,
                                                       const QStringList &texts,
                                                       qreal padding) const
{
    Measured measured;
    measured.cells.reserve(cells.size());
    qreal tallest = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        const Cell &cell = cells[i];
        const QString text = qsizetype(i) < texts.size() ? texts[qsizetype(i)] : QString();
        auto wrapped = std::make_unique<WrappedText>(
            text, *cell.face, std::max<qreal>(cell.width - 2 * padding, U), cell.alignment);
        tallest = std::max(tallest, wrapped->height());
        measured.cells.push_back(std::move(wrapped));
    }
    measured.height = tallest + 2 * padding;
    return measured;
}

qreal PagedReportWriter::drawPart(const std::vector<Cell> &cells, Measured &row,
                                  std::vector<int> &cursor, qreal padding, qreal available,
                                  const QColor &background, bool ruled, bool force)
{
    const qreal room = available - 2 * padding;
    std::vector<int> ends(cells.size());
    qreal tallest = 0;
    bool any = false;
    for (size_t i = 0; i < cells.size(); ++i) {
        const WrappedText &text = *row.cells[i];
        int end = cursor[i];
        qreal height = 0;
        while (end < text.lineCount() &&
               (height + text.lineHeight(end) <= room || (force && end == cursor[i]))) {
            height += text.lineHeight(end);
            ++end;
        }
        any = any || end > cursor[i];
        ends[i] = end;
        tallest = std::max(tallest, height);
    }
    if (!any)
        return 0;
    const qreal used = tallest + 2 * padding;
    const qreal left = cells.front().x;
    const qreal right = cells.back().x + cells.back().width;
    if (background.isValid())
        m_target.fillRect(QRectF(left, m_y, right - left, used), background);
    for (size_t i = 0; i < cells.size(); ++i) {
        qreal y = m_y + padding;
        for (int line = cursor[i]; line < ends[i]; ++line) {
            row.cells[i]->drawLine(m_target, line, cells[i].x + padding, y);
            y += row.cells[i]->lineHeight(line);
        }
        cursor[i] = ends[i];
    }
    if (ruled) {
        for (const Cell &cell : cells)
            m_target.strokeRect(QRectF(cell.x, m_y, cell.width, used), RuleWidth,
                                QColor(0x80, 0x80, 0x80));
    }
    return used;
}

void PagedReportWriter::placeMeasured(const std::vector<Cell> &cells, Measured &row, qreal padding,
                                      const QColor &background, bool ruled,
                                      const std::function<void()> &onNewPage)
{
    std::vector<int> cursor(cells.size(), 0);
    bool force = pageFresh();
    for (;;) {
        m_y += drawPart(cells, row, cursor, padding, remaining(), background, ruled, force);
        bool done = true;
        for (size_t i = 0; i < cells.size(); ++i)
            done = done && cursor[i] >= row.cells[i]->lineCount();
        if (done)
            return;
        newPage();
        if (onNewPage)
            onNewPage();
        force = true; // a fresh page always takes at least one line
    }
}

void PagedReportWriter::drawHeadings()
{
    m_headingsDrawn = true;
    if (m_headingsHeight <= 0)
        return;
    QStringList headings;
    for (const ReportColumn &column : m_columns)
        headings.append(column.heading);
    Measured measured = measure(m_headingCells, headings, CellPadding);
    std::vector<int> cursor(m_headingCells.size(), 0);
    const QRectF rect(bodyLeft(), m_y, bodyWidth(), measured.height);
    m_y += drawPart(m_headingCells, measured, cursor, CellPadding, remaining(),
                    QColor(0xe4, 0xe4, 0xe4), true, true);
    notify(Placement::ColumnHeadings, rect, headings.value(0));
}

void PagedReportWriter::placeRow(Measured &row)
{
    const qreal headings = m_headingsDrawn ? 0 : m_headingsHeight;
    // A row taller than a page is split anyway, so it starts where it is as
    // long as its first lines fit; any other row moves whole.
    qreal firstLines = 0;
    for (const auto &cell : row.cells)
        firstLines = std::max(firstLines, cell->lineHeight(0));
    const bool fitsOnAPage = m_headingsHeight + row.height <= bodyBottom() - bodyTop();
    const qreal need = headings + (fitsOnAPage ? row.height : firstLines + 2 * CellPadding);
    if (need > remaining() && !pageFresh())
        newPage();
    if (!m_headingsDrawn)
        drawHeadings();
    const int page = m_pageNumber;
    const qreal top = m_y;
    placeMeasured(m_cells, row, CellPadding, QColor(), true, [this] { drawHeadings(); });
    if (m_observer) {
        const qreal bottom = m_pageNumber == page ? m_y : bodyBottom();
        m_observer({Placement::Row, page,
                    QRectF(bodyLeft() / U, top / U, bodyWidth() / U, (bottom - top) / U),
                    row.cells.front()->firstLine()});
    }
}

std::vector<PagedReportWriter::Cell> PagedReportWriter::factCells() const
{
    const qreal labelWidth = bodyWidth() * 0.22;
    return {{bodyLeft(), labelWidth, Qt::AlignLeft, m_bold.get()},
            {bodyLeft() + labelWidth, bodyWidth() - labelWidth, Qt::AlignLeft, m_body.get()}};
}

void PagedReportWriter::flushGroup(qreal followingNeed)
{
    if (!m_pending)
        return;
    PendingGroup group = std::move(*m_pending);
    m_pending.reset();

    const qreal headingHeight = m_groupFace->metrics.height() + 2 * CellPadding;
    const std::vector<Cell> factLayout = factCells();
    std::vector<Measured> facts;
    qreal block = headingHeight + BlockGap;
    for (const auto &fact : std::as_const(group.facts)) {
        facts.push_back(measure(factLayout, {fact.first, fact.second}, 1.5 * U));
        block += facts.back().height;
    }
    std::vector<Measured> rows;
    qreal rowsHeight = 0;
    for (const QStringList &cells : group.rows) {
        rows.push_back(measure(m_cells, cells, CellPadding));
        rowsHeight += rows.back().height;
    }
    const qreal bodyHeight = bodyBottom() - bodyTop();
    qreal need = block + followingNeed + (rows.empty() ? 0 : m_headingsHeight + rowsHeight);
    if (need > bodyHeight && !rows.empty()) // cannot share a page anyway: keep one line
        need =
            block + m_headingsHeight + rows.front().cells.front()->lineHeight(0) + 2 * CellPadding;
    const qreal gap = pageFresh() ? 0 : GroupGap;
    if (gap + need > remaining() && !pageFresh())
        newPage();
    else
        m_y += gap;

    const QRectF bar(bodyLeft(), m_y, bodyWidth(), headingHeight);
    m_target.fillRect(bar, QColor(0xd8, 0xe0, 0xea));
    const ShapedText &title = m_groupFace->cache.shape(m_groupFace->metrics.elidedText(
        group.title, Qt::ElideRight, bodyWidth() - 4 * CellPadding));
    m_target.drawText(
        QPointF(bodyLeft() + 2 * CellPadding, m_y + CellPadding + m_groupFace->metrics.ascent()),
        title);
    notify(Placement::GroupHeading, bar, group.title);
    m_y += headingHeight + BlockGap / 2;
    for (Measured &fact : facts)
        placeMeasured(factLayout, fact, 1.5 * U, QColor(), false, {});
    m_y += BlockGap / 2;
    m_headingsDrawn = false;
    for (Measured &row : rows)
        placeRow(row);
}

void PagedReportWriter::group(const QString &title, const ReportFacts &facts)
{
    requireBegun("group");
    flushGroup();
    m_pending = PendingGroup{title, facts, {}};
    m_headingsDrawn = false;
}

void PagedReportWriter::row(const QStringList &cells)
{
    requireBegun("row");
    if (m_pending) {
        m_pending->rows.push_back(cells);
        if (m_pending->rows.size() >= size_t(KeepRows))
            flushGroup();
        return;
    }
    Measured measured = measure(m_cells, cells, CellPadding);
    placeRow(measured);
}

void PagedReportWriter::textBlock(const QString &text, bool monospace)
{
    requireBegun("textBlock");
    const std::vector<Cell> cells{
        {bodyLeft(), bodyWidth(), Qt::AlignLeft, monospace ? m_mono.get() : m_body.get()}};
    Measured measured = measure(cells, {text}, TextPadding);
    const WrappedText &wrapped = *measured.cells.front();
    qreal keep = 2 * TextPadding;
    for (int i = 0; i < std::min(TextKeepLines, wrapped.lineCount()); ++i)
        keep += wrapped.lineHeight(i);
    if (m_pending && m_pending->rows.empty()) {
        flushGroup(BlockGap + keep);
    } else {
        flushGroup();
    }
    if (!pageFresh())
        m_y += BlockGap;
    if (keep > remaining() && !pageFresh())
        newPage();
    const int page = m_pageNumber;
    const QRectF rect(bodyLeft(), m_y, bodyWidth(), std::min(measured.height, remaining()));
    placeMeasured(cells, measured, TextPadding, monospace ? QColor(0xf3, 0xf3, 0xf3) : QColor(),
                  false, {});
    m_y += BlockGap;
    m_headingsDrawn = false;
    if (m_observer)
        m_observer({Placement::Text, page,
                    QRectF(rect.x() / U, rect.y() / U, rect.width() / U, rect.height() / U),
                    wrapped.firstLine()});
}

void PagedReportWriter::end()
{
    requireBegun("end");
    flushGroup();
    closePage();
    m_ended = true;
    m_target.finish();
}
