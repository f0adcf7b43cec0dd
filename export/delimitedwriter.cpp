#include "export/delimitedwriter.h"

#include "export/valuetext.h"
#include "host/vb/errors.h"

namespace {

constexpr qsizetype FlushAt = 1 << 16;

} // namespace

DelimitedWriter::DelimitedWriter(AtomicFile &file, const QString &codePage, bool fieldNames)
    : m_file(file)
    , m_encoder(codePage)
    , m_fieldNames(fieldNames)
{
}

void DelimitedWriter::appendText(const QString &text, const QString &where)
{
    const qsizetype bad = m_encoder.append(text, m_buffer);
    if (bad < 0)
        return;
    const char32_t c = text[bad].isHighSurrogate() && bad + 1 < text.size()
                           ? QChar::surrogateToUcs4(text[bad], text[bad + 1])
                           : text[bad].unicode();
    throw HostError(Err::NotEncodable,
                    QStringLiteral("%1 holds the character U+%2, which the code page %3 cannot "
                                   "hold; choose another code page (for example UTF-8)")
                        .arg(where)
                        .arg(uint(c), 4, 16, QLatin1Char('0'))
                        .arg(m_encoder.codePage()));
}

void DelimitedWriter::appendQuoted(const QString &text, const QString &where)
{
    m_buffer += '"';
    if (text.contains(u'"'))
        appendText(QString(text).replace(u'"', QLatin1String("\"\"")), where);
    else
        appendText(text, where);
    m_buffer += '"';
}

void DelimitedWriter::flushIfFull()
{
    if (m_buffer.size() >= FlushAt) {
        writeExportFile(m_file, m_buffer);
        m_buffer.resize(0); // keeps the capacity
    }
}

void DelimitedWriter::begin(const QStringList &fieldNames)
{
    m_names = fieldNames;
    m_buffer.reserve(2 * FlushAt); // rows are written into it in place
    m_buffer += m_encoder.preamble();
    if (!m_fieldNames)
        return;
    for (qsizetype i = 0; i < fieldNames.size(); ++i) {
        if (i > 0)
            m_buffer += ',';
        appendQuoted(fieldNames[i], QStringLiteral("The field name \"%1\"").arg(fieldNames[i]));
    }
    m_buffer += "\r\n";
}

void DelimitedWriter::row(const QList<Value> &values)
{
    ++m_rows;
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            m_buffer += ',';
        const Value &value = values[i];
        if (!value.isText()) {
            appendBareText(m_buffer, value); // ASCII in every code page the encoder takes
            continue;
        }
        const QString &text = value.asText();
        // ASCII text, the usual case, is copied straight in with its quotes
        // doubled; anything else goes through the encoder.
        const qsizetype at = m_buffer.size();
        m_buffer.resize(at + 2 * text.size() + 2);
        char *p = m_buffer.data() + at;
        *p++ = '"';
        bool ascii = true;
        for (QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= 0x80) {
                ascii = false;
                break;
            }
            *p++ = char(u);
            if (u == u'"')
                *p++ = '"';
        }
        if (ascii) {
            *p++ = '"';
            m_buffer.truncate(p - m_buffer.constData());
            continue;
        }
        m_buffer.truncate(at + 1);
        const qsizetype bad =
            text.contains(u'"')
                ? m_encoder.append(QString(text).replace(u'"', QLatin1String("\"\"")), m_buffer)
                : m_encoder.append(text, m_buffer);
        if (bad >= 0) // found again, with the row and field named, on the text as it is
            appendText(text,
                       QStringLiteral("Row %1, field \"%2\",").arg(m_rows).arg(m_names.value(i)));
        m_buffer += '"';
    }
    m_buffer += "\r\n";
    flushIfFull();
}

void DelimitedWriter::end()
{
    writeExportFile(m_file, m_buffer);
    m_buffer.clear();
}
