#pragma once

// Splits Jet SQL into tokens: bare words (keywords and names, Japanese
// letters included), [bracketed names], numbers (&H1F and &O17 too, given
// as a Number token of their decimal value), "text" or 'text' (a doubled
// quote stands for one), #date# literals and operators. Raises 31005
// (through queryerrors::syntax) on an unclosed quote, bracket or date, and
// on an &H or &O literal with a digit outside its radix or beyond 32 bits.

#include <QList>
#include <QString>

struct SqlToken
{
    enum class Kind { Word, Bracketed, Number, Text, Date, Symbol, End };
    Kind kind = Kind::End;
    QString text;     // the name, the unquoted text, the symbol, the date's inside
    qsizetype at = 0; // offset in the SQL

    bool isWord(const char *keyword) const
    {
        return kind == Kind::Word && text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
    }
    bool isSymbol(const char *symbol) const
    {
        return kind == Kind::Symbol && text == QLatin1String(symbol);
    }
};

QList<SqlToken> tokenizeSql(const QString &sql, const QString &queryName);
