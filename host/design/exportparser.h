#pragma once

// The parser of Access's SaveAsText format for forms, reports and macros
// (notes: access-text-export.md). It gives the file's block tree with every
// property in file order and the line it came from, and the module text
// after CodeBehindForm; what the properties mean is for the design builder.
//
// Grammar, one item per line, indentation ignored:
//   Key =value           integer, real, or quoted string (continued by
//                        further quoted lines; \" \\ \ooo escapes)
//   Key = NotDefault     a Boolean that differs from its default
//   Key = Begin .. End   binary: lines "0x<hex>" ending in " ," but the last;
//                        <Event>EmMacro blocks hold macro text instead
//   Begin [Keyword]      a block; anonymous ones are child lists
//   End
//   CodeBehindForm       the rest of the file is the object's module

#include <QByteArray>
#include <QList>
#include <QString>

struct ExportValue
{
    enum class Kind { Integer, Real, Text, NotDefault, Binary, Macro };

    Kind kind = Kind::Integer;
    qint64 integer = 0; // Integer
    double real = 0;    // Real
    QString text;       // Text (unescaped and joined); Macro (the block's lines)
    QByteArray bytes;   // Binary
};

struct ExportProperty
{
    QString key;
    ExportValue value;
    int line = 0; // 1-based line of the key
};

// A Begin block. A named block's child lists (its anonymous Begin blocks)
// are flattened into `children`; a top-level anonymous block (a macro row)
// keeps an empty keyword.
struct ExportBlock
{
    QString keyword;
    int line = 0;
    QList<ExportProperty> properties;
    QList<ExportBlock> children;

    // The first property with this key, or null.
    const ExportProperty *find(QStringView key) const;
};

struct ParsedExport
{
    QString file;                 // the name errors carry
    QList<ExportProperty> header; // Version, VersionRequired, Checksum, ColumnsShown ...
    QList<ExportBlock> blocks;    // Begin Form / Begin Report, or the macro rows
    bool hasCodeBehind = false;   // a CodeBehindForm line was seen
    QString codeBehind;           // the module text after it, lines joined with CRLF
};

// Parses decoded text. Damage (an unterminated block or string, bad hex, an
// End without Begin, a line that is none of the above, a truncated file)
// raises 31001 whose description names `file` and the 1-based line.
ParsedExport parseExport(const QString &text, const QString &file);

// Decodes (exporttext.h) and parses the bytes of an export file.
ParsedExport parseExportBytes(const QByteArray &bytes, const QString &file, const char *codePage);
