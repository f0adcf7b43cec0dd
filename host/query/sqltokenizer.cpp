#include "host/query/sqltokenizer.h"

#include "host/query/queryerrors.h"

#include <optional>

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit();
}

// The value of an ASCII hex digit, -1 for any other character.
int digitOf(QChar c)
{
    const char16_t u = c.toLower().unicode();
    return u >= u'0' && u <= u'9' ? u - u'0' : u >= u'a' && u <= u'f' ? u - u'a' + 10 : -1;
}

// The value of the &H (hex) or &O (octal) literal of these digits, as VBA
// reads it: up to &HFFFF (&O177777) an Integer, so &HFFFF is -1; beyond,
// or with the Long suffix & (&HFFFF& is 65535), a Long, so &HFFFFFFFF is -1
// too. Empty for a digit outside the radix or a value beyond 32 bits.
std::optional<qint32> radixLiteral(QStringView digits, int radix, bool longSuffix)
{
    if (digits.isEmpty())
        return std::nullopt;
    quint64 value = 0;
    for (QChar d : digits) {
        const int v = digitOf(d);
        if (v < 0 || v >= radix)
            return std::nullopt;
        value = value * radix + quint64(v);
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
    }
    if (!longSuffix && value <= 0xFFFF)
        return qint32(qint16(quint16(value)));
    return qint32(quint32(value));
}

} // namespace

QList<SqlToken> tokenizeSql(const QString &sql, const QString &queryName)
{
    QList<SqlToken> tokens;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        SqlToken t;
        t.at = i;
        if (c == u'[') {
            const qsizetype close = sql.indexOf(u']', i + 1);
            if (close < 0)
                throw queryerrors::syntax(queryName, sql.mid(i));
            t.kind = SqlToken::Kind::Bracketed;
            t.text = sql.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (c == u'"' || c == u'\'') {
            t.kind = SqlToken::Kind::Text;
            qsizetype j = i + 1;
            for (;;) {
                if (j >= n)
                    throw queryerrors::syntax(queryName, sql.mid(i));
                if (sql[j] == c) {
                    if (j + 1 < n && sql[j + 1] == c) {
                        t.text += c;
                        j += 2;
                        continue;
                    }
                    break;
                }
                t.text += sql[j++];
            }
            i = j + 1;
        } else if (c == u'#') {
            const qsizetype close = sql.indexOf(u'#', i + 1);
            if (close < 0)
                throw queryerrors::syntax(queryName, sql.mid(i));
            t.kind = SqlToken::Kind::Date;
            t.text = sql.mid(i + 1, close - i - 1).trimmed();
            i = close + 1;
        } else if (c == u'&' && i + 2 < n &&
                   ((sql[i + 1].toLower() == u'h' && digitOf(sql[i + 2]) >= 0) ||
                    (sql[i + 1].toLower() == u'o' && digitOf(sql[i + 2]) >= 0 &&
                     digitOf(sql[i + 2]) < 10))) {
            // &H1F, &O17: the word after the prefix must be digits of its
            // radix, else the SQL is malformed. &Hour(...) and &Oct(...)
            // stay concatenations, their third character being no digit.
            qsizetype j = i + 2;
            while (j < n && isWordPart(sql[j]))
                ++j;
            const bool longSuffix = j < n && sql[j] == u'&';
            const std::optional<qint32> value =
                radixLiteral(QStringView(sql).mid(i + 2, j - i - 2),
                             sql[i + 1].toLower() == u'h' ? 16 : 8, longSuffix);
            if (!value)
                throw queryerrors::syntax(queryName, sql.mid(i));
            t.kind = SqlToken::Kind::Number;
            t.text = QString::number(*value);
            i = j + (longSuffix ? 1 : 0);
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && sql[i + 1].isDigit())) {
            qsizetype j = i;
            while (j < n && sql[j].isDigit())
                ++j;
            if (j < n && sql[j] == u'.') {
                ++j;
                while (j < n && sql[j].isDigit())
                    ++j;
            }
            if (j + 1 < n && (sql[j] == u'e' || sql[j] == u'E') &&
                (sql[j + 1].isDigit() || ((sql[j + 1] == u'+' || sql[j + 1] == u'-') && j + 2 < n &&
                                          sql[j + 2].isDigit()))) {
                j += 2;
                while (j < n && sql[j].isDigit())
                    ++j;
            }
            if (j < n && isWordStart(sql[j])) {
                // A name that begins with digits, such as 1997年.
                while (j < n && isWordPart(sql[j]))
                    ++j;
                t.kind = SqlToken::Kind::Word;
            } else {
                t.kind = SqlToken::Kind::Number;
            }
            t.text = sql.mid(i, j - i);
            i = j;
        } else if (isWordStart(c)) {
            qsizetype j = i;
            while (j < n && isWordPart(sql[j]))
                ++j;
            if (j < n && sql[j] == u'$') // Left$, Format$: the String forms of the functions
                ++j;
            t.kind = SqlToken::Kind::Word;
            t.text = sql.mid(i, j - i);
            i = j;
        } else {
            t.kind = SqlToken::Kind::Symbol;
            const QString two = sql.mid(i, 2);
            if (two == QLatin1String("<>") || two == QLatin1String("<=") ||
                two == QLatin1String(">=")) {
                t.text = two;
                i += 2;
            } else {
                static const QString singles = QStringLiteral("(),.!;&+-*/\\^=<>");
                if (!singles.contains(c))
                    throw queryerrors::syntax(queryName, sql.mid(i));
                t.text = c;
                ++i;
            }
        }
        tokens.append(t);
    }
    SqlToken end;
    end.at = n;
    tokens.append(end);
    return tokens;
}
