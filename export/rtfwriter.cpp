#include "export/rtfwriter.h"

#include "export/valuetext.h"

namespace {

constexpr int TwipsPerNarrowCharacter = 110; // at 10 points
constexpr int CellPadding = 108;             // \trgaph, on each side
constexpr int MinimumWidth = 600;
constexpr int MaximumWidth = 4320; // three inches: long texts wrap

int measuredWidth(const QString &text)
{
    int longestLine = 0, line = 0;
    for (QChar c : text) {
        if (c == u'\n' || c == u'\r') {
            line = 0;
            continue;
        }
        line += c.unicode() >= 0x1100 ? 2 : 1;
        longestLine = qMax(longestLine, line);
    }
    return qBound(MinimumWidth, longestLine * TwipsPerNarrowCharacter + 2 * CellPadding,
                  MaximumWidth);
}

} // namespace

QByteArray rtfEscaped(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u'\\':
            out += "\\\\";
            break;
        case u'{':
            out += "\\{";
            break;
        case u'}':
            out += "\\}";
            break;
        case u'\t':
            out += "\\tab ";
            break;
        case u'\r':
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += "\\line ";
            break;
        case u'\n':
            out += "\\line ";
            break;
        default:
            if (c >= 0x20 && c < 0x80)
                out += char(c);
            else if (c >= 0x80)
                out += "\\u" + QByteArray::number(qint16(c)) + '?';
            // other control characters have no place in a cell
        }
    }
    return out;
}

RtfWriter::RtfWriter(AtomicFile &file)
    : m_file(file)
{
}

void RtfWriter::begin(const QStringList &fieldNames)
{
    m_names = fieldNames;
    m_buffer = "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1041\\uc1\n"
               "{\\fonttbl{\\f0\\froman\\fcharset128\\fprq1{\\*\\panose 02020609040205080304}"
               "MS Mincho{\\*\\falt IPAMincho};}"
               "{\\f1\\fswiss\\fcharset0\\fprq2 Arial;}}\n"
               "\\paperw16838\\paperh11906\\landscape\\margl720\\margr720\\margt720\\margb720\n"
               "\\viewkind1\\fs20\n";
}

void RtfWriter::fixWidths()
{
    QList<int> widths;
    for (const QString &name : m_names)
        widths.append(measuredWidth(name));
    for (const QStringList &row : m_sample) {
        for (qsizetype c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = qMax(widths[c], measuredWidth(row[c]));
    }
    m_rowStart = "\\trowd\\trgaph" + QByteArray::number(CellPadding) + "\\trleft0";
    int edge = 0;
    for (int width : widths) {
        edge += width;
        m_rowStart += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                      "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx" +
                      QByteArray::number(edge);
    }
    writeRow(m_names, true);
    for (const QStringList &row : m_sample)
        writeRow(row, false);
    m_sample.clear();
}

void RtfWriter::writeRow(const QStringList &texts, bool header)
{
    if (header) // repeated at the top of every page
        m_buffer += m_rowStart.left(6) + "\\trhdr" + m_rowStart.mid(6) + '\n';
    else
        m_buffer += m_rowStart + '\n';
    for (qsizetype c = 0; c < m_names.size(); ++c) {
        m_buffer += "\\pard\\intbl\\plain\\f0\\fs20";
        m_buffer += header ? "\\b " : " ";
        m_buffer += rtfEscaped(texts.value(c));
        m_buffer += "\\cell\n";
    }
    m_buffer += "\\row\n";
    if (m_buffer.size() >= (1 << 16)) {
        writeExportFile(m_file, m_buffer);
        m_buffer.clear();
    }
}

void RtfWriter::row(const QList<Value> &values)
{
    QStringList texts;
    texts.reserve(values.size());
    for (const Value &value : values)
        texts.append(displayText(value));
    if (m_rowStart.isEmpty()) {
        m_sample.append(texts);
        if (m_sample.size() >= SampleRows)
            fixWidths();
        return;
    }
    writeRow(texts, false);
}

void RtfWriter::end()
{
    if (m_rowStart.isEmpty())
        fixWidths();
    m_buffer += "\\pard\\par\n}\n";
    writeExportFile(m_file, m_buffer);
    m_buffer.clear();
}
