#include "host/query/querytranslator.h"

#include "host/query/queryerrors.h"
#include "host/query/sqlparser.h"
#include "host/query/vbafunctions.h"
#include "host/vb/vb.h"

namespace {

QString quoted(const QString &name)
{
    QString escaped = name;
    escaped.replace(u'"', QLatin1String("\"\""));
    return u'"' + escaped + u'"';
}

QString column(int i)
{
    return QStringLiteral("c%1").arg(i);
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QType unified(QType a, QType b)
{
    if (a == b)
        return a;
    if (isNumericType(a) && isNumericType(b))
        return widerNumeric(a, b);
    return QType::Unknown;
}

bool isLinked(const TableDef &t)
{
    return !t.Connect.isEmpty() || (t.Attributes & DaoTableAttr::AttachedTable) ||
           (t.Attributes & DaoTableAttr::AttachedODBC);
}

QString queryKindName(qint16 type)
{
    switch (type) {
    case 32:
        return QStringLiteral("delete query");
    case 48:
        return QStringLiteral("update query");
    case 64:
        return QStringLiteral("append query");
    case 80:
        return QStringLiteral("make-table query");
    case 96:
        return QStringLiteral("data-definition query");
    case 112:
        return QStringLiteral("pass-through query");
    default:
        return QString();
    }
}

QString literalOf(const Value &v)
{
    switch (v.type()) {
    case Value::Type::Null:
    case Value::Type::Empty:
        return QStringLiteral("NULL");
    case Value::Type::Text: {
        QString t = v.asText();
        t.replace(u'\'', QLatin1String("''"));
        return u'\'' + t + u'\'';
    }
    case Value::Type::Boolean:
        return v.asBoolean() ? QStringLiteral("-1") : QStringLiteral("0");
    case Value::Type::Integer:
    case Value::Type::Long:
        return QString::number(qint64(v.toDouble()));
    case Value::Type::Currency:
        return QString::number(double(v.asCurrencyUnits()) / 10000.0, 'g', 17);
    case Value::Type::Binary:
        return QStringLiteral("X'") + QString::fromLatin1(v.asBinary().toHex()) + u'\'';
    default:
        return QString::number(v.toDouble(), 'g', 17);
    }
}

} // namespace

QueryTranslator::QueryTranslator(const Database &database)
    : m_database(database)
{
}

void QueryTranslator::unsupported(const QString &construct) const
{
    throw queryerrors::unsupported(m_currentQuery, construct);
}

const QueryDef &QueryTranslator::queryDef(const QString &name) const
{
    for (const QueryDef &q : m_database.QueryDefs()) {
        if (sameName(q.Name, name))
            return q;
    }
    throw queryerrors::noSuchObject(name);
}

SqlQueryPtr QueryTranslator::parseSaved(const QueryDef &def)
{
    const QString kind = queryKindName(def.Type);
    if (!kind.isEmpty())
        throw queryerrors::notSelect(def.Name, kind);
    return parseJetSql(def.SQL(), def.Name);
}

void QueryTranslator::declareParameters(const SqlQuery &query)
{
    for (const SqlParameter &p : query.parameters) {
        m_declared.append(p);
        parameter(p.name);
    }
}

TranslatedSelect QueryTranslator::translate(const QString &queryName)
{
    const QueryDef &def = queryDef(queryName);
    m_currentQuery = def.Name;
    const SqlQueryPtr query = parseSaved(def);
    if (query->kind == SqlQuery::Kind::Crosstab)
        throw queryerrors::unsupported(def.Name, QStringLiteral("TRANSFORM"));
    m_queryStack.append(def.Name.toLower());
    declareParameters(*query);
    TranslatedSelect result = translateQuery(*query, nullptr);
    m_queryStack.removeLast();
    // Where the tree cannot tell a type, take the one the query's fields
    // give; not Text, which a reader may give any expression it cannot type.
    const QList<Field> &fields = def.Fields();
    if (fields.size() == result.columns.size()) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            const QType declared = typeOfDao(fields[i].Type);
            if (result.columns[i].type == QType::Unknown && declared != QType::Text)
                result.columns[i].type = declared;
        }
    }
    return result;
}

TranslatedSelect QueryTranslator::translateSql(const QString &sql, const QString &name)
{
    const QString outer = m_currentQuery;
    m_currentQuery = name;
    const SqlQueryPtr query = parseJetSql(sql, name);
    if (query->kind == SqlQuery::Kind::Crosstab)
        unsupported(QStringLiteral("TRANSFORM"));
    TranslatedSelect t = translateQuery(*query, nullptr);
    m_currentQuery = outer;
    return t;
}

TranslatedSelect QueryTranslator::translateQuery(const SqlQuery &query, Scope *outer)
{
    switch (query.kind) {
    case SqlQuery::Kind::Select:
        return translateSelect(*query.parts.first(), outer);
    case SqlQuery::Kind::Union:
        return translateUnion(query, outer);
    case SqlQuery::Kind::Crosstab:
        break;
    }
    unsupported(QStringLiteral("a crosstab query used as a source"));
}

TranslatedSelect QueryTranslator::translateUnion(const SqlQuery &query, Scope *outer)
{
    TranslatedSelect result;
    QString sql;
    for (qsizetype i = 0; i < query.parts.size(); ++i) {
        const SqlSelect &part = *query.parts[i];
        TranslatedSelect t = translateSelect(part, outer);
        if (i == 0) {
            result.columns = t.columns;
        } else {
            if (t.columns.size() != result.columns.size())
                throw HostError(Err::QueryNotRunnable,
                                QStringLiteral("the parts of the union query \"%1\" have different "
                                               "numbers of columns")
                                    .arg(m_currentQuery));
            sql +=
                query.unionAll[i - 1] ? QStringLiteral(" UNION ALL ") : QStringLiteral(" UNION ");
            for (qsizetype c = 0; c < t.columns.size(); ++c)
                result.columns[c].type = unified(result.columns[c].type, t.columns[c].type);
        }
        const bool wrapped = part.top || !part.orderBy.isEmpty();
        sql += wrapped ? QStringLiteral("SELECT * FROM (%1)").arg(t.sql) : t.sql;
    }
    if (query.unionOrder.isEmpty()) {
        result.sql = sql;
        return result;
    }
    QStringList order;
    for (const SqlOrder &o : query.unionOrder) {
        int found = -1;
        if (o.expr->kind == SqlExpr::Kind::Name) {
            const QString name = o.expr->parts.last();
            for (qsizetype c = 0; c < result.columns.size() && found < 0; ++c) {
                if (sameName(result.columns[c].name, name))
                    found = int(c);
            }
        } else if (o.expr->kind == SqlExpr::Kind::Number && o.expr->integer &&
                   o.expr->number >= 1 && o.expr->number <= result.columns.size()) {
            found = int(o.expr->number) - 1;
        }
        if (found < 0)
            unsupported(QStringLiteral("ORDER BY ") + o.expr->source);
        const Sql key = plainSql(column(found), result.columns[found].type);
        order << collated(key) + (o.descending ? QStringLiteral(" DESC") : QString());
    }
    result.sql = QStringLiteral("SELECT * FROM (%1) ORDER BY %2").arg(sql, order.join(u", "));
    return result;
}

QString QueryTranslator::translateSource(const SqlSource &source, Scope &scope)
{
    switch (source.kind) {
    case SqlSource::Kind::Table:
        return translateNamedSource(source, scope);
    case SqlSource::Kind::Derived: {
        const TranslatedSelect t = translateQuery(*source.derived, scope.outer);
        Source s;
        s.name = source.alias;
        s.sqlAlias = QStringLiteral("s%1").arg(m_nextAlias++);
        s.columns = t.columns;
        scope.sources.append(s);
        return QStringLiteral("(%1) AS %2").arg(t.sql, s.sqlAlias);
    }
    case SqlSource::Kind::Join: {
        const QString left = translateSource(*source.left, scope);
        const QString right = translateSource(*source.right, scope);
        const Sql on = translateExpr(*source.on, scope);
        const char *type = source.joinType == SqlSource::JoinType::Inner  ? "INNER"
                           : source.joinType == SqlSource::JoinType::Left ? "LEFT"
                                                                          : "RIGHT";
        return QStringLiteral("(%1 %2 JOIN %3 ON %4)")
            .arg(left, QLatin1String(type), right, on.text);
    }
    }
    return QString();
}

QString QueryTranslator::translateNamedSource(const SqlSource &source, Scope &scope)
{
    if (!source.external.isEmpty())
        unsupported(QStringLiteral("IN '%1'").arg(source.external));
    Source s;
    s.name = source.alias.isEmpty() ? source.name : source.alias;
    s.sqlAlias = QStringLiteral("s%1").arg(m_nextAlias++);
    for (const TableDef &t : m_database.TableDefs()) {
        if (!sameName(t.Name, source.name))
            continue;
        if (isLinked(t))
            unsupported(QStringLiteral("linked table %1").arg(t.Name));
        s.table = t.Name;
        s.tableFields = t.Fields();
        TableUse &use = m_tables[t.Name.toLower()];
        use.table = t.Name;
        scope.sources.append(s);
        return QStringLiteral("%1 AS %2").arg(quoted(t.Name), s.sqlAlias);
    }
    const QueryDef &def = queryDef(source.name);
    if (m_queryStack.contains(def.Name.toLower()))
        throw HostError(Err::QueryNotRunnable,
                        QStringLiteral("the query \"%1\" uses itself through \"%2\" (a circular "
                                       "reference), which cannot run")
                            .arg(m_currentQuery, def.Name));
    const QString outerQuery = m_currentQuery;
    m_currentQuery = def.Name;
    m_queryStack.append(def.Name.toLower());
    const SqlQueryPtr parsed = parseSaved(def);
    if (parsed->kind == SqlQuery::Kind::Crosstab)
        throw queryerrors::unsupported(outerQuery, QStringLiteral("crosstab query %1 used as a "
                                                                  "source")
                                                       .arg(def.Name));
    declareParameters(*parsed);
    TranslatedSelect t;
    try {
        t = translateQuery(*parsed, nullptr);
    } catch (const HostError &e) {
        // Say which query asked for the one that cannot run.
        if (e.number() != Err::QueryNotRunnable)
            throw;
        throw HostError(e.number(),
                        e.description() +
                            QStringLiteral(", used by the query \"%1\"").arg(outerQuery));
    }
    const QList<Field> &fields = def.Fields();
    if (fields.size() == t.columns.size()) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (t.columns[i].type == QType::Unknown && typeOfDao(fields[i].Type) != QType::Text)
                t.columns[i].type = typeOfDao(fields[i].Type);
        }
    }
    m_queryStack.removeLast();
    m_currentQuery = outerQuery;
    s.columns = t.columns;
    scope.sources.append(s);
    return QStringLiteral("(%1) AS %2").arg(t.sql, s.sqlAlias);
}

TranslatedSelect QueryTranslator::translateSelect(const SqlSelect &select, Scope *outer)
{
    Scope scope;
    scope.outer = outer;
    QStringList from;
    for (const SqlSourcePtr &source : select.from)
        from << translateSource(*source, scope);

    // The select list, * expanded.
    struct Item
    {
        Sql sql;
        QString name;
        QString qualifiedName; // Source.Field, for a field named twice
    };
    QList<Item> items;
    QSet<int> contributions;
    int nextExpr = 1000;
    const int aggregatesBefore = m_aggregates;
    for (const SqlSelectItem &item : select.items) {
        const SqlExpr &e = *item.expr;
        if (e.kind == SqlExpr::Kind::Star) {
            bool matched = false;
            for (qsizetype si = 0; si < scope.sources.size(); ++si) {
                const Source &s = scope.sources[si];
                if (!e.parts.isEmpty() && !sameName(s.name, e.parts.first()))
                    continue;
                matched = true;
                contributions.insert(int(si));
                const qsizetype count = s.table.isEmpty() ? s.columns.size() : s.tableFields.size();
                for (qsizetype c = 0; c < count; ++c) {
                    const QString field =
                        s.table.isEmpty() ? s.columns[c].name : s.tableFields[c].Name;
                    const Sql ref = columnRef(s, c);
                    items.append({ref, field, s.name + u'.' + field});
                }
            }
            if (!matched)
                unsupported(e.parts.isEmpty() ? QStringLiteral("*")
                                              : e.parts.first() + QStringLiteral(".*"));
            continue;
        }
        scope.aggregatesAllowed = true;
        scope.contributions = &contributions;
        const Sql sql = translateExpr(e, scope);
        scope.contributions = nullptr;
        Item it{sql, item.alias, QString()};
        if (it.name.isEmpty()) {
            if (!sql.field.isEmpty()) {
                it.name = sql.field;
                it.qualifiedName = sql.source + u'.' + sql.field;
            } else {
                it.name = QStringLiteral("Expr%1").arg(nextExpr++);
            }
        }
        if (!item.alias.isEmpty())
            scope.aliases.append({item.alias, sql});
        items.append(it);
    }
    const bool hasAggregate = !select.groupBy.isEmpty() || m_aggregates != aggregatesBefore;
    // Two fields of one name: Access qualifies both with their source.
    for (qsizetype i = 0; i < items.size(); ++i) {
        for (qsizetype j = i + 1; j < items.size(); ++j) {
            if (sameName(items[i].name, items[j].name) && !items[i].qualifiedName.isEmpty() &&
                !items[j].qualifiedName.isEmpty() &&
                !sameName(items[i].qualifiedName, items[j].qualifiedName)) {
                items[i].name = items[i].qualifiedName;
                items[j].name = items[j].qualifiedName;
            }
        }
    }

    scope.aggregatesAllowed = false;
    QString where;
    if (select.where)
        where = translateExpr(*select.where, scope).text;
    QStringList groupBy;
    for (const SqlExprPtr &g : select.groupBy)
        groupBy << collated(translateExpr(*g, scope));
    scope.aggregatesAllowed = true;
    QString having;
    if (select.having)
        having = translateExpr(*select.having, scope).text;
    QList<QPair<Sql, bool>> orderKeys;
    for (const SqlOrder &o : select.orderBy)
        orderKeys.append({translateExpr(*o.expr, scope), o.descending});

    // DISTINCTROW: rows distinct over the sources the select list reads,
    // when it leaves some source out (otherwise it changes nothing).
    if (select.distinctRow && !hasAggregate && contributions.size() < scope.sources.size()) {
        for (int si : contributions) {
            const Source &s = scope.sources[si];
            if (!s.table.isEmpty()) {
                groupBy << s.sqlAlias + QStringLiteral(".rowid");
            } else {
                for (qsizetype c = 0; c < s.columns.size(); ++c)
                    groupBy << s.sqlAlias + u'.' + column(int(c));
            }
        }
        if (contributions.isEmpty())
            groupBy.clear();
    }

    TranslatedSelect result;
    QStringList list;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const Item &it = items[i];
        QString value = valueOf(it.sql);
        if (it.sql.type == QType::Text)
            value = QStringLiteral("(%1) COLLATE JET").arg(value);
        list << QStringLiteral("%1 AS %2").arg(value, column(int(i)));
        result.columns.append({it.name, it.sql.type});
    }
    const bool rankedTop = select.top && (!orderKeys.isEmpty() || select.topPercent);
    if (rankedTop) {
        for (qsizetype k = 0; k < orderKeys.size(); ++k)
            list << QStringLiteral("%1 AS k%2").arg(valueOf(orderKeys[k].first)).arg(k);
    }
    QString sql = QStringLiteral("SELECT ");
    if (select.distinct)
        sql += QStringLiteral("DISTINCT ");
    sql += list.join(u", ");
    if (!from.isEmpty())
        sql += QStringLiteral(" FROM ") + from.join(u", ");
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    if (!groupBy.isEmpty())
        sql += QStringLiteral(" GROUP BY ") + groupBy.join(u", ");
    if (!having.isEmpty())
        sql += QStringLiteral(" HAVING ") + having;
    QStringList order;
    for (const auto &[key, descending] : orderKeys)
        order << collated(key) + (descending ? QStringLiteral(" DESC") : QString());
    if (!rankedTop) {
        if (!order.isEmpty())
            sql += QStringLiteral(" ORDER BY ") + order.join(u", ");
        if (select.top)
            sql += QStringLiteral(" LIMIT %1").arg(qint64(*select.top));
        result.sql = sql;
        return result;
    }
    // TOP n keeps the rows ranked n or better, ties included, as Jet does;
    // TOP n PERCENT the first n percent of the rows, rounded up.
    QStringList outerList, rankOrder;
    for (qsizetype i = 0; i < items.size(); ++i)
        outerList << column(int(i));
    for (qsizetype k = 0; k < orderKeys.size(); ++k) {
        const Sql key = plainSql(QStringLiteral("k%1").arg(k), orderKeys[k].first.type);
        rankOrder << collated(key) + (orderKeys[k].second ? QStringLiteral(" DESC") : QString());
    }
    const QString window =
        rankOrder.isEmpty()
            ? QStringLiteral("ROW_NUMBER() OVER ()")
            : QStringLiteral("RANK() OVER (ORDER BY %1)").arg(rankOrder.join(u", "));
    const QString limit = select.topPercent
                              ? QStringLiteral("(_rank - 1) * 100.0 < %1 * _count")
                                    .arg(QString::number(*select.top, 'g', 17))
                              : QStringLiteral("_rank <= %1").arg(qint64(*select.top));
    result.sql =
        QStringLiteral("SELECT %1 FROM (SELECT *, %2 AS _rank, COUNT(*) OVER () AS _count FROM "
                       "(%3)) WHERE %4%5")
            .arg(outerList.join(u", "), window, sql, limit,
                 rankOrder.isEmpty() ? QString()
                                     : QStringLiteral(" ORDER BY ") + rankOrder.join(u", "));
    return result;
}

CrosstabPlan QueryTranslator::planCrosstab(const QString &queryName)
{
    const QueryDef &def = queryDef(queryName);
    m_currentQuery = def.Name;
    m_crosstab = parseSaved(def);
    if (m_crosstab->kind != SqlQuery::Kind::Crosstab)
        throw HostError(Err::QueryNotRunnable,
                        QStringLiteral("the query \"%1\" is not a crosstab query").arg(def.Name));
    declareParameters(*m_crosstab);
    m_queryStack.append(def.Name.toLower());
    CrosstabPlan plan;
    const SqlSelect &select = *m_crosstab->parts.first();
    Scope scope;
    QStringList from;
    for (const SqlSourcePtr &source : select.from)
        from << translateSource(*source, scope);
    const Sql pivot = translateExpr(*m_crosstab->pivot, scope);
    plan.pivotType = pivot.type;
    {
        // Once for the fields and parameters the cell expression reads.
        const QString anyFilter = QStringLiteral("1");
        m_pivotFilter = &anyFilter;
        scope.aggregatesAllowed = true;
        translateExpr(*m_crosstab->transform, scope);
        scope.aggregatesAllowed = false;
        m_pivotFilter = nullptr;
    }
    if (!m_crosstab->pivotIn.isEmpty()) {
        for (const SqlExprPtr &v : m_crosstab->pivotIn) {
            switch (v->kind) {
            case SqlExpr::Kind::Text:
                plan.inValues.append(Value(v->text));
                break;
            case SqlExpr::Kind::Number:
                plan.inValues.append(v->integer ? Value::longInt(qint32(v->number))
                                                : Value::dbl(v->number));
                break;
            case SqlExpr::Kind::Date:
                plan.inValues.append(Value::date(v->number));
                break;
            default:
                unsupported(QStringLiteral("PIVOT ... IN (") + v->source + u')');
            }
        }
        m_queryStack.removeLast();
        return plan;
    }
    QString sql = QStringLiteral("SELECT DISTINCT %1 AS c0").arg(collated(pivot));
    if (!from.isEmpty())
        sql += QStringLiteral(" FROM ") + from.join(u", ");
    if (select.where)
        sql += QStringLiteral(" WHERE ") + translateExpr(*select.where, scope).text;
    sql += QStringLiteral(" ORDER BY ") + collated(plainSql(QStringLiteral("c0"), pivot.type));
    plan.pivotValuesSql = sql;
    m_queryStack.removeLast();
    return plan;
}

TranslatedSelect QueryTranslator::crosstabSelect(const QList<Value> &pivotValues)
{
    const SqlSelect &select = *m_crosstab->parts.first();
    m_queryStack.append(m_currentQuery.toLower());
    Scope scope;
    QStringList from;
    for (const SqlSourcePtr &source : select.from)
        from << translateSource(*source, scope);
    scope.aggregatesAllowed = true;
    TranslatedSelect result;
    QStringList list;
    int nextExpr = 1000;
    for (const SqlSelectItem &item : select.items) {
        const Sql sql = translateExpr(*item.expr, scope);
        QString name = item.alias;
        if (name.isEmpty())
            name = item.expr->kind == SqlExpr::Kind::Name
                       ? item.expr->parts.last()
                       : QStringLiteral("Expr%1").arg(nextExpr++);
        QString value = valueOf(sql);
        if (sql.type == QType::Text)
            value = QStringLiteral("(%1) COLLATE JET").arg(value);
        list << QStringLiteral("%1 AS %2").arg(value, column(int(result.columns.size())));
        result.columns.append({name, sql.type});
        if (!item.alias.isEmpty())
            scope.aliases.append({item.alias, sql});
    }
    const Sql pivot = translateExpr(*m_crosstab->pivot, scope);
    for (const Value &v : pivotValues) {
        const QString filter = v.isNull()
                                   ? QStringLiteral("(%1) IS NULL").arg(valueOf(pivot))
                                   : QStringLiteral("%1 = %2").arg(collated(pivot), literalOf(v));
        m_pivotFilter = &filter;
        const Sql cell = translateExpr(*m_crosstab->transform, scope);
        m_pivotFilter = nullptr;
        // A cell no row falls into is empty, whatever the aggregate.
        list << QStringLiteral(
                    "CASE WHEN SUM(CASE WHEN %1 THEN 1 END) IS NOT NULL THEN %2 END AS %3")
                    .arg(filter, valueOf(cell), column(int(result.columns.size())));
        const QString name = v.isNull() ? QStringLiteral("<>") : vb::CStr(v);
        result.columns.append({name, cell.type});
    }
    scope.aggregatesAllowed = false;
    QString sql = QStringLiteral("SELECT ") + list.join(u", ");
    if (!from.isEmpty())
        sql += QStringLiteral(" FROM ") + from.join(u", ");
    if (select.where)
        sql += QStringLiteral(" WHERE ") + translateExpr(*select.where, scope).text;
    QStringList groupBy;
    for (const SqlExprPtr &g : select.groupBy)
        groupBy << collated(translateExpr(*g, scope));
    if (!groupBy.isEmpty())
        sql += QStringLiteral(" GROUP BY ") + groupBy.join(u", ");
    scope.aggregatesAllowed = true;
    if (select.having)
        sql += QStringLiteral(" HAVING ") + translateExpr(*select.having, scope).text;
    // Rows come sorted by their headings unless the query orders them.
    QStringList order;
    for (const SqlOrder &o : select.orderBy)
        order << collated(translateExpr(*o.expr, scope)) +
                     (o.descending ? QStringLiteral(" DESC") : QString());
    if (order.isEmpty())
        order = groupBy;
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(u", ");
    m_queryStack.removeLast();
    result.sql = sql;
    return result;
}

QList<TableUse> QueryTranslator::tableUses() const
{
    return m_tables.values();
}
