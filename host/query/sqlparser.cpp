#include "host/query/sqlparser.h"

#include "host/query/queryerrors.h"
#include "host/query/sqltokenizer.h"
#include "host/query/vbadates.h"

namespace {

// Words that end an expression or a name list; never read as names.
const char *const reservedWords[] = {
    "select",    "from",     "where",       "group", "having",  "order",      "by",    "union",
    "all",       "as",       "on",          "inner", "left",    "right",      "outer", "join",
    "and",       "or",       "not",         "xor",   "eqv",     "imp",        "mod",   "like",
    "is",        "in",       "between",     "pivot", "into",    "asc",        "desc",  "with",
    "transform", "distinct", "distinctrow", "top",   "percent", "parameters", "table", "exists"};

bool isReserved(const SqlToken &t)
{
    if (t.kind != SqlToken::Kind::Word)
        return false;
    for (const char *w : reservedWords)
        if (t.isWord(w))
            return true;
    return false;
}

class Parser
{
public:
    Parser(const QString &sql, const QString &queryName)
        : m_sql(sql)
        , m_query(queryName)
        , m_tokens(tokenizeSql(sql, queryName))
    {
    }

    SqlQueryPtr parseStatement()
    {
        auto query = std::make_shared<SqlQuery>();
        if (peek().isWord("parameters")) {
            next();
            parseParameters(*query);
        }
        const SqlToken &first = peek();
        for (const char *action : {"insert", "update", "delete", "create", "alter", "drop"}) {
            if (first.isWord(action))
                throw queryerrors::notSelect(m_query, actionName(action));
        }
        if (first.isWord("transform")) {
            next();
            query->kind = SqlQuery::Kind::Crosstab;
            query->transform = parseExpr();
            if (accept("as"))
                query->transformAlias = parseName();
            query->parts.append(parseSelect());
            expectWord("pivot");
            // The pivot's IN list belongs to PIVOT, not to the expression.
            m_pivot = true;
            query->pivot = parseExpr();
            m_pivot = false;
            if (accept("in")) {
                expectSymbol("(");
                do {
                    query->pivotIn.append(parseExpr());
                } while (acceptSymbol(","));
                expectSymbol(")");
            }
        } else {
            parseUnion(*query);
        }
        acceptSymbol(";");
        if (peek().kind != SqlToken::Kind::End)
            fail();
        for (const SqlSelectPtr &part : query->parts) {
            if (!part->intoTable.isEmpty())
                throw queryerrors::notSelect(m_query, QStringLiteral("make-table query"));
        }
        return query;
    }

private:
    static QString actionName(const char *word)
    {
        const QString w = QString::fromLatin1(word);
        if (w == QLatin1String("insert"))
            return QStringLiteral("append query");
        if (w == QLatin1String("update") || w == QLatin1String("delete"))
            return w + QStringLiteral(" query");
        return QStringLiteral("data-definition query");
    }

    const SqlToken &peek(int ahead = 0) const
    {
        const qsizetype i = std::min<qsizetype>(m_pos + ahead, m_tokens.size() - 1);
        return m_tokens[i];
    }
    const SqlToken &next() { return m_tokens[std::min<qsizetype>(m_pos++, m_tokens.size() - 1)]; }
    bool accept(const char *word)
    {
        if (!peek().isWord(word))
            return false;
        ++m_pos;
        return true;
    }
    bool acceptSymbol(const char *symbol)
    {
        if (!peek().isSymbol(symbol))
            return false;
        ++m_pos;
        return true;
    }
    [[noreturn]] void fail() const { throw queryerrors::syntax(m_query, m_sql.mid(peek().at)); }
    void expectWord(const char *word)
    {
        if (!accept(word))
            fail();
    }
    void expectSymbol(const char *symbol)
    {
        if (!acceptSymbol(symbol))
            fail();
    }

    bool isNameToken(const SqlToken &t) const
    {
        return t.kind == SqlToken::Kind::Bracketed ||
               (t.kind == SqlToken::Kind::Word && !isReserved(t));
    }
    QString parseName()
    {
        if (!isNameToken(peek()))
            fail();
        return next().text;
    }

    // Name ! Name ! Name or Name . Name: the parts and their separators.
    void parseNameChain(SqlExpr &e)
    {
        e.parts.append(parseName());
        while (peek().isSymbol(".") || peek().isSymbol("!")) {
            const QString separator = peek().text;
            if (separator == QLatin1String(".") && peek(1).isSymbol("*"))
                return;
            next();
            e.separators += separator;
            e.parts.append(parseName());
        }
    }

    void parseParameters(SqlQuery &query)
    {
        do {
            SqlExpr name;
            parseNameChain(name);
            SqlParameter p;
            p.name = parameterName(name);
            if (isNameToken(peek()) && peek().kind == SqlToken::Kind::Word) {
                p.type = next().text;
                if (acceptSymbol("(")) { // Text (255)
                    while (!peek().isSymbol(")") && peek().kind != SqlToken::Kind::End)
                        next();
                    expectSymbol(")");
                }
            }
            query.parameters.append(p);
        } while (acceptSymbol(","));
        expectSymbol(";");
    }

    void parseUnion(SqlQuery &query)
    {
        query.parts.append(parseUnionTerm());
        while (accept("union")) {
            query.unionAll.append(accept("all"));
            query.parts.append(parseUnionTerm());
        }
        if (query.parts.size() > 1) {
            query.kind = SqlQuery::Kind::Union;
            // The last part's ORDER BY sorts the whole union.
            query.unionOrder = query.parts.last()->orderBy;
            query.parts.last()->orderBy.clear();
        }
    }

    SqlSelectPtr parseUnionTerm()
    {
        if (peek().isSymbol("(") && (peek(1).isWord("select") || peek(1).isWord("table"))) {
            next();
            SqlSelectPtr s = parseUnionTerm();
            expectSymbol(")");
            return s;
        }
        if (accept("table")) {
            auto s = std::make_shared<SqlSelect>();
            auto star = std::make_shared<SqlExpr>();
            star->kind = SqlExpr::Kind::Star;
            s->items.append({star, QString()});
            auto source = std::make_shared<SqlSource>();
            source->name = parseName();
            s->from.append(source);
            return s;
        }
        return parseSelect();
    }

    SqlSelectPtr parseSelect()
    {
        expectWord("select");
        auto s = std::make_shared<SqlSelect>();
        if (accept("distinct"))
            s->distinct = true;
        else if (accept("distinctrow"))
            s->distinctRow = true;
        else
            accept("all");
        if (accept("top")) {
            if (peek().kind != SqlToken::Kind::Number)
                fail();
            s->top = next().text.toDouble();
            s->topPercent = accept("percent");
        }
        do {
            SqlSelectItem item;
            item.expr = parseExpr();
            if (accept("as"))
                item.alias = parseName();
            s->items.append(item);
        } while (acceptSymbol(","));
        if (accept("into")) {
            s->intoTable = parseName();
            if (accept("in"))
                next();
        }
        if (accept("from")) {
            do {
                s->from.append(parseJoinChain());
            } while (acceptSymbol(","));
        }
        if (accept("where"))
            s->where = parseExpr();
        if (accept("group")) {
            expectWord("by");
            do {
                s->groupBy.append(parseExpr());
            } while (acceptSymbol(","));
        }
        if (accept("having"))
            s->having = parseExpr();
        if (accept("order")) {
            expectWord("by");
            do {
                SqlOrder o;
                o.expr = parseExpr();
                if (accept("desc"))
                    o.descending = true;
                else
                    accept("asc");
                s->orderBy.append(o);
            } while (acceptSymbol(","));
        }
        if (accept("with")) { // WITH OWNERACCESS OPTION changes permissions only
            if (!peek().isWord("owneraccess"))
                fail();
            next();
            if (!peek().isWord("option"))
                fail();
            next();
        }
        return s;
    }

    SqlSourcePtr parseJoinChain()
    {
        SqlSourcePtr left = parsePrimarySource();
        for (;;) {
            SqlSource::JoinType type = SqlSource::JoinType::Inner;
            if (accept("inner")) {
                type = SqlSource::JoinType::Inner;
            } else if (accept("left")) {
                type = SqlSource::JoinType::Left;
                accept("outer");
            } else if (accept("right")) {
                type = SqlSource::JoinType::Right;
                accept("outer");
            } else if (!peek().isWord("join")) {
                return left;
            }
            expectWord("join");
            auto join = std::make_shared<SqlSource>();
            join->kind = SqlSource::Kind::Join;
            join->joinType = type;
            join->left = left;
            join->right = parsePrimarySource();
            expectWord("on");
            join->on = parseExpr();
            left = join;
        }
    }

    SqlSourcePtr parsePrimarySource()
    {
        if (acceptSymbol("(")) {
            if (peek().isWord("select")) {
                auto derived = std::make_shared<SqlSource>();
                derived->kind = SqlSource::Kind::Derived;
                derived->derived = std::make_shared<SqlQuery>();
                parseUnion(*derived->derived);
                expectSymbol(")");
                if (accept("as") || isNameToken(peek()))
                    derived->alias = parseName();
                return derived;
            }
            SqlSourcePtr inner = parseJoinChain();
            expectSymbol(")");
            return inner;
        }
        auto source = std::make_shared<SqlSource>();
        source->name = parseName();
        if (accept("in")) {
            if (peek().kind != SqlToken::Kind::Text)
                fail();
            source->external = next().text;
        }
        if (accept("as"))
            source->alias = parseName();
        else if (isNameToken(peek()))
            source->alias = parseName();
        return source;
    }

    // ---- Expressions, loosest first: Imp, Eqv, Xor, Or, And, Not,
    // comparisons, &, + -, Mod, \, * /, unary -, ^.

    SqlExprPtr binary(const QString &op, SqlExprPtr a, SqlExprPtr b)
    {
        auto e = std::make_shared<SqlExpr>();
        e->kind = SqlExpr::Kind::Binary;
        e->op = op;
        e->args = {std::move(a), std::move(b)};
        return e;
    }

    SqlExprPtr parseExpr()
    {
        const qsizetype start = peek().at;
        SqlExprPtr e = parseLogical(0);
        e->source = m_sql.mid(start, peek().at - start).trimmed();
        return e;
    }

    SqlExprPtr parseLogical(int level)
    {
        static const char *const ops[] = {"imp", "eqv", "xor", "or", "and"};
        if (level == 5)
            return parseNot();
        SqlExprPtr left = parseLogical(level + 1);
        while (accept(ops[level]))
            left = binary(QString::fromLatin1(ops[level]), left, parseLogical(level + 1));
        return left;
    }

    SqlExprPtr parseNot()
    {
        if (accept("not")) {
            auto e = std::make_shared<SqlExpr>();
            e->kind = SqlExpr::Kind::Unary;
            e->op = QStringLiteral("not");
            e->args = {parseNot()};
            return e;
        }
        return parseComparison();
    }

    SqlExprPtr parseComparison()
    {
        SqlExprPtr left = parseConcat();
        for (;;) {
            const SqlToken &t = peek();
            if (t.kind == SqlToken::Kind::Symbol &&
                (t.text == QLatin1String("=") || t.text == QLatin1String("<>") ||
                 t.text == QLatin1String("<") || t.text == QLatin1String(">") ||
                 t.text == QLatin1String("<=") || t.text == QLatin1String(">="))) {
                const QString op = next().text;
                left = binary(op, left, parseConcat());
                continue;
            }
            if (accept("is")) {
                auto e = std::make_shared<SqlExpr>();
                e->kind = SqlExpr::Kind::IsNull;
                e->negated = accept("not");
                if (!peek().isWord("null"))
                    fail();
                next();
                e->args = {left};
                left = e;
                continue;
            }
            const bool negated =
                peek().isWord("not") &&
                (peek(1).isWord("like") || peek(1).isWord("between") || peek(1).isWord("in"));
            if (negated)
                next();
            if (accept("like")) {
                auto e = std::make_shared<SqlExpr>();
                e->kind = SqlExpr::Kind::Like;
                e->negated = negated;
                e->args = {left, parseConcat()};
                left = e;
            } else if (accept("between")) {
                auto e = std::make_shared<SqlExpr>();
                e->kind = SqlExpr::Kind::Between;
                e->negated = negated;
                SqlExprPtr low = parseConcat();
                expectWord("and");
                e->args = {left, low, parseConcat()};
                left = e;
            } else if (!m_pivot && accept("in")) {
                auto e = std::make_shared<SqlExpr>();
                e->negated = negated;
                expectSymbol("(");
                if (peek().isWord("select")) {
                    e->kind = SqlExpr::Kind::InSelect;
                    e->args = {left};
                    e->subquery = parseSelect();
                } else {
                    e->kind = SqlExpr::Kind::InList;
                    e->args = {left};
                    do {
                        e->args.append(parseExpr());
                    } while (acceptSymbol(","));
                }
                expectSymbol(")");
                left = e;
            } else {
                return left;
            }
        }
    }

    SqlExprPtr parseConcat()
    {
        SqlExprPtr left = parseAdditive();
        while (acceptSymbol("&"))
            left = binary(QStringLiteral("&"), left, parseAdditive());
        return left;
    }

    SqlExprPtr parseAdditive()
    {
        SqlExprPtr left = parseMod();
        while (peek().isSymbol("+") || peek().isSymbol("-")) {
            const QString op = next().text;
            left = binary(op, left, parseMod());
        }
        return left;
    }

    SqlExprPtr parseMod()
    {
        SqlExprPtr left = parseIntDiv();
        while (accept("mod"))
            left = binary(QStringLiteral("mod"), left, parseIntDiv());
        return left;
    }

    SqlExprPtr parseIntDiv()
    {
        SqlExprPtr left = parseMultiplicative();
        while (acceptSymbol("\\"))
            left = binary(QStringLiteral("\\"), left, parseMultiplicative());
        return left;
    }

    SqlExprPtr parseMultiplicative()
    {
        SqlExprPtr left = parseUnary();
        while (peek().isSymbol("*") || peek().isSymbol("/")) {
            const QString op = next().text;
            left = binary(op, left, parseUnary());
        }
        return left;
    }

    SqlExprPtr parseUnary()
    {
        if (peek().isSymbol("-") || peek().isSymbol("+")) {
            auto e = std::make_shared<SqlExpr>();
            e->kind = SqlExpr::Kind::Unary;
            e->op = next().text;
            e->args = {parseUnary()};
            return e;
        }
        return parsePower();
    }

    SqlExprPtr parsePower()
    {
        SqlExprPtr left = parsePrimary();
        while (acceptSymbol("^")) {
            // The exponent may carry its own sign: 2^-1.
            SqlExprPtr right;
            if (peek().isSymbol("-") || peek().isSymbol("+")) {
                right = std::make_shared<SqlExpr>();
                right->kind = SqlExpr::Kind::Unary;
                right->op = next().text;
                right->args = {parsePrimary()};
            } else {
                right = parsePrimary();
            }
            left = binary(QStringLiteral("^"), left, right);
        }
        return left;
    }

    SqlExprPtr parsePrimary()
    {
        auto e = std::make_shared<SqlExpr>();
        const SqlToken &t = peek();
        switch (t.kind) {
        case SqlToken::Kind::Number:
            next();
            e->kind = SqlExpr::Kind::Number;
            e->number = t.text.toDouble();
            e->integer = !t.text.contains(u'.') && !t.text.contains(u'e', Qt::CaseInsensitive) &&
                         std::abs(e->number) < 2147483648.0;
            return e;
        case SqlToken::Kind::Text:
            next();
            e->kind = SqlExpr::Kind::Text;
            e->text = t.text;
            return e;
        case SqlToken::Kind::Date: {
            next();
            const std::optional<double> date = vbdates::parseJetDateLiteral(t.text);
            if (!date)
                throw queryerrors::unsupported(m_query, QLatin1Char('#') + t.text + u'#');
            e->kind = SqlExpr::Kind::Date;
            e->number = *date;
            e->text = t.text;
            return e;
        }
        case SqlToken::Kind::Symbol:
            if (t.isSymbol("*")) {
                next();
                e->kind = SqlExpr::Kind::Star;
                return e;
            }
            if (t.isSymbol("(")) {
                next();
                if (peek().isWord("select")) {
                    e->kind = SqlExpr::Kind::Subquery;
                    e->subquery = parseSelect();
                    expectSymbol(")");
                    return e;
                }
                SqlExprPtr inner = parseExpr();
                expectSymbol(")");
                return inner;
            }
            fail();
        case SqlToken::Kind::Word:
            if (t.isWord("exists")) {
                next();
                expectSymbol("(");
                e->kind = SqlExpr::Kind::Exists;
                e->subquery = parseSelect();
                expectSymbol(")");
                return e;
            }
            if (t.isWord("null")) {
                next();
                e->kind = SqlExpr::Kind::Null;
                return e;
            }
            for (const char *word : {"true", "yes", "on", "false", "no", "off"}) {
                if (t.isWord(word) && !peek(1).isSymbol("(") && !peek(1).isSymbol(".")) {
                    next();
                    e->kind = SqlExpr::Kind::Boolean;
                    const QString w = QString::fromLatin1(word);
                    e->number = (w == QLatin1String("true") || w == QLatin1String("yes") ||
                                 w == QLatin1String("on"))
                                    ? -1
                                    : 0;
                    return e;
                }
            }
            // Left and Right are keywords of joins and functions of text.
            if (peek(1).isSymbol("(") &&
                (!isReserved(t) || t.isWord("left") || t.isWord("right"))) {
                next();
                next();
                e->kind = SqlExpr::Kind::Call;
                e->op = t.text;
                if (!acceptSymbol(")")) {
                    do {
                        e->args.append(parseExpr());
                    } while (acceptSymbol(","));
                    expectSymbol(")");
                }
                e->source = m_sql.mid(t.at, peek().at - t.at).trimmed();
                return e;
            }
            [[fallthrough]];
        case SqlToken::Kind::Bracketed:
            e->kind = SqlExpr::Kind::Name;
            parseNameChain(*e);
            if (peek().isSymbol(".") && peek(1).isSymbol("*")) {
                next();
                next();
                e->kind = SqlExpr::Kind::Star;
            }
            return e;
        case SqlToken::Kind::End:
            fail();
        }
        fail();
    }

    QString m_sql;
    QString m_query;
    QList<SqlToken> m_tokens;
    qsizetype m_pos = 0;
    bool m_pivot = false;
};

} // namespace

QString parameterName(const SqlExpr &name)
{
    QString text = name.parts.value(0);
    for (qsizetype i = 1; i < name.parts.size(); ++i)
        text += name.separators[i - 1] + name.parts[i];
    return text;
}

SqlQueryPtr parseJetSql(const QString &sql, const QString &queryName)
{
    return Parser(sql, queryName).parseStatement();
}
