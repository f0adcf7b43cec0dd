#pragma once

// Shaping is the costliest part of laying out a report, and reports repeat
// their strings (type names, headings, page footers). A TextCache shapes each
// distinct string of one face once; the same glyph runs decide whether a cell
// wraps and are what gets drawn.

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QList>
#include <QRawFont>
#include <QString>

#include <memory>
#include <string_view>
#include <unordered_map>

class QTextLine;

// One line of text ready to draw: glyph positions relative to the baseline
// origin. More than one run when a fallback font supplies glyphs the face's
// own font lacks.
struct ShapedText
{
    QString text;
    QFont font;
    QList<QGlyphRun> runs;
    qreal advance = 0; // to where the next text would start, trailing spaces included
    qreal ascent = 0;  // of the line as shaped (the tallest font in it)
    qreal height = 0;
};

// Takes the glyph runs of a laid-out line and makes them relative to its
// baseline origin.
ShapedText shapedLine(const QString &text, const QFont &font, const QTextLine &line,
                      QList<QGlyphRun> runs);

class TextCache
{
public:
    // `tabStop` is the tab stop distance texts with tabs are shaped with.
    TextCache(const QFont &font, qreal tabStop);

    const QFont &font() const { return m_font; }
    const QFontMetricsF &metrics() const { return m_metrics; }
    // One line, unwrapped; `text` must hold no line break. The reference stays
    // valid until the next call. Short strings are shaped once.
    const ShapedText &shape(const QString &text);

private:
    // Text of Latin, kana and kanji that the main font holds every glyph of
    // needs no shaping engine: its glyphs are the font's character map and
    // its positions the summed advances, as the engine would give them.
    bool shapeDirectly(const QString &text, ShapedText &shaped) const;
    ShapedText shapeWithLayout(const QString &text) const;

    // Bounds memory on long reports of mostly distinct strings.
    static constexpr qsizetype MaxEntries = 500;
    static constexpr qsizetype MaxCachedLength = 40;

    QFont m_font;
    QFontMetricsF m_metrics;
    qreal m_tabStop;
    QRawFont m_raw;
    qreal m_lineAscent = 0; // of a line of the main font alone
    qreal m_lineHeight = 0;
    // The main font's glyph and advance of each character met so far, in
    // pages of 256 characters.
    struct CharPage
    {
        quint32 glyph[256] = {};
        qreal advance[256] = {};
        bool known[256] = {};
    };
    bool glyphOf(char16_t c, quint32 &glyph, qreal &advance) const;
    mutable std::unique_ptr<CharPage> m_pages[256];

    // Qt's string hash showed as a tenth of a long report's layout time.
    struct CheapHash
    {
        size_t operator()(const QString &text) const
        {
            return std::hash<std::u16string_view>()(std::u16string_view(
                reinterpret_cast<const char16_t *>(text.utf16()), size_t(text.size())));
        }
    };
    std::unordered_map<QString, ShapedText, CheapHash> m_entries;
    ShapedText m_uncached;
};
