#include "export/biffrecords.h"

#include "export/excelcells.h"

#include <QList>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace biff {

void put8(QByteArray &out, quint8 v)
{
    out.append(char(v));
}

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putDouble(QByteArray &out, double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, 8);
    char b[8];
    qToLittleEndian(bits, b);
    out.append(b, 8);
}

void record(QByteArray &out, quint16 type, const QByteArray &data)
{
    put16(out, type);
    put16(out, quint16(data.size()));
    out += data;
}

namespace {

bool fitsOneByte(const QString &s)
{
    for (QChar c : s) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

void putCharacters(QByteArray &out, const QString &s, bool oneByte)
{
    for (QChar c : s) {
        if (oneByte)
            put8(out, quint8(c.unicode()));
        else
            put16(out, c.unicode());
    }
}

QByteArray font(quint16 weight, const QString &name)
{
    QByteArray d;
    put16(d, 220);                   // 11 points, in twentieths
    put16(d, weight >= 700 ? 1 : 0); // bold as older readers see it; not italic, not struck out
    put16(d, 0x7FFF);                // automatic colour
    put16(d, weight);
    put16(d, 0);   // no super- or subscript
    put8(d, 0);    // not underlined
    put8(d, 0);    // family
    put8(d, 0x80); // Shift-JIS character set: the Japanese face
    put8(d, 0);
    d += shortString(name);
    return d;
}

QByteArray format(quint16 index, const QString &code)
{
    QByteArray d;
    put16(d, index);
    d += longString(code);
    return d;
}

// An XF record: style XFs (0-14) have no parent; cell XFs name XF 0 as
// theirs and flag the attributes they set themselves.
QByteArray xf(quint16 fontIndex, quint16 formatIndex, bool style, quint8 usedAttributes)
{
    QByteArray d;
    put16(d, fontIndex);
    put16(d, formatIndex);
    put16(d, style ? 0xFFF5 : 0x0001); // locked; a style XF has parent 0xFFF
    put8(d, 0x20);                     // bottom aligned
    put8(d, 0);
    put8(d, 0);
    put8(d, usedAttributes);
    put32(d, 0); // no borders
    put32(d, 0);
    put16(d, 0x20C0); // pattern colours: automatic foreground and background
    return d;
}

} // namespace

QByteArray shortString(const QString &s)
{
    QByteArray d;
    const bool oneByte = fitsOneByte(s);
    put8(d, quint8(s.size()));
    put8(d, oneByte ? 0 : 1);
    putCharacters(d, s, oneByte);
    return d;
}

QByteArray longString(const QString &s)
{
    QByteArray d;
    const bool oneByte = fitsOneByte(s);
    put16(d, quint16(s.size()));
    put8(d, oneByte ? 0 : 1);
    putCharacters(d, s, oneByte);
    return d;
}

QByteArray globalsHead(const QString &sheetName, quint32 sheetOffset)
{
    QByteArray out;
    QByteArray bof;
    put16(bof, 0x0600); // BIFF8
    put16(bof, 0x0005); // workbook globals
    put16(bof, 0x0DBB);
    put16(bof, 0x07CC);
    put32(bof, 0);
    put32(bof, 0x00000006);
    record(out, Bof, bof);
    QByteArray codepage;
    put16(codepage, 1200); // UTF-16: strings carry their own encoding
    record(out, Codepage, codepage);
    QByteArray window1;
    for (quint16 v : {0x0168, 0x001E, 0x3A5C, 0x23BE, 0x0038, 0, 0, 1, 0x0258})
        put16(window1, v);
    record(out, Window1, window1);
    QByteArray date1904;
    put16(date1904, 0);
    record(out, Date1904, date1904);
    const QString face = QStringLiteral("ＭＳ Ｐゴシック");
    for (int i = 0; i < 4; ++i)
        record(out, Font, font(400, face));
    record(out, Font, font(700, face)); // index 5: index 4 is never used
    record(out, Format, format(164, QString::fromLatin1(DateTimeFormat)));
    record(out, Format, format(165, QString::fromLatin1(DateFormat)));
    for (int i = 0; i < 15; ++i)
        record(out, Xf, xf(i == 0 ? 0 : 1, 0, true, i == 0 ? 0 : 0xF4));
    record(out, Xf, xf(0, 0, false, 0));      // 15: general
    record(out, Xf, xf(5, 0, false, 0x08));   // 16: bold header (font set)
    record(out, Xf, xf(0, 164, false, 0x04)); // 17: date and time (format set)
    record(out, Xf, xf(0, 165, false, 0x04)); // 18: date
    QByteArray style;
    put16(style, 0x8000); // built-in style of XF 0
    put8(style, 0);       // Normal
    put8(style, 0xFF);
    record(out, Style, style);
    QByteArray sheet;
    put32(sheet, sheetOffset);
    put8(sheet, 0); // visible
    put8(sheet, 0); // worksheet
    sheet += shortString(sheetName);
    record(out, Boundsheet, sheet);
    return out;
}

QByteArray sheetHead(quint32 rows, quint16 columns, const QList<int> &widths)
{
    QByteArray out;
    QByteArray bof;
    put16(bof, 0x0600);
    put16(bof, 0x0010); // worksheet
    put16(bof, 0x0DBB);
    put16(bof, 0x07CC);
    put32(bof, 0);
    put32(bof, 0x00000006);
    record(out, Bof, bof);
    for (qsizetype c = 0; c < widths.size(); ++c) {
        QByteArray info;
        put16(info, quint16(c));
        put16(info, quint16(c));
        put16(info, quint16(qBound(1, widths[c], 255) * 256)); // 1/256 of a character
        put16(info, XfGeneral);
        put16(info, 0);
        put16(info, 0);
        record(out, Colinfo, info);
    }
    QByteArray dimensions;
    put32(dimensions, 0);
    put32(dimensions, rows);
    put16(dimensions, 0);
    put16(dimensions, columns);
    put16(dimensions, 0);
    record(out, Dimensions, dimensions);
    QByteArray window2;
    put16(window2, 0x06B6); // grid, headers, zeros, outline symbols; selected, active
    put16(window2, 0);
    put16(window2, 0);
    put16(window2, 0x40);
    put16(window2, 0);
    put16(window2, 0);
    put16(window2, 0);
    put32(window2, 0);
    record(out, Window2, window2);
    return out;
}

void numberCell(QByteArray &out, quint16 row, quint16 column, quint16 xfIndex, double value)
{
    // Integers of 30 bits go into the 4-byte RK form.
    if (value == std::trunc(value) && std::fabs(value) < double(1 << 29)) {
        put16(out, Rk);
        put16(out, 10);
        put16(out, row);
        put16(out, column);
        put16(out, xfIndex);
        put32(out, (quint32(qint32(value)) << 2) | 0x2);
        return;
    }
    put16(out, Number);
    put16(out, 14);
    put16(out, row);
    put16(out, column);
    put16(out, xfIndex);
    putDouble(out, value);
}

void booleanCell(QByteArray &out, quint16 row, quint16 column, quint16 xfIndex, bool value)
{
    put16(out, Boolerr);
    put16(out, 8);
    put16(out, row);
    put16(out, column);
    put16(out, xfIndex);
    put8(out, value ? 1 : 0);
    put8(out, 0); // a Boolean, not an error
}

void stringCell(QByteArray &out, quint16 row, quint16 column, quint16 xfIndex, quint32 sstIndex)
{
    put16(out, LabelSst);
    put16(out, 10);
    put16(out, row);
    put16(out, column);
    put16(out, xfIndex);
    put32(out, sstIndex);
}

} // namespace biff
