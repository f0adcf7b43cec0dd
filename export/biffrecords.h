#pragma once

// BIFF8 records of an Excel 97-2003 workbook stream, as [MS-XLS] lays them
// out: a record is its type (2 bytes), the length of its data (2 bytes, at
// most 8224) and the data, all little-endian.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace biff {

enum Record : quint16 {
    Eof = 0x000A,
    Date1904 = 0x0022,
    Codepage = 0x0042,
    Window1 = 0x003D,
    Font = 0x0031,
    Number = 0x0203,
    Boolerr = 0x0205,
    Continue = 0x003C,
    Boundsheet = 0x0085,
    Sst = 0x00FC,
    Extsst = 0x00FF,
    LabelSst = 0x00FD,
    Dimensions = 0x0200,
    Rk = 0x027E,
    Style = 0x0293,
    Window2 = 0x023E,
    Format = 0x041E,
    Xf = 0x00E0,
    Colinfo = 0x007D,
    Bof = 0x0809,
};

inline constexpr qsizetype MaxRecordData = 8224;

// The cell formats (XF indexes) the writer's globals define.
inline constexpr quint16 XfGeneral = 15;
inline constexpr quint16 XfHeader = 16; // bold
inline constexpr quint16 XfDateTime = 17;
inline constexpr quint16 XfDate = 18;

// Appends little-endian integers and whole records.
void put8(QByteArray &out, quint8 v);
void put16(QByteArray &out, quint16 v);
void put32(QByteArray &out, quint32 v);
void putDouble(QByteArray &out, double v);
void record(QByteArray &out, quint16 type, const QByteArray &data);

// A string with a one-byte (short) or two-byte length, its characters in one
// byte each when all are below U+0100, else in UTF-16.
QByteArray shortString(const QString &s);
QByteArray longString(const QString &s);

// The globals up to and with the sheet's BOUNDSHEET: BOF, CODEPAGE 1200,
// WINDOW1, DATE1904, five fonts (the fifth, index 5, bold), the two date
// formats, 16 standard XFs and the writer's three, STYLE, BOUNDSHEET.
QByteArray globalsHead(const QString &sheetName, quint32 sheetOffset);

// BOF of a worksheet, DIMENSIONS, COLINFO for each width (in characters)
// and WINDOW2.
QByteArray sheetHead(quint32 rows, quint16 columns, const QList<int> &widths);

// One cell record.
void numberCell(QByteArray &out, quint16 row, quint16 column, quint16 xf, double value);
void booleanCell(QByteArray &out, quint16 row, quint16 column, quint16 xf, bool value);
void stringCell(QByteArray &out, quint16 row, quint16 column, quint16 xf, quint32 sstIndex);

} // namespace biff
