#include "host/design/exportparser.h"

#include "host/design/exporttext.h"
#include "host/vb/errors.h"

#include <QStringList>

const ExportProperty *ExportBlock::find(QStringView key) const
{
    for (const ExportProperty &property : properties) {
        if (property.key == key)
            return &property;
    }
    return nullptr;
}

namespace {

// Deeper nesting than any designer produces is damage, and unbounded
// recursion on it would overflow the stack.
constexpr int MaxDepth = 100;

bool isKeyChar(QChar c, bool first)
{
    return c == u'_' || (c.unicode() < 128 && (c.isLetter() || (!first && c.isDigit())));
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

class Parser
{
public:
    Parser(const QString &text, const QString &file)
        : m_lines(exportLines(text))
        , m_file(file)
    {
    }

    ParsedExport parse()
    {
        ParsedExport result;
        result.file = m_file;
        while (m_at < m_lines.size()) {
            const QString line = current().trimmed();
            if (line.isEmpty()) {
                ++m_at;
            } else if (line == QLatin1String("CodeBehindForm")) {
                result.hasCodeBehind = true;
                result.codeBehind = m_lines.mid(m_at + 1).join(QStringLiteral("\r\n"));
                m_at = m_lines.size();
            } else if (line == QLatin1String("End")) {
                fail(QStringLiteral("End without Begin"));
            } else if (isBegin(line)) {
                result.blocks.append(parseBlock(line.mid(5).trimmed(), Mode::TopLevel, 1));
            } else {
                result.header.append(parseProperty(line, 0));
            }
        }
        return result;
    }

private:
    enum class Mode { TopLevel, Named, ChildList };

    QStringList m_lines;
    QString m_file;
    qsizetype m_at = 0;

    const QString &current() const { return m_lines[m_at]; }
    int lineNumber() const { return int(m_at) + 1; }

    [[noreturn]] void fail(const QString &why, int line = 0) const
    {
        throw HostError(
            Err::DesignNotReadable,
            QStringLiteral("%1, line %2: %3").arg(m_file).arg(line ? line : lineNumber()).arg(why));
    }

    static bool isBegin(const QString &line)
    {
        return line == QLatin1String("Begin") || line.startsWith(QLatin1String("Begin "));
    }

    // Reads the lines after a Begin (the current line) up to its End.
    // Anonymous lists inside a named block add to its children.
    ExportBlock parseBlock(const QString &keyword, Mode outer, int depth)
    {
        if (depth > MaxDepth)
            fail(QStringLiteral("blocks nested deeper than %1").arg(MaxDepth));
        ExportBlock block;
        block.keyword = keyword;
        block.line = lineNumber();
        ++m_at;
        const Mode mode =
            keyword.isEmpty() && outer != Mode::TopLevel ? Mode::ChildList : Mode::Named;
        readBody(block, mode, depth);
        return block;
    }

    void readBody(ExportBlock &block, Mode mode, int depth)
    {
        const int begun = lineNumber() - 1;
        while (m_at < m_lines.size()) {
            const QString line = current().trimmed();
            if (line.isEmpty()) {
                ++m_at;
            } else if (line == QLatin1String("End")) {
                ++m_at;
                return;
            } else if (isBegin(line)) {
                const QString keyword = line.mid(5).trimmed();
                if (keyword.isEmpty() && mode != Mode::ChildList && !block.keyword.isEmpty()) {
                    ++m_at;
                    if (depth + 1 > MaxDepth)
                        fail(QStringLiteral("blocks nested deeper than %1").arg(MaxDepth));
                    readBody(block, Mode::ChildList, depth + 1);
                } else if (keyword.isEmpty()) {
                    fail(QStringLiteral("an anonymous block where a named one was expected"));
                } else {
                    block.children.append(parseBlock(keyword, Mode::Named, depth + 1));
                }
            } else if (mode == Mode::ChildList) {
                fail(QStringLiteral("a property inside a child list: %1").arg(line));
            } else if (line == QLatin1String("CodeBehindForm")) {
                fail(QStringLiteral("CodeBehindForm inside a block"));
            } else {
                block.properties.append(parseProperty(line, depth));
            }
        }
        fail(QStringLiteral("the file ends inside the block begun on line %1").arg(begun),
             int(m_lines.size()));
    }

    ExportProperty parseProperty(const QString &line, int depth)
    {
        ExportProperty property;
        property.line = lineNumber();
        qsizetype i = 0;
        while (i < line.size() && isKeyChar(line[i], i == 0))
            ++i;
        if (i == 0 || !QStringView(line).sliced(i).startsWith(u" ="))
            fail(QStringLiteral("not a line of the export format: %1").arg(line));
        property.key = line.left(i);
        const QString rest = line.mid(i + 2);
        ++m_at;
        if (rest == QLatin1String(" NotDefault")) {
            property.value.kind = ExportValue::Kind::NotDefault;
        } else if (rest == QLatin1String(" Begin") || (rest.startsWith(QLatin1String(" {")) &&
                                                       rest.endsWith(QLatin1String("} Begin")))) {
            // Access 2010 writes some binaries with a descriptor in braces before Begin.
            if (property.key.endsWith(QLatin1String("EmMacro")))
                readMacroBlock(property.value, depth);
            else
                readBinary(property.value);
        } else if (rest.startsWith(u'"')) {
            property.value.kind = ExportValue::Kind::Text;
            property.value.text = unquote(rest, property.line);
            // Continued strings: each further chunk is a whole literal on its own line.
            while (m_at < m_lines.size() && current().trimmed().startsWith(u'"')) {
                property.value.text += unquote(current().trimmed(), lineNumber());
                ++m_at;
            }
        } else {
            readNumber(rest, property);
        }
        return property;
    }

    void readNumber(const QString &text, ExportProperty &property)
    {
        bool ok = false;
        const bool looksReal = text.contains(u'.') || text.contains(u'e') || text.contains(u'E');
        if (!looksReal) {
            property.value.kind = ExportValue::Kind::Integer;
            property.value.integer = text.toLongLong(&ok);
        } else {
            property.value.kind = ExportValue::Kind::Real;
            property.value.real = text.toDouble(&ok);
        }
        // toLongLong/toDouble accept surrounding blanks and signs Access never writes.
        if (!ok || text.isEmpty() || text.front().isSpace() || text.back().isSpace() ||
            text.front() == u'+')
            fail(QStringLiteral("%1: not a number, string, NotDefault or Begin: %2")
                     .arg(property.key, text),
                 property.line);
    }

    QString unquote(const QString &literal, int line) const
    {
        if (literal.size() < 2 || !literal.startsWith(u'"') || !literal.endsWith(u'"'))
            fail(QStringLiteral("unterminated string"), line);
        QString out;
        out.reserve(literal.size());
        const qsizetype end = literal.size() - 1;
        for (qsizetype i = 1; i < end; ++i) {
            const QChar c = literal[i];
            if (c == u'"')
                fail(QStringLiteral("a quote inside a string is not escaped"), line);
            if (c != u'\\') {
                out += c;
                continue;
            }
            if (i + 1 >= end)
                fail(QStringLiteral("a string ends in a lone backslash"), line);
            const QChar next = literal[i + 1];
            if (next == u'"' || next == u'\\') {
                out += next;
                ++i;
            } else if (i + 3 < end) {
                int code = 0;
                for (qsizetype k = 1; k <= 3; ++k) {
                    const char16_t d = literal[i + k].unicode();
                    if (d < u'0' || d > u'7')
                        fail(QStringLiteral("bad escape in a string"), line);
                    code = code * 8 + (d - u'0');
                }
                out += QChar(code);
                i += 3;
            } else {
                fail(QStringLiteral("bad escape in a string"), line);
            }
        }
        return out;
    }

    void readBinary(ExportValue &value)
    {
        const int begun = lineNumber() - 1;
        value.kind = ExportValue::Kind::Binary;
        bool more = true; // the previous line ended in " ,"
        while (m_at < m_lines.size()) {
            QStringView line = QStringView(current()).trimmed();
            if (line == u"End") {
                if (more && !value.bytes.isEmpty())
                    fail(QStringLiteral("binary data ends after a continuation comma"));
                ++m_at;
                return;
            }
            if (!more)
                fail(QStringLiteral("binary data continues without a comma"));
            more = line.endsWith(u" ,");
            if (more)
                line.chop(2);
            if (!line.startsWith(u"0x") || line.size() % 2 != 0)
                fail(QStringLiteral("bad hex line"));
            for (qsizetype i = 2; i < line.size(); i += 2) {
                const int high = hexDigit(line[i]);
                const int low = hexDigit(line[i + 1]);
                if (high < 0 || low < 0)
                    fail(QStringLiteral("bad hex digit"));
                value.bytes.append(char(high * 16 + low));
            }
            ++m_at;
        }
        fail(QStringLiteral("the file ends inside the binary value begun on line %1").arg(begun),
             int(m_lines.size()));
    }

    // An embedded macro is a macro export of its own; it is kept as text.
    void readMacroBlock(ExportValue &value, int depth)
    {
        const int begun = lineNumber() - 1;
        value.kind = ExportValue::Kind::Macro;
        QStringList lines;
        int open = 0;
        while (m_at < m_lines.size()) {
            const QString line = current().trimmed();
            ++m_at;
            if (line == QLatin1String("End")) {
                if (open == 0) {
                    value.text = lines.join(QStringLiteral("\r\n"));
                    return;
                }
                --open;
            } else if (isBegin(line) || line.endsWith(QLatin1String(" = Begin"))) {
                if (depth + ++open > MaxDepth)
                    fail(QStringLiteral("blocks nested deeper than %1").arg(MaxDepth));
            }
            lines.append(line);
        }
        fail(QStringLiteral("the file ends inside the embedded macro begun on line %1").arg(begun),
             int(m_lines.size()));
    }
};

} // namespace

ParsedExport parseExport(const QString &text, const QString &file)
{
    return Parser(text, file).parse();
}

ParsedExport parseExportBytes(const QByteArray &bytes, const QString &file, const char *codePage)
{
    return parseExport(decodeExportText(bytes, file, codePage), file);
}
