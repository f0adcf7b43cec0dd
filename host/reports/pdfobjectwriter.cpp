#include "host/reports/pdfobjectwriter.h"

#include <QString>

#include <cmath>
#include <cstdio>

static constexpr qsizetype FlushSize = 256 * 1024;

PdfObjectWriter::PdfObjectWriter(QIODevice &out)
    : m_out(out)
{
    // The binary comment line tells transfer programs the file is not text.
    write("%PDF-1.5\n%\xE2\xE3\xCF\xD3\n");
}

int PdfObjectWriter::reserve()
{
    m_offsets.push_back(-1);
    return int(m_offsets.size() - 1);
}

void PdfObjectWriter::beginObject(int number)
{
    m_offsets[size_t(number)] = m_offset + m_buffer.size();
    write(QByteArray::number(number) + " 0 obj\n");
}

void PdfObjectWriter::endObject()
{
    write("\nendobj\n");
}

void PdfObjectWriter::writeStream(int number, const QByteArray &dictionary, const QByteArray &data)
{
    beginObject(number);
    write("<<" + dictionary + " /Length " + QByteArray::number(data.size()) + ">>\nstream\n");
    write(data);
    write("\nendstream");
    endObject();
}

void PdfObjectWriter::write(const QByteArray &bytes)
{
    if (bytes.size() >= FlushSize) {
        flush();
        if (m_out.write(bytes) != bytes.size())
            m_ok = false;
        m_offset += bytes.size();
        return;
    }
    m_buffer += bytes;
    if (m_buffer.size() >= FlushSize)
        flush();
}

void PdfObjectWriter::flush()
{
    if (m_buffer.isEmpty())
        return;
    if (m_out.write(m_buffer) != m_buffer.size())
        m_ok = false;
    m_offset += m_buffer.size();
    m_buffer.clear();
}

bool PdfObjectWriter::finish(int catalog, int info)
{
    const qint64 xref = m_offset + m_buffer.size();
    QByteArray table = "xref\n0 " + QByteArray::number(qsizetype(m_offsets.size())) + "\n";
    table += "0000000000 65535 f \n";
    char line[32];
    for (size_t i = 1; i < m_offsets.size(); ++i) {
        if (m_offsets[i] < 0) // reserved but never written: a bug, and a broken file
            m_ok = false;
        std::snprintf(line, sizeof line, "%010lld 00000 n \n",
                      static_cast<long long>(m_offsets[i]));
        table += line;
    }
    table += "trailer\n<</Size " + QByteArray::number(qsizetype(m_offsets.size())) + " /Root " +
             QByteArray::number(catalog) + " 0 R /Info " + QByteArray::number(info) +
             " 0 R>>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    write(table);
    flush();
    return m_ok;
}

QByteArray pdfNameOf(const QString &text)
{
    QByteArray name;
    for (QChar c : text) {
        if (c.unicode() < 0x80 && c.isLetterOrNumber())
            name += char(c.unicode());
    }
    return name.isEmpty() ? QByteArray("Font") : name;
}

QByteArray pdfTextString(const QString &text)
{
    QByteArray out = "<FEFF";
    out.reserve(6 + 4 * text.size());
    static const char hex[] = "0123456789ABCDEF";
    for (QChar c : text) {
        const ushort u = c.unicode();
        out += hex[u >> 12];
        out += hex[(u >> 8) & 15];
        out += hex[(u >> 4) & 15];
        out += hex[u & 15];
    }
    out += '>';
    return out;
}

void appendPdfNumber(QByteArray &out, double value)
{
    long long hundredths = std::llround(value * 100);
    char text[32];
    char *end = text + sizeof text;
    char *p = end;
    const bool negative = hundredths < 0;
    if (negative)
        hundredths = -hundredths;
    const int fraction = int(hundredths % 100);
    if (fraction != 0) {
        if (fraction % 10 != 0)
            *--p = char('0' + fraction % 10);
        *--p = char('0' + fraction / 10);
        *--p = '.';
    }
    long long whole = hundredths / 100;
    do {
        *--p = char('0' + whole % 10);
        whole /= 10;
    } while (whole > 0);
    if (negative)
        *--p = '-';
    out.append(p, end - p);
}
