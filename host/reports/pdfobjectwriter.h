#pragma once

// Writes the objects of a PDF file in the order they come, with the offsets
// the cross-reference table needs, through a buffer (one device write per
// 256 KB, not per token).

#include <QByteArray>
#include <QIODevice>

#include <vector>

class PdfObjectWriter
{
public:
    explicit PdfObjectWriter(QIODevice &out);

    // A new object number, for objects written later and referred to before.
    int reserve();
    void beginObject(int number);
    void endObject();
    // A whole stream object; `dictionary` holds the entries besides /Length.
    void writeStream(int number, const QByteArray &dictionary, const QByteArray &data);
    void write(const QByteArray &bytes);
    // The cross-reference table and the trailer; false when a write failed.
    bool finish(int catalog, int info);

private:
    void flush();

    QIODevice &m_out;
    QByteArray m_buffer;
    qint64 m_offset = 0;
    std::vector<qint64> m_offsets{0}; // by object number; 0 is the free head
    bool m_ok = true;
};

// A PDF name of Latin letters and digits only, as font names want.
QByteArray pdfNameOf(const QString &text);
// <FEFF...>: a text string any reader decodes, whatever the characters.
QByteArray pdfTextString(const QString &text);
// Appends a number with at most two decimals, the precision page content needs.
void appendPdfNumber(QByteArray &out, double value);
