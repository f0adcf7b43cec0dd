// Expressions of the query translator: names, operators, function calls,
// aggregates, each written as SQLite SQL with the type it yields.

#include "host/query/queryerrors.h"
#include "host/query/querytranslator.h"
#include "host/query/sqlparser.h"
#include "host/query/vbafunctions.h"

namespace {

QString quoted(const QString &name)
{
    QString escaped = name;
    escaped.replace(u'"', QLatin1String("\"\""));
    return u'"' + escaped + u'"';
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString textLiteral(const QString &text)
{
    QString t = text;
    t.replace(u'\'', QLatin1String("''"));
    return u'\'' + t + u'\'';
}

QString numberLiteral(double d, bool integer)
{
    return integer ? QString::number(qint64(d)) : QString::number(d, 'g', 17);
}

} // namespace

QString QueryTranslator::valueOf(const Sql &s)
{
    return s.predicate ? QStringLiteral("(-(%1))").arg(s.text) : s.text;
}

QString QueryTranslator::tagged(const Sql &s)
{
    switch (s.type) {
    case QType::Date:
        return QStringLiteral("vb_tag_date(%1)").arg(s.text);
    case QType::Currency:
        return QStringLiteral("vb_tag_currency(%1)").arg(s.text);
    case QType::Boolean:
        return QStringLiteral("vb_tag_boolean(%1)").arg(valueOf(s));
    default:
        return valueOf(s);
    }
}

QString QueryTranslator::collated(const Sql &s)
{
    if (s.type == QType::Text)
        return QStringLiteral("(%1) COLLATE JET").arg(s.text);
    return valueOf(s);
}

QueryTranslator::Sql QueryTranslator::columnRef(const Source &source, qsizetype index)
{
    Sql sql;
    sql.source = source.name;
    if (source.table.isEmpty()) {
        sql.text = QStringLiteral("%1.c%2").arg(source.sqlAlias).arg(index);
        sql.type = source.columns[index].type;
        sql.field = source.columns[index].name;
        return sql;
    }
    const Field &f = source.tableFields[index];
    sql.text = source.sqlAlias + u'.' + quoted(f.Name);
    sql.type = typeOfDao(f.Type);
    sql.field = f.Name;
    TableUse &use = m_tables[source.table.toLower()];
    bool known = false;
    for (const Field &u : use.fields)
        known = known || sameName(u.Name, f.Name);
    if (!known)
        use.fields.append(f);
    return sql;
}

std::optional<QueryTranslator::Sql> QueryTranslator::fieldOf(Scope &scope, const QString &qualifier,
                                                             const QString &field, bool searchOuter)
{
    for (Scope *s = &scope; s; s = searchOuter ? s->outer : nullptr) {
        std::optional<Sql> found;
        int foundSource = -1;
        for (qsizetype si = 0; si < s->sources.size(); ++si) {
            const Source &source = s->sources[si];
            if (!qualifier.isEmpty() && !sameName(source.name, qualifier))
                continue;
            const qsizetype count =
                source.table.isEmpty() ? source.columns.size() : source.tableFields.size();
            for (qsizetype c = 0; c < count; ++c) {
                const QString &name =
                    source.table.isEmpty() ? source.columns[c].name : source.tableFields[c].Name;
                if (!sameName(name, field))
                    continue;
                if (found && foundSource != si)
                    throw queryerrors::ambiguous(m_currentQuery, field);
                if (!found) {
                    found = columnRef(source, c);
                    foundSource = int(si);
                }
            }
        }
        if (found) {
            if (s == &scope && scope.contributions)
                scope.contributions->insert(foundSource);
            return found;
        }
        if (!searchOuter)
            break;
    }
    return std::nullopt;
}

QueryTranslator::Sql QueryTranslator::parameter(const QString &name)
{
    qsizetype index = -1;
    for (qsizetype i = 0; i < m_parameters.size() && index < 0; ++i) {
        if (sameName(m_parameters[i].name, name))
            index = i;
    }
    if (index < 0) {
        QueryParameterSlot slot;
        slot.name = name;
        for (const SqlParameter &p : m_declared) {
            if (sameName(p.name, name)) {
                slot.declaredType = p.type;
                slot.type = typeOfDeclaration(p.type);
                break;
            }
        }
        m_parameters.append(slot);
        index = m_parameters.size() - 1;
    }
    return plainSql(QStringLiteral("?%1").arg(index + 1), m_parameters[index].type);
}

QueryTranslator::Sql QueryTranslator::translateName(const SqlExpr &e, Scope &scope)
{
    const QString &last = e.parts.last();
    if (e.parts.size() == 1) {
        if (std::optional<Sql> f = fieldOf(scope, QString(), last, false))
            return *f;
        for (const auto &[alias, sql] : scope.aliases) {
            if (sameName(alias, last)) {
                Sql s = sql;
                s.text = u'(' + s.text + u')';
                s.field.clear();
                s.chain.clear();
                return s;
            }
        }
        if (std::optional<Sql> f = fieldOf(scope, QString(), last, true))
            return *f;
    } else if (e.parts.size() == 2) {
        if (std::optional<Sql> f = fieldOf(scope, e.parts.first(), last, true))
            return *f;
    }
    // Neither a field nor an alias: Jet asks for it.
    return parameter(parameterName(e));
}

QueryTranslator::Sql QueryTranslator::translateAggregate(const SqlExpr &e, Scope &scope)
{
    if (!scope.aggregatesAllowed)
        unsupported(e.source.isEmpty() ? e.op : e.source);
    if (e.args.size() != 1)
        unsupported(e.op + QStringLiteral(" with %1 arguments").arg(e.args.size()));
    ++m_aggregates;
    const QString name = e.op.toLower();
    const bool star = e.args[0]->kind == SqlExpr::Kind::Star;
    if (star && name != QLatin1String("count"))
        unsupported(e.op + QStringLiteral("(*)"));
    // The argument is a row value: aggregates do not nest.
    Scope inner = scope;
    inner.aggregatesAllowed = false;
    Sql arg;
    if (!star)
        arg = translateExpr(*e.args[0], inner);
    scope.aliases = inner.aliases;
    QString argText = star ? QStringLiteral("1") : valueOf(arg);
    const QString filter = m_pivotFilter ? *m_pivotFilter : QString();
    if (!filter.isEmpty() && name != QLatin1String("first") && name != QLatin1String("last"))
        argText = QStringLiteral("CASE WHEN %1 THEN %2 END").arg(filter, argText);
    Sql out;
    if (name == QLatin1String("count")) {
        out.text = QStringLiteral("count(%1)")
                       .arg(star && filter.isEmpty() ? QStringLiteral("*") : argText);
        out.type = QType::Long;
        return out;
    }
    if (arg.type == QType::Text)
        argText = QStringLiteral("(%1) COLLATE JET").arg(argText);
    if (name == QLatin1String("sum")) {
        out.text = QStringLiteral("sum(%1)").arg(argText);
        out.type =
            arg.type == QType::Currency ? QType::Currency
            : (arg.type == QType::Integer || arg.type == QType::Long || arg.type == QType::Boolean)
                ? QType::Long
                : QType::Double;
    } else if (name == QLatin1String("avg")) {
        out.text = QStringLiteral("avg(%1)").arg(argText);
        out.type = arg.type == QType::Currency ? QType::Currency : QType::Double;
    } else if (name == QLatin1String("min") || name == QLatin1String("max")) {
        out.text = QStringLiteral("%1(%2)").arg(name, argText);
        out.type = arg.type;
    } else if (name == QLatin1String("first") || name == QLatin1String("last")) {
        out.text = filter.isEmpty() ? QStringLiteral("vb_%1(%2)").arg(name, argText)
                                    : QStringLiteral("vb_%1(%2, %3)").arg(name, argText, filter);
        out.type = arg.type;
    } else {
        out.text = QStringLiteral("vb_%1(%2)").arg(name, argText);
        out.type = QType::Double;
    }
    return out;
}

// DLookUp("Field", "Domain", criteria): the field and the domain must be
// written as text, so that the domain's table is copied with all its fields
// before the run; the criteria, usually built per row, are read and run
// per row by vb_domain (host/query/domainfunctions.h).
QueryTranslator::Sql QueryTranslator::translateDomain(const SqlExpr &e, const QString &aggregate,
                                                      Scope &scope)
{
    if (e.args.size() < 2 || e.args.size() > 3 || e.args[0]->kind != SqlExpr::Kind::Text ||
        e.args[1]->kind != SqlExpr::Kind::Text)
        unsupported(
            QStringLiteral("%1 with a field or domain that is not written as text").arg(e.op));
    const QString field = e.args[0]->text;
    const QString domain = e.args[1]->text;
    const QString from = QStringLiteral(" FROM [%1]").arg(domain);
    const QString name = QStringLiteral("%1 of %2").arg(e.op, m_currentQuery);
    translateSql(QStringLiteral("SELECT *") + from, name);
    const TranslatedSelect typed =
        translateSql(QStringLiteral("SELECT %1(%2)").arg(aggregate, field) + from, name);
    QString criteria = QStringLiteral("NULL");
    if (e.args.size() == 3)
        criteria = tagged(translateExpr(*e.args[2], scope));
    auto literal = [](const QString &t) {
        QString q = t;
        q.replace(u'\'', QLatin1String("''"));
        return u'\'' + q + u'\'';
    };
    Sql out;
    out.text = QStringLiteral("vb_domain(%1, %2, %3, %4)")
                   .arg(literal(aggregate), literal(field), literal(domain), criteria);
    out.type = typed.columns.value(0).type;
    return out;
}

QueryTranslator::Sql QueryTranslator::translateCall(const SqlExpr &e, Scope &scope)
{
    QString name = e.op.toLower();
    if (name.endsWith(u'$'))
        name.chop(1);
    if (isAggregateFunction(name))
        return translateAggregate(e, scope);
    QList<Sql> args;
    for (const SqlExprPtr &a : e.args) {
        if (a->kind == SqlExpr::Kind::Star)
            unsupported(e.op + QStringLiteral("(*)"));
        args.append(translateExpr(*a, scope));
    }
    auto arity = [&](qsizetype min, qsizetype max) {
        if (args.size() < min || args.size() > max)
            unsupported(QStringLiteral("%1 with %2 arguments").arg(e.op).arg(args.size()));
    };
    auto sameType = [](const QList<Sql> &values) {
        QType t = values.isEmpty() ? QType::Unknown : values.first().type;
        for (const Sql &v : values) {
            if (v.type != t)
                return QType::Unknown;
        }
        return t;
    };
    Sql out;
    if (name == QLatin1String("iif")) {
        arity(3, 3);
        out.text = QStringLiteral("(CASE WHEN %1 THEN %2 ELSE %3 END)")
                       .arg(args[0].text, valueOf(args[1]), valueOf(args[2]));
        out.type = sameType({args[1], args[2]});
        if (args[1].text == QLatin1String("NULL"))
            out.type = args[2].type;
        else if (args[2].text == QLatin1String("NULL"))
            out.type = args[1].type;
        return out;
    }
    if (name == QLatin1String("nz")) {
        arity(1, 2);
        QString fallback;
        if (args.size() == 2)
            fallback = valueOf(args[1]);
        else
            fallback = isNumericType(args[0].type) ? QStringLiteral("0") : QStringLiteral("''");
        out.text = QStringLiteral("COALESCE(%1, %2)").arg(valueOf(args[0]), fallback);
        out.type = args.size() == 2 ? sameType(args) : args[0].type;
        return out;
    }
    if (name == QLatin1String("isnull")) {
        arity(1, 1);
        out.text = QStringLiteral("(%1 IS NULL)").arg(valueOf(args[0]));
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    if (name == QLatin1String("switch")) {
        if (args.isEmpty() || args.size() % 2 != 0)
            unsupported(QStringLiteral("Switch with %1 arguments").arg(args.size()));
        QString text = QStringLiteral("(CASE");
        QList<Sql> values;
        for (qsizetype i = 0; i < args.size(); i += 2) {
            text += QStringLiteral(" WHEN %1 THEN %2").arg(args[i].text, valueOf(args[i + 1]));
            values.append(args[i + 1]);
        }
        out.text = text + QStringLiteral(" END)");
        out.type = sameType(values);
        return out;
    }
    if (name == QLatin1String("choose")) {
        if (args.size() < 2)
            unsupported(QStringLiteral("Choose with %1 arguments").arg(args.size()));
        QString text = QStringLiteral("(CASE vb_clng(%1)").arg(tagged(args[0]));
        for (qsizetype i = 1; i < args.size(); ++i)
            text += QStringLiteral(" WHEN %1 THEN %2").arg(i).arg(valueOf(args[i]));
        out.text = text + QStringLiteral(" END)");
        out.type = sameType(args.mid(1));
        return out;
    }
    static const struct
    {
        const char *function, *aggregate;
    } domains[] = {{"dlookup", "First"},  {"dcount", "Count"}, {"dsum", "Sum"},
                   {"davg", "Avg"},       {"dmin", "Min"},     {"dmax", "Max"},
                   {"dfirst", "First"},   {"dlast", "Last"},   {"dstdev", "StDev"},
                   {"dstdevp", "StDevP"}, {"dvar", "Var"},     {"dvarp", "VarP"}};
    for (const auto &d : domains) {
        if (name == QLatin1String(d.function))
            return translateDomain(e, QString::fromLatin1(d.aggregate), scope);
    }
    const VbaFunction *f = findVbaFunction(name);
    if (!f)
        unsupported(QStringLiteral("the function %1").arg(e.op));
    arity(f->minArgs, f->maxArgs);
    QStringList texts;
    for (const Sql &a : args)
        texts << tagged(a);
    out.text =
        QStringLiteral("vb_%1(%2)").arg(QString::fromLatin1(f->name).toLower(), texts.join(u", "));
    out.type =
        f->sameAsArg >= 0 && f->sameAsArg < args.size() ? args[f->sameAsArg].type : f->result;
    return out;
}

QueryTranslator::Sql QueryTranslator::coerced(const Sql &s, QType other)
{
    // Text, or a parameter typed by nobody, compared with a date or a
    // number is read as one, as Jet reads "1995/12/01" against a date.
    const bool loose =
        s.type == QType::Text || (s.type == QType::Unknown && s.text.startsWith(u'?'));
    if (!loose)
        return s;
    if (other == QType::Date)
        return plainSql(QStringLiteral("vb_cvdate(%1)").arg(valueOf(s)), QType::Date);
    if (isNumericType(other) && other != QType::Boolean)
        return plainSql(QStringLiteral("vb_num(%1)").arg(valueOf(s)), QType::Double);
    return s;
}

QueryTranslator::Sql QueryTranslator::comparison(const Sql &a, const QString &op, const Sql &b)
{
    Sql out;
    const bool text = a.type == QType::Text || b.type == QType::Text;
    out.text = text ? QStringLiteral("((%1) COLLATE JET %2 (%3))").arg(valueOf(a), op, valueOf(b))
                    : QStringLiteral("(%1 %2 %3)").arg(valueOf(a), op, valueOf(b));
    out.type = QType::Boolean;
    out.predicate = true;
    return out;
}

QueryTranslator::Sql QueryTranslator::translateBinary(const SqlExpr &e, Scope &scope)
{
    const QString op = e.op;
    const Sql a = translateExpr(*e.args[0], scope);
    const Sql b = translateExpr(*e.args[1], scope);
    Sql out;
    // Chains of one operator are written flat, a AND b AND c rather than
    // ((a AND b) AND c): SQLite's parser has a bounded stack, and Access
    // writes sums of forty terms.
    if (op == QLatin1String("and") || op == QLatin1String("or")) {
        const QString group = op.toUpper();
        out.chain = group;
        out.bare =
            QStringLiteral("%1 %2 %3").arg(a.chain == group ? a.bare : a.text, group, b.text);
        out.text = u'(' + out.bare + u')';
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    if (op == QLatin1String("xor") || op == QLatin1String("eqv") || op == QLatin1String("imp")) {
        const QString l = QStringLiteral("((%1) <> 0)").arg(valueOf(a));
        const QString r = QStringLiteral("((%1) <> 0)").arg(valueOf(b));
        if (op == QLatin1String("xor"))
            out.text = QStringLiteral("(%1 <> %2)").arg(l, r);
        else if (op == QLatin1String("eqv"))
            out.text = QStringLiteral("(%1 = %2)").arg(l, r);
        else
            out.text = QStringLiteral("(NOT %1 OR %2)").arg(l, r);
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    if (op == QLatin1String("=") || op == QLatin1String("<>") || op == QLatin1String("<") ||
        op == QLatin1String(">") || op == QLatin1String("<=") || op == QLatin1String(">=")) {
        return comparison(coerced(a, b.type), op, coerced(b, a.type));
    }
    if (op == QLatin1String("&")) {
        out.chain = QStringLiteral("&");
        out.bare =
            QStringLiteral("%1, %2").arg(a.chain == out.chain ? a.bare : tagged(a), tagged(b));
        out.text = QStringLiteral("vb_cat(%1)").arg(out.bare);
        out.type = QType::Text;
        return out;
    }
    const bool numeric = isNumericType(a.type) && isNumericType(b.type);
    const bool dated =
        (a.type == QType::Date && (isNumericType(b.type) || b.type == QType::Date)) ||
        (b.type == QType::Date && isNumericType(a.type));
    if (op == QLatin1String("+") || op == QLatin1String("-") || op == QLatin1String("*")) {
        const bool loose = (a.type == QType::Text || a.type == QType::Unknown) &&
                           (b.type == QType::Text || b.type == QType::Unknown);
        if (op == QLatin1String("+") && a.type == QType::Text && b.type == QType::Text) {
            out.text = QStringLiteral("(%1 || %2)").arg(a.text, b.text);
            out.type = QType::Text;
            return out;
        }
        if (op == QLatin1String("+") && loose) {
            // Text + text joins, a number + text adds: only the values can tell.
            out.text = QStringLiteral("vb_add(%1, %2)").arg(tagged(a), tagged(b));
            return out;
        }
        // A number with text or an unknown: the text is read as a number,
        // as VBA reads it.
        auto number = [](const Sql &x) {
            return isNumericType(x.type) || x.type == QType::Date
                       ? valueOf(x)
                       : QStringLiteral("vb_num(%1)").arg(tagged(x));
        };
        out.chain = op == QLatin1String("*") ? QStringLiteral("*") : QStringLiteral("+-");
        out.bare = QStringLiteral("%1 %2 %3")
                       .arg(a.chain == out.chain ? a.bare : number(a), op, number(b));
        out.text = u'(' + out.bare + u')';
        if (dated && op != QLatin1String("*"))
            out.type = (op == QLatin1String("-") && a.type == QType::Date && b.type == QType::Date)
                           ? QType::Double
                           : QType::Date;
        else
            out.type = numeric ? widerNumeric(a.type, b.type) : QType::Double;
        return out;
    }
    static const struct
    {
        const char *op, *function;
        QType type;
    } calls[] = {{"/", "vb_div", QType::Double},
                 {"\\", "vb_idiv", QType::Long},
                 {"mod", "vb_mod", QType::Long},
                 {"^", "vb_pow", QType::Double}};
    for (const auto &c : calls) {
        if (op == QLatin1String(c.op)) {
            out.text =
                QStringLiteral("%1(%2, %3)").arg(QLatin1String(c.function), tagged(a), tagged(b));
            out.type = c.type;
            return out;
        }
    }
    unsupported(op);
}

QueryTranslator::Sql QueryTranslator::translateExpr(const SqlExpr &e, Scope &scope)
{
    Sql out;
    switch (e.kind) {
    case SqlExpr::Kind::Number:
        out.text = numberLiteral(e.number, e.integer);
        out.type = e.integer ? QType::Long : QType::Double;
        return out;
    case SqlExpr::Kind::Text:
        out.text = textLiteral(e.text);
        out.type = QType::Text;
        return out;
    case SqlExpr::Kind::Date:
        out.text = QString::number(e.number, 'g', 17);
        out.type = QType::Date;
        return out;
    case SqlExpr::Kind::Boolean:
        out.text = e.number != 0 ? QStringLiteral("-1") : QStringLiteral("0");
        out.type = QType::Boolean;
        return out;
    case SqlExpr::Kind::Null:
        out.text = QStringLiteral("NULL");
        return out;
    case SqlExpr::Kind::Name:
        return translateName(e, scope);
    case SqlExpr::Kind::Star:
        unsupported(QStringLiteral("*"));
    case SqlExpr::Kind::Unary: {
        const Sql a = translateExpr(*e.args[0], scope);
        if (e.op == QLatin1String("not")) {
            out.text = QStringLiteral("(NOT %1)").arg(a.text);
            out.type = QType::Boolean;
            out.predicate = true;
        } else if (e.op == QLatin1String("-")) {
            out.text = isNumericType(a.type) || a.type == QType::Date
                           ? QStringLiteral("(-%1)").arg(valueOf(a))
                           : QStringLiteral("(-vb_num(%1))").arg(tagged(a));
            out.type = isNumericType(a.type) || a.type == QType::Date ? a.type : QType::Double;
        } else {
            out = a;
            out.field.clear();
        }
        return out;
    }
    case SqlExpr::Kind::Binary:
        return translateBinary(e, scope);
    case SqlExpr::Kind::Call:
        return translateCall(e, scope);
    case SqlExpr::Kind::Between: {
        const Sql v = translateExpr(*e.args[0], scope);
        const Sql low = coerced(translateExpr(*e.args[1], scope), v.type);
        const Sql high = coerced(translateExpr(*e.args[2], scope), v.type);
        const bool text = v.type == QType::Text || low.type == QType::Text;
        out.text =
            QStringLiteral("(%1 %2BETWEEN %3 AND %4)")
                .arg(text ? collated(v) : valueOf(v),
                     e.negated ? QStringLiteral("NOT ") : QString(), valueOf(low), valueOf(high));
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    case SqlExpr::Kind::InList: {
        const Sql v = translateExpr(*e.args[0], scope);
        QStringList list;
        bool text = v.type == QType::Text;
        for (qsizetype i = 1; i < e.args.size(); ++i) {
            const Sql item = coerced(translateExpr(*e.args[i], scope), v.type);
            text = text || item.type == QType::Text;
            list << valueOf(item);
        }
        out.text = QStringLiteral("(%1 %2IN (%3))")
                       .arg(text ? QStringLiteral("(%1) COLLATE JET").arg(valueOf(v)) : valueOf(v),
                            e.negated ? QStringLiteral("NOT ") : QString(), list.join(u", "));
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    case SqlExpr::Kind::InSelect: {
        const Sql v = translateExpr(*e.args[0], scope);
        const TranslatedSelect sub = translateSelect(*e.subquery, &scope);
        out.text = QStringLiteral("(%1 %2IN (%3))")
                       .arg(collated(v), e.negated ? QStringLiteral("NOT ") : QString(), sub.sql);
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    case SqlExpr::Kind::IsNull: {
        const Sql v = translateExpr(*e.args[0], scope);
        out.text = QStringLiteral("(%1 IS %2NULL)")
                       .arg(valueOf(v), e.negated ? QStringLiteral("NOT ") : QString());
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    case SqlExpr::Kind::Like: {
        const Sql v = translateExpr(*e.args[0], scope);
        const Sql pattern = translateExpr(*e.args[1], scope);
        out.text = QStringLiteral("(vb_like(%1, %2) = %3)")
                       .arg(tagged(v), tagged(pattern),
                            e.negated ? QStringLiteral("0") : QStringLiteral("1"));
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    case SqlExpr::Kind::Subquery: {
        const TranslatedSelect sub = translateSelect(*e.subquery, &scope);
        if (sub.columns.size() != 1)
            unsupported(QStringLiteral("a subquery of %1 columns").arg(sub.columns.size()));
        out.text = u'(' + sub.sql + u')';
        out.type = sub.columns.first().type;
        return out;
    }
    case SqlExpr::Kind::Exists: {
        const TranslatedSelect sub = translateSelect(*e.subquery, &scope);
        out.text = QStringLiteral("(%1EXISTS (%2))")
                       .arg(e.negated ? QStringLiteral("NOT ") : QString(), sub.sql);
        out.type = QType::Boolean;
        out.predicate = true;
        return out;
    }
    }
    unsupported(e.source);
}
