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

TextCache::TextCache(const QFont &font, qreal tabStop)
    : m_font(font)
    , m_metrics(font)
    , m_tabStop(tabStop)
{
}

const ShapedText &TextCache::shape(const QString &text)
{
    auto found = m_entries.constFind(text);
    if (found != m_entries.constEnd())
        return *found;
    if (m_entries.size() >= MaxEntries)
        m_entries.clear();
    QTextLayout layout(text, m_font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(m_tabStop);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e9);
    layout.endLayout();
    return *m_entries.insert(text, shapedLine(text, m_font, line, line.glyphRuns()));
}
