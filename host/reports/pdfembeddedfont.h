#pragma once

// One font file embedded in a PDF as an Identity-H CID font: glyph ids are
// the character codes, the subset (hb-subset) keeps every id where it was,
// /W gives the widths and a ToUnicode map gives each glyph's text back for
// search and copy. Sizes and simulated bold are per use; one file is
// embedded once however it is used.

#include <QByteArray>
#include <QHash>
#include <QRawFont>
#include <QString>

#include <vector>

class PdfObjectWriter;

class PdfEmbeddedFont
{
public:
    PdfEmbeddedFont(const QRawFont &font, int objectNumber, QByteArray resourceName);

    // What identifies the file behind a QRawFont, whatever its size.
    static QString keyOf(const QRawFont &font);
    // Qt draws `font` (a use of this file) bolder than the file is: the
    // family has no bold.
    bool simulatesBold(const QRawFont &font) const
    {
        return font.weight() >= QFont::DemiBold && m_fileWeight < 600;
    }

    int objectNumber() const { return m_objectNumber; }
    const QByteArray &resourceName() const { return m_resourceName; }
    qreal unitsPerEm() const { return m_unitsPerEm; }
    // The glyph's advance in font units.
    qreal advance(quint32 glyph) const;

    // Records the glyphs of one run of `text`, finding each new glyph's text
    // through the font's character map. Returns whether the glyphs' texts
    // spell `text` on from `at` (which moves past them): when they do not,
    // the drawing must say what text they stand for.
    bool use(const QList<quint32> &glyphs, const QString &text, qsizetype &at);

    // The font objects; false when the font file cannot be subset.
    bool write(PdfObjectWriter &out) const;

private:
    QByteArray subset() const;

    QRawFont m_font;
    int m_objectNumber;
    QByteArray m_resourceName;
    qreal m_unitsPerEm = 1000;
    int m_fileWeight = 400;
    std::vector<quint16> m_advances; // by glyph id, in font units
    // By glyph id: its text ("" when none was found), null while unused.
    std::vector<QString> m_text;
    std::vector<quint32> m_used;
};
