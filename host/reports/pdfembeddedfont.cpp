#include "host/reports/pdfembeddedfont.h"

#include "host/reports/pdfobjectwriter.h"

#include <fontconfig/fontconfig.h>
#include <hb-subset.h>
#include <hb.h>

#include <QtEndian>

#include <algorithm>
#include <map>

static quint16 u16(const QByteArray &table, qsizetype at)
{
    return at + 2 <= table.size() ? qFromBigEndian<quint16>(table.constData() + at) : 0;
}

static qint16 s16(const QByteArray &table, qsizetype at)
{
    return qint16(u16(table, at));
}

PdfEmbeddedFont::PdfEmbeddedFont(const QRawFont &font, int objectNumber, QByteArray resourceName)
    : m_font(font)
    , m_objectNumber(objectNumber)
    , m_resourceName(std::move(resourceName))
{
    const QByteArray head = m_font.fontTable("head");
    m_unitsPerEm = std::max<quint16>(u16(head, 18), 16);
    // Advances straight from hmtx: exact font units, no rounding to pixels.
    const QByteArray hhea = m_font.fontTable("hhea");
    const QByteArray hmtx = m_font.fontTable("hmtx");
    const int metrics = std::min<int>(u16(hhea, 34), int(hmtx.size() / 4));
    m_advances.reserve(size_t(metrics));
    for (int i = 0; i < metrics; ++i)
        m_advances.push_back(u16(hmtx, 4 * i));
    const QByteArray os2 = m_font.fontTable("OS/2");
    if (os2.size() >= 6)
        m_fileWeight = u16(os2, 4);
}

QString PdfEmbeddedFont::keyOf(const QRawFont &font)
{
    return font.familyName() + QLatin1Char('\n') + font.styleName();
}

qreal PdfEmbeddedFont::advance(quint32 glyph) const
{
    if (m_advances.empty())
        return 0;
    return m_advances[std::min<size_t>(glyph, m_advances.size() - 1)];
}

bool PdfEmbeddedFont::use(const QList<quint32> &glyphs, const QString &text, qsizetype &at)
{
    bool spells = true;
    for (quint32 glyph : glyphs) {
        if (glyph >= m_text.size())
            m_text.resize(size_t(glyph) + 1);
        QString &glyphText = m_text[glyph];
        if (glyphText.isNull()) {
            // The first character of the text this font maps to the glyph.
            glyphText = QLatin1String("");
            for (qsizetype i = 0; i < text.size() && glyphText.isEmpty();) {
                const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
                const QString character = text.mid(i, length);
                const QList<quint32> nominal = m_font.glyphIndexesForString(character);
                if (!nominal.isEmpty() && nominal.front() == glyph)
                    glyphText = character;
                i += length;
            }
            m_used.push_back(glyph);
        }
        const qsizetype length = glyphText.size();
        if (spells && length > 0 && at + length <= text.size() &&
            (length == 1 ? text[at] == glyphText[0]
                         : QStringView(text).mid(at, length) == glyphText)) {
            at += length;
        } else {
            spells = false;
        }
    }
    return spells;
}

// The file fontconfig has for the family and style, mapped rather than
// read: a subset touches only the tables and glyphs it keeps.
static hb_face_t *faceOfFile(const QRawFont &font)
{
    FcPattern *pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8 *>(font.familyName().toUtf8().constData()));
    FcPatternAddString(pattern, FC_STYLE,
                       reinterpret_cast<const FcChar8 *>(font.styleName().toUtf8().constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    hb_face_t *face = nullptr;
    FcChar8 *family = nullptr;
    FcChar8 *file = nullptr;
    int index = 0;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
        QString::fromUtf8(reinterpret_cast<const char *>(family)) == font.familyName() &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        hb_blob_t *blob = hb_blob_create_from_file_or_fail(reinterpret_cast<const char *>(file));
        if (blob) {
            face = hb_face_create(blob, unsigned(index));
            hb_blob_destroy(blob);
            // The same font as Qt's, or glyph ids would not match.
            if (hb_face_get_glyph_count(face) != u16(font.fontTable("maxp"), 4)) {
                hb_face_destroy(face);
                face = nullptr;
            }
        }
    }
    if (match)
        FcPatternDestroy(match);
    return face;
}

// A font file rebuilt from the tables Qt gives, for a font fontconfig does
// not know (one an application loaded itself). The PDF needs no layout
// tables.
static hb_face_t *faceOfTables(const QRawFont &font)
{
    hb_blob_t *whole = nullptr;
    hb_face_t *builder = hb_face_builder_create();
    {
        // The builder reads Qt's copies of the tables in place; they go as
        // soon as the file is assembled.
        std::vector<QByteArray> tables;
        for (const char *tag : {"head", "hhea", "hmtx", "maxp", "loca", "glyf", "cmap", "post",
                                "OS/2", "name", "cvt ", "fpgm", "prep", "CFF "}) {
            QByteArray table = font.fontTable(tag);
            if (table.isEmpty())
                continue;
            hb_blob_t *blob = hb_blob_create(table.constData(), unsigned(table.size()),
                                             HB_MEMORY_MODE_READONLY, nullptr, nullptr);
            hb_face_builder_add_table(builder, hb_tag_from_string(tag, 4), blob);
            hb_blob_destroy(blob);
            tables.push_back(std::move(table));
        }
        whole = hb_face_reference_blob(builder);
        hb_face_destroy(builder);
    }
    hb_face_t *face = hb_face_create(whole, 0);
    hb_blob_destroy(whole);
    return face;
}

QByteArray PdfEmbeddedFont::subset() const
{
    hb_face_t *face = faceOfFile(m_font);
    if (!face)
        face = faceOfTables(m_font);

    QByteArray result;
    if (hb_subset_input_t *input = hb_subset_input_create_or_fail()) {
        hb_set_t *glyphs = hb_subset_input_glyph_set(input);
        hb_set_add(glyphs, 0);
        for (quint32 glyph : m_used)
            hb_set_add(glyphs, glyph);
        hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
        // Keep no characters: the PDF addresses glyphs by id; and no layout
        // tables, since the glyphs are already chosen.
        hb_set_clear(hb_subset_input_unicode_set(input));
        hb_set_t *drop = hb_subset_input_set(input, HB_SUBSET_SETS_DROP_TABLE_TAG);
        for (const char *tag : {"GSUB", "GPOS", "GDEF", "BASE", "JSTF", "MATH", "vhea", "vmtx",
                                "VORG", "morx", "kern", "DSIG"})
            hb_set_add(drop, hb_tag_from_string(tag, 4));
        if (hb_face_t *subset = hb_subset_or_fail(face, input)) {
            hb_blob_t *blob = hb_face_reference_blob(subset);
            unsigned length = 0;
            const char *data = hb_blob_get_data(blob, &length);
            result = QByteArray(data, qsizetype(length));
            hb_blob_destroy(blob);
            hb_face_destroy(subset);
        }
        hb_subset_input_destroy(input);
    }
    hb_face_destroy(face);
    return result;
}

bool PdfEmbeddedFont::write(PdfObjectWriter &out) const
{
    const QByteArray program = subset();
    if (program.isEmpty())
        return false;
    const bool trueType = !m_font.fontTable("loca").isEmpty(); // glyf outlines
    const qreal scale = 1000 / m_unitsPerEm;
    std::map<quint32, QString> glyphs;
    for (quint32 glyph : m_used)
        glyphs.emplace(glyph, m_text[glyph]);

    // A subset's name starts with a tag of six capitals, made from its glyphs.
    uint hash = 0;
    for (const auto &[glyph, text] : glyphs)
        hash = hash * 31 + glyph;
    QByteArray name;
    for (int i = 0; i < 6; ++i, hash /= 26)
        name += char('A' + hash % 26);
    name += '+' + pdfNameOf(m_font.familyName()) + '-' + pdfNameOf(m_font.styleName());

    const int cidFont = out.reserve();
    const int descriptor = out.reserve();
    const int file = out.reserve();
    const int toUnicode = out.reserve();

    out.beginObject(m_objectNumber);
    out.write("<</Type /Font /Subtype /Type0 /BaseFont /" + name +
              " /Encoding /Identity-H /DescendantFonts [" + QByteArray::number(cidFont) +
              " 0 R] /ToUnicode " + QByteArray::number(toUnicode) + " 0 R>>");
    out.endObject();

    QByteArray widths;
    quint32 previous = 0;
    bool open = false;
    for (const auto &[glyph, text] : glyphs) {
        if (!open || glyph != previous + 1) {
            if (open)
                widths += "] ";
            widths += QByteArray::number(glyph) + " [";
            open = true;
        } else {
            widths += ' ';
        }
        appendPdfNumber(widths, advance(glyph) * scale);
        previous = glyph;
    }
    if (open)
        widths += ']';
    out.beginObject(cidFont);
    out.write("<</Type /Font /Subtype /" + QByteArray(trueType ? "CIDFontType2" : "CIDFontType0") +
              " /BaseFont /" + name +
              " /CIDSystemInfo <</Registry (Adobe) /Ordering (Identity) /Supplement 0>>"
              " /FontDescriptor " +
              QByteArray::number(descriptor) + " 0 R /W [" + widths + "]" +
              (trueType ? " /CIDToGIDMap /Identity" : "") + ">>");
    out.endObject();

    const QByteArray head = m_font.fontTable("head");
    const QByteArray hhea = m_font.fontTable("hhea");
    const QByteArray os2 = m_font.fontTable("OS/2");
    QByteArray box;
    for (qsizetype at : {36, 38, 40, 42}) {
        appendPdfNumber(box, s16(head, at) * scale);
        box += ' ';
    }
    QByteArray metrics = " /Ascent ";
    appendPdfNumber(metrics, s16(hhea, 4) * scale);
    metrics += " /Descent ";
    appendPdfNumber(metrics, s16(hhea, 6) * scale);
    metrics += " /CapHeight ";
    appendPdfNumber(metrics, (os2.size() >= 90 ? s16(os2, 88) : s16(hhea, 4)) * scale);
    out.beginObject(descriptor);
    out.write("<</Type /FontDescriptor /FontName /" + name + " /Flags 4 /FontBBox [" +
              box.trimmed() + "] /ItalicAngle 0" + metrics + " /StemV 80 " +
              (trueType ? "/FontFile2 " : "/FontFile3 ") + QByteArray::number(file) + " 0 R>>");
    out.endObject();

    const QByteArray packed = qCompress(program).mid(4); // qCompress prefixes the length
    out.writeStream(file,
                    "/Filter /FlateDecode " +
                        (trueType ? "/Length1 " + QByteArray::number(program.size())
                                  : QByteArray("/Subtype /OpenType")),
                    packed);

    QByteArray cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                      "/CIDSystemInfo <</Registry (Adobe) /Ordering (UCS) /Supplement 0>> def\n"
                      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                      "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
    std::vector<std::pair<quint32, QString>> mapped;
    for (const auto &[glyph, text] : glyphs) {
        if (!text.isEmpty())
            mapped.emplace_back(glyph, text);
    }
    char code[8];
    for (size_t from = 0; from < mapped.size(); from += 100) {
        const size_t to = std::min(mapped.size(), from + 100);
        cmap += QByteArray::number(qsizetype(to - from)) + " beginbfchar\n";
        for (size_t i = from; i < to; ++i) {
            std::snprintf(code, sizeof code, "<%04X>", unsigned(mapped[i].first));
            cmap += code;
            cmap += ' ' + pdfTextString(mapped[i].second).replace("<FEFF", "<") + '\n';
        }
        cmap += "endbfchar\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
    out.writeStream(toUnicode, "/Filter /FlateDecode", qCompress(cmap).mid(4));
    return true;
}
