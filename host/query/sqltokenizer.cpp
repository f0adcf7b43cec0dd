#include "host/query/sqltokenizer.h"

#include "host/query/queryerrors.h"

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c.unicode() >= 0x80;
}

bool isWordPart(QChar c)
{
    return isWordStart(c) || c.isDigit();
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
