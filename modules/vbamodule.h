#pragma once

// VbaModule is the host Module of one VBA module, computed from its source
// text alone: CountOfLines, CountOfDeclarationLines, Type, Lines,
// ProcOfLine, ProcStartLine, ProcCountLines and ProcBodyLine with the
// editor's line model. Lines are the physical lines the editor shows, 1-based;
// hidden Attribute lines are removed before numbering.
//
// Where the editor's behaviour is not documented, this class picks one rule;
// every such choice is listed at the top of vbamodule.cpp.
//
// Raises HostError 5 for a line outside 1..CountOfLines and for a
// (name, kind) that names no procedure.

#include <QList>
#include <QString>
#include <QStringList>

// vbext_ProcKind.
namespace ProcKind {
inline constexpr qint32 Proc = 0, Let = 1, Set = 2, Get = 3;
}

// Module.Type: acStandardModule 0, acClassModule 1 (form and report modules
// are class modules).
namespace ModuleType {
inline constexpr qint32 Standard = 0, Class = 1;
}

class VbaModule
{
public:
    VbaModule() = default;
    // source: the text as stored (CR LF, CR or LF line ends), with or
    // without its hidden Attribute lines.
    explicit VbaModule(const QString &source, qint32 type = ModuleType::Standard);

    qint32 CountOfLines() const { return qint32(m_lines.size()); }
    qint32 CountOfDeclarationLines() const { return m_declarationLines; }
    qint32 Type() const { return m_type; }
    // count lines from line, joined with CR LF. count 0 gives ""; the end
    // is clamped to the last line.
    QString Lines(qint32 line, qint32 count) const;
    // The procedure owning the line, "" (kind 0) in the declarations.
    QString ProcOfLine(qint32 line, qint32 &kind) const;
    qint32 ProcStartLine(const QString &name, qint32 kind) const;
    qint32 ProcCountLines(const QString &name, qint32 kind) const;
    qint32 ProcBodyLine(const QString &name, qint32 kind) const;

    // One procedure as found, lines 1-based and inclusive.
    struct Procedure
    {
        QString name;
        qint32 kind = ProcKind::Proc;
        qint32 start = 0; // first comment/blank line that belongs to it
        qint32 body = 0;  // its Sub/Function/Property line
        qint32 end = 0;   // its last line
    };
    const QList<Procedure> &procedures() const { return m_procedures; }

private:
    void checkLine(qint32 line) const;
    const Procedure &find(const QString &name, qint32 kind) const;

    QStringList m_lines;
    QList<Procedure> m_procedures;
    QList<qint32> m_owner; // per line: index into m_procedures, -1 for declarations
    qint32 m_declarationLines = 0;
    qint32 m_type = ModuleType::Standard;
};

// Splits module text into physical lines: CR LF, CR, LF, U+2028 and U+2029
// end a line; a terminator at the very end starts no further line.
QStringList splitPhysicalLines(const QString &text);
// True for a hidden attribute line ("Attribute VB_Name = ...",
// "Attribute Item.VB_UserMemId = 0").
bool isAttributeLine(const QString &line);
