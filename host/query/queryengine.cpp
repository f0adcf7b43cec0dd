#include "host/query/queryengine.h"

#include "host/query/domainfunctions.h"
#include "host/query/queryerrors.h"
#include "host/query/resultcursor.h"
#include "host/query/sqlitedb.h"
#include "host/query/tableloader.h"
#include "host/query/vbadates.h"
#include "host/vb/vb.h"

namespace {

bool isCrosstab(const Database &database, const QString &query)
{
    for (const QueryDef &q : database.QueryDefs()) {
        if (q.Name.compare(query, Qt::CaseInsensitive) == 0)
            return q.Type == 16 ||
                   q.SQL().trimmed().startsWith(QLatin1String("TRANSFORM"), Qt::CaseInsensitive);
    }
    throw queryerrors::noSuchObject(query);
}

// The answer converted to the declared type, as Jet converts it.
Value converted(const Value &answer, QType type)
{
    if (answer.isNull() || answer.isEmpty())
        return Value::null();
    switch (type) {
    case QType::Date:
        return Value::date(vbdates::CDate(answer));
    case QType::Text:
        return Value(vb::CStr(answer));
    case QType::Integer:
        return Value::integer(vb::CInt(answer));
    case QType::Long:
        return Value::longInt(vb::CLng(answer));
    case QType::Currency:
        return Value::currency(vb::CCur(answer));
    case QType::Single:
    case QType::Double:
        return Value::dbl(vb::CDbl(answer));
    case QType::Boolean:
        return Value::boolean(vb::CDbl(answer) != 0);
    default:
        return answer;
    }
}

QList<Value> askParameters(const QList<QueryParameterSlot> &parameterSlots,
                           const ParameterPrompt &prompt)
{
    QList<Value> values;
    for (const QueryParameterSlot &slot : parameterSlots) {
        if (!prompt)
            throw HostError(
                Err::ActionCancelled,
                QStringLiteral("no value was given for the parameter \"%1\"").arg(slot.name));
        values.append(converted(prompt(slot.name, slot.declaredType), slot.type));
    }
    return values;
}

void bindParameters(SqliteStatement &statement, const QList<Value> &values)
{
    const int used = statement.parameterCount();
    for (qsizetype i = 0; i < values.size() && i < used; ++i)
        statement.bind(int(i) + 1, values[i]);
}

} // namespace

QList<QueryParameter> queryParameters(const Database &database, const QString &query)
{
    QueryTranslator translator(database);
    if (isCrosstab(database, query)) {
        const CrosstabPlan plan = translator.planCrosstab(query);
        translator.crosstabSelect(plan.inValues);
    } else {
        translator.translate(query);
    }
    QList<QueryParameter> out;
    for (const QueryParameterSlot &slot : translator.parameters())
        out.append({slot.name, slot.declaredType});
    return out;
}

std::unique_ptr<RowCursor> runSavedQuery(const Database &database, const QString &query,
                                         const ParameterPrompt &prompt)
{
    QueryTranslator translator(database);
    auto db = std::make_shared<SqliteDb>();
    registerDomainFunctions(*db, database);
    if (!isCrosstab(database, query)) {
        TranslatedSelect select = translator.translate(query);
        const QList<Value> values = askParameters(translator.parameters(), prompt);
        loadTables(*db, database, translator.tableUses());
        auto statement = std::make_unique<SqliteStatement>(*db, select.sql);
        bindParameters(*statement, values);
        return std::make_unique<QueryResultCursor>(db, std::move(statement), select.columns);
    }
    const CrosstabPlan plan = translator.planCrosstab(query);
    // The parameters are all known once the final SELECT is written; its
    // pivot values are not yet, so write it once to find them.
    translator.crosstabSelect(plan.inValues);
    const QList<Value> values = askParameters(translator.parameters(), prompt);
    loadTables(*db, database, translator.tableUses());
    QList<Value> pivotValues = plan.inValues;
    if (!plan.pivotValuesSql.isEmpty()) {
        SqliteStatement distinct(*db, plan.pivotValuesSql);
        bindParameters(distinct, values);
        while (distinct.step())
            pivotValues.append(distinct.column(0, plan.pivotType));
    }
    TranslatedSelect select = translator.crosstabSelect(pivotValues);
    auto statement = std::make_unique<SqliteStatement>(*db, select.sql);
    bindParameters(*statement, values);
    return std::make_unique<QueryResultCursor>(db, std::move(statement), select.columns);
}

std::unique_ptr<RowCursor> runSqlText(const Database &database, const QString &sql,
                                      const ParameterPrompt &prompt)
{
    QueryTranslator translator(database);
    TranslatedSelect select = translator.translateSql(sql, sql.simplified().left(60));
    const QList<Value> values = askParameters(translator.parameters(), prompt);
    auto db = std::make_shared<SqliteDb>();
    loadTables(*db, database, translator.tableUses());
    auto statement = std::make_unique<SqliteStatement>(*db, select.sql);
    bindParameters(*statement, values);
    return std::make_unique<QueryResultCursor>(db, std::move(statement), select.columns);
}
