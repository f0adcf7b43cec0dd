#include "host/reports/textcache.h"

#include <QTextLayout>

ShapedText shapedLine(const QString &text, const QFont &font, const QTextLine &line,
                      QList<QGlyphRun> runs)
{
    ShapedText shaped;
    shaped.text = text;
    shaped.font = font;
    shaped.advance = line.horizontalAdvance();
    shaped.ascent = line.ascent();
    shaped.height = line.height();
    const QPointF origin(line.x(), line.y() + line.ascent());
    for (QGlyphRun &run : runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF &p : positions)
            p -= origin;
        run.setPositions(positions);
        run.setBoundingRect(run.boundingRect().translated(-origin));
    }
    shaped.runs = std::move(runs);
    return shaped;
}

static bool needsNoShaping(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= 0x302a && u <= 0x302f) || u == 0x3099 || u == 0x309a) // combining marks
        return false;
    return (u >= 0x20 && u < 0x7f) || (u >= 0x3000 && u <= 0x30ff) ||
           (u >= 0x4e00 && u <= 0x9fff) || (u >= 0xff01 && u <= 0xff9f);
}

TextCache::TextCache(const QFont &font, qreal tabStop)
    : m_font(font)
    , m_metrics(font)
    , m_tabStop(tabStop)
    , m_raw(QRawFont::fromFont(font))
{
    const ShapedText reference = shapeWithLayout(QStringLiteral("0"));
    m_lineAscent = reference.ascent;
    m_lineHeight = reference.height;
    if (reference.runs.size() != 1 || reference.runs.front().rawFont() != m_raw)
        m_raw = QRawFont(); // the layout would not use this font: always shape
}

bool TextCache::shapeDirectly(const QString &text, ShapedText &shaped) const
{
    if (!m_raw.isValid() || text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!needsNoShaping(c))
            return false;
    }
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    qreal x = 0;
    for (QChar c : text) {
        quint32 glyph = 0;
        qreal advance = 0;
        if (!glyphOf(c.unicode(), glyph, advance))
            return false;
        glyphs.append(glyph);
        positions.append(QPointF(x, 0));
        x += advance;
    }
    QGlyphRun run;
    run.setRawFont(m_raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    shaped.text = text;
    shaped.font = m_font;
    shaped.runs = {run};
    shaped.advance = x;
    shaped.ascent = m_lineAscent;
    shaped.height = m_lineHeight;
    return true;
}

bool TextCache::glyphOf(char16_t c, quint32 &glyph, qreal &advance) const
{
    std::unique_ptr<CharPage> &page = m_pages[c >> 8];
    if (!page)
        page = std::make_unique<CharPage>();
    const int i = c & 0xff;
    if (!page->known[i]) {
        const QList<quint32> glyphs = m_raw.glyphIndexesForString(QString(QChar(c)));
        page->glyph[i] = glyphs.size() == 1 ? glyphs.front() : 0;
        page->advance[i] =
            page->glyph[i] ? m_raw.advancesForGlyphIndexes({page->glyph[i]}).front().x() : 0;
        page->known[i] = true;
    }
    glyph = page->glyph[i];
    advance = page->advance[i];
    return glyph != 0;
}

ShapedText TextCache::shapeWithLayout(const QString &text) const
{
    QTextLayout layout(text, m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(m_tabStop);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e9);
    layout.endLayout();
    return shapedLine(text, m_font, line, line.glyphRuns());
}

const ShapedText &TextCache::shape(const QString &text)
{
    // A long string (a line of code, a description) seldom comes twice:
    // hashing it would cost more than shaping it again.
    if (text.size() > MaxCachedLength) {
        if (!shapeDirectly(text, m_uncached))
            m_uncached = shapeWithLayout(text);
        return m_uncached;
    }
    if (qsizetype(m_entries.size()) >= MaxEntries) {
        m_entries.clear();
        m_entries.reserve(MaxEntries); // not rehashed again as it refills
    }
    ShapedText &entry = m_entries[text];
    if (entry.height == 0 && !shapeDirectly(text, entry)) // new: every shaped line has a height
        entry = shapeWithLayout(text);
    return entry;
}
