#include "modules/vbamodule.h"

#include "host/vb/errors.h"

#include <QRegularExpression>

// Rules chosen where the editor's behaviour is not documented (each has a
// named case in vbamodule_test.cpp):
//  R1 A terminator at the very end of the text starts no further line.
//  R2 Lines(l, 0) is ""; l outside 1..CountOfLines raises 5; the end of the
//     range is clamped to the last line.
//  R3 The blank, comment ('..., Rem ...) and #Const lines directly above the
//     first procedure belong to it, the whole run up to the last declaration
//     statement, blank lines inside the run included. An #If whose #End If
//     lies below the procedure's Sub line wraps the procedure and belongs to
//     it too; any other directive ends the run (declarations).
//  R4 A module without procedures: CountOfDeclarationLines = CountOfLines.
//  R5 Lines after the last End Sub/Function/Property belong to the last
//     procedure (its ProcCountLines runs to the end of the module).
//  R6 ProcOfLine on a declaration line gives "" and kind 0; on a line
//     outside the module it raises 5.
//  R7 A (name, kind) without procedure raises 5; names compare without
//     regard to case, as VBA identifiers do; a name defined twice (in two
//     #If branches) answers with its first definition.
//  R8 A comment ending in " _" continues onto the next line.
//  R9 A Sub line inside an unterminated procedure ends that procedure on
//     the line above; a procedure still open at the end runs to the end.

namespace {

bool isContinued(const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
        --end;
    return end >= 2 && line[end - 1] == u'_' && (line[end - 2] == u' ' || line[end - 2] == u'\t');
}

// The text of a continued line without its " _".
QString withoutContinuation(const QString &line)
{
    qsizetype end = line.size();
    while (end > 0 && (line[end - 1] == u' ' || line[end - 1] == u'\t'))
        --end;
    return line.left(end - 1);
}

struct LogicalLine
{
    qint32 first = 0; // physical, 0-based
    qint32 last = 0;
    QString text; // joined, leading blanks removed
};

enum class LineClass { Blank, Comment, ConstDirective, IfDirective, OtherDirective, Code };

bool startsWithWord(QStringView s, QStringView word)
{
    if (!s.startsWith(word, Qt::CaseInsensitive))
        return false;
    return s.size() == word.size() || s[word.size()].isSpace();
}

LineClass classify(const QString &text)
{
    if (text.isEmpty())
        return LineClass::Blank;
    if (text.startsWith(u'\'') || startsWithWord(text, u"Rem"))
        return LineClass::Comment;
    if (text.startsWith(u'#')) {
        const QStringView rest = QStringView(text).mid(1).trimmed();
        if (startsWithWord(rest, u"Const"))
            return LineClass::ConstDirective;
        if (startsWithWord(rest, u"If"))
            return LineClass::IfDirective;
        return LineClass::OtherDirective;
    }
    return LineClass::Code;
}

bool isEndIf(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^#\\s*End\\s*If\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
    return re.match(text).hasMatch();
}

// The statements of a logical line outside strings and comments.
QStringList statements(const QString &text)
{
    QStringList result;
    QString current;
    bool inString = false;
    for (const QChar c : text) {
        if (c == u'"')
            inString = !inString;
        if (!inString && c == u'\'')
            break;
        if (!inString && c == u':') {
            result << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    result << current.trimmed();
    // A Rem statement comments out the rest of the line.
    for (qsizetype i = 0; i < result.size(); ++i) {
        if (startsWithWord(result[i], u"Rem")) {
            result.resize(i);
            break;
        }
    }
    return result;
}

struct Header
{
    QString name;
    qint32 kind = ProcKind::Proc;
};

bool matchHeader(const QString &statement, Header &header)
{
    static const QRegularExpression re(
        QStringLiteral("^(?:\\d+\\s+)?(?:(?:Public|Private|Friend)\\s+)?(?:Static\\s+)?"
                       "(Sub|Function|Property\\s+(Get|Let|Set))\\s+([^\\s(]+)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(statement);
    if (!m.hasMatch())
        return false;
    header.name = m.captured(3);
    const QString kind = m.captured(2).toUpper();
    header.kind = kind == u"GET"   ? ProcKind::Get
                  : kind == u"LET" ? ProcKind::Let
                  : kind == u"SET" ? ProcKind::Set
                                   : ProcKind::Proc;
    return true;
}

bool matchEnd(const QString &statement)
{
    static const QRegularExpression re(
        QStringLiteral("^(?:\\d+\\s+)?End\\s+(Sub|Function|Property)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return re.match(statement).hasMatch();
}

} // namespace

QStringList splitPhysicalLines(const QString &text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n' || c == QChar(0x2028) || c == QChar(0x2029)) {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            lines << current;
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.isEmpty())
        lines << current;
    return lines;
}

bool isAttributeLine(const QString &line)
{
    static const QRegularExpression re(QStringLiteral("^Attribute\\s+(\\w+\\.)?VB_\\w+\\s*="),
                                       QRegularExpression::CaseInsensitiveOption);
    return re.match(line).hasMatch();
}

VbaModule::VbaModule(const QString &source, qint32 type)
    : m_type(type)
{
    for (const QString &line : splitPhysicalLines(source))
        if (!isAttributeLine(line))
            m_lines << line;
    const qint32 count = qint32(m_lines.size());

    QList<LogicalLine> logical;
    for (qint32 i = 0; i < count; ++i) {
        LogicalLine l;
        l.first = i;
        QString text = m_lines[i];
        while (isContinued(text) && i + 1 < count) {
            text = withoutContinuation(text) + u' ' + m_lines[++i];
        }
        l.last = i;
        l.text = text.trimmed();
        logical << l;
    }

    // Where each #If block ends, for the walk above the first procedure.
    QList<qint32> ifEnd(logical.size(), -1);
    QList<qsizetype> open;
    for (qsizetype j = 0; j < logical.size(); ++j) {
        const LineClass c = classify(logical[j].text);
        if (c == LineClass::IfDirective)
            open << j;
        else if (c == LineClass::OtherDirective && isEndIf(logical[j].text) && !open.isEmpty())
            ifEnd[open.takeLast()] = logical[j].last;
    }

    QList<qsizetype> bodyLogical;
    bool inProcedure = false;
    for (qsizetype j = 0; j < logical.size(); ++j) {
        const LineClass c = classify(logical[j].text);
        if (c != LineClass::Code)
            continue;
        for (const QString &statement : statements(logical[j].text)) {
            Header header;
            if (matchHeader(statement, header)) {
                if (inProcedure) // R9
                    m_procedures.last().end = logical[j].first;
                Procedure p;
                p.name = header.name;
                p.kind = header.kind;
                p.body = logical[j].first + 1;
                m_procedures << p;
                bodyLogical << j;
                inProcedure = true;
            } else if (inProcedure && matchEnd(statement)) {
                m_procedures.last().end = logical[j].last + 1;
                inProcedure = false;
            }
        }
    }

    if (m_procedures.isEmpty()) {
        m_declarationLines = count; // R4
    } else {
        qsizetype j = bodyLogical.first() - 1;
        for (; j >= 0; --j) {
            const LineClass c = classify(logical[j].text);
            if (c == LineClass::Blank || c == LineClass::Comment || c == LineClass::ConstDirective)
                continue;
            if (c == LineClass::IfDirective && ifEnd[j] > m_procedures.first().body - 1)
                continue;
            break;
        }
        m_procedures.first().start = j + 1 < logical.size() ? logical[j + 1].first + 1 : 1;
        for (qsizetype i = 1; i < m_procedures.size(); ++i)
            m_procedures[i].start = m_procedures[i - 1].end + 1;
        m_procedures.last().end = count; // R5
        m_declarationLines = m_procedures.first().start - 1;
    }

    m_owner.fill(-1, count);
    for (qsizetype i = 0; i < m_procedures.size(); ++i)
        for (qint32 l = m_procedures[i].start; l <= m_procedures[i].end && l <= count; ++l)
            m_owner[l - 1] = qint32(i);
}

void VbaModule::checkLine(qint32 line) const
{
    if (line < 1 || line > CountOfLines())
        throw HostError(Err::InvalidProcedureCall,
                        QStringLiteral("Line %1 is outside the module's %2 lines.")
                            .arg(line)
                            .arg(CountOfLines()));
}

QString VbaModule::Lines(qint32 line, qint32 count) const
{
    if (count == 0)
        return QString();
    checkLine(line);
    if (count < 0)
        throw HostError::invalidCall(u"Lines");
    const qint32 last = qMin<qint64>(qint64(line) + count - 1, CountOfLines());
    return m_lines.mid(line - 1, last - line + 1).join(QStringLiteral("\r\n"));
}

QString VbaModule::ProcOfLine(qint32 line, qint32 &kind) const
{
    checkLine(line);
    const qint32 owner = m_owner[line - 1];
    if (owner < 0) {
        kind = ProcKind::Proc;
        return QString();
    }
    kind = m_procedures[owner].kind;
    return m_procedures[owner].name;
}

const VbaModule::Procedure &VbaModule::find(const QString &name, qint32 kind) const
{
    for (const Procedure &p : m_procedures)
        if (p.kind == kind && p.name.compare(name, Qt::CaseInsensitive) == 0)
            return p;
    throw HostError(
        Err::InvalidProcedureCall,
        QStringLiteral("The module has no procedure '%1' of kind %2.").arg(name).arg(kind));
}

qint32 VbaModule::ProcStartLine(const QString &name, qint32 kind) const
{
    return find(name, kind).start;
}

qint32 VbaModule::ProcCountLines(const QString &name, qint32 kind) const
{
    const Procedure &p = find(name, kind);
    return p.end - p.start + 1;
}

qint32 VbaModule::ProcBodyLine(const QString &name, qint32 kind) const
{
    return find(name, kind).body;
}
