#include "harvest/queryfields.h"

#include "harvest/fieldcolumns.h"
#include "harvest/propertysearch.h"
#include "harvest/vocabulary.h"
#include "host/command/command.h"
#include "host/command/listings.h"
#include "host/vb/vb.h"

namespace {

const int QueryFieldPreview = 2;

void writeQueryRow(Recordset &infos, const QueryDef &query, qint16 objectNo,
                   const QString &typeName)
{
    infos.setField(QStringLiteral("objectNo"), Value::integer(objectNo));
    infos.setField(QStringLiteral("QueryName"), storedText(query.Name, 255));
    infos.setField(QStringLiteral("QueryType"), typeName);
    const QString &sql = query.SQL(); // whole: a memo column
    infos.setField(QStringLiteral("QuerySQL"), storedText(sql, sql.size()));
    infos.setField(QStringLiteral("DateCreated"), query.DateCreated);
    infos.setField(QStringLiteral("LastUpdated"), query.LastUpdated);
    infos.setField(QStringLiteral("ODBCTimeout"), Value::integer(query.ODBCTimeout));
    infos.setField(QStringLiteral("MaxRecords"), Value::longInt(query.MaxRecords));
    infos.setField(QStringLiteral("Updatable"), Value::boolean(query.Updatable));
    infos.setField(QStringLiteral("Connect"), storedText(query.Connect, 255));
    infos.setField(QStringLiteral("RecordsAffected"), Value::longInt(query.RecordsAffected));
    writeFoundProperty(infos, query.Properties(), QStringLiteral("Description"));
}

} // namespace

void cmdQueryF_Click(MainState &state, Ui &ui)
{
    runCommand(state, ui, QStringLiteral("QueryField"), [&] {
        if (state.listingState(Listing::QueryFields) != ListingProduced) {
            const QStringList tables{QStringLiteral("T_QueryItem"), QStringLiteral("T_QueryInfo")};
            const QList<Recordset *> rs = beginHarvest(state, ui, tables);
            Recordset &items = *rs[0];
            Recordset &infos = *rs[1];

            const QList<QueryDef> &queryDefs = state.targetDatabase().QueryDefs();
            state.objectCounter = 0;
            for (const QueryDef &query : queryDefs) {
                const QString typeName = QueryTypeName(QString::number(query.Type));
                if (typeName == QLatin1String("System"))
                    continue;
                vb::increment(state.objectCounter);
                const qint16 objectNo = state.objectCounter;
                showProgress(ui, query.Name + QStringLiteral("　取得中"));
                infos.AddNew();
                writeQueryRow(infos, query, objectNo, typeName);
                infos.Update(1, false);

                qint16 fieldNo = 0;
                for (const Field &field : query.Fields()) {
                    items.AddNew();
                    vb::increment(fieldNo);
                    items.setField(QStringLiteral("objectNo"), Value::integer(objectNo));
                    items.setField(QStringLiteral("FieldNo"), Value::integer(fieldNo));
                    items.setField(QStringLiteral("FieldName"), storedText(field.Name, 255));
                    writeFieldColumns(items, field);
                    items.Update(1, false);
                }
            }
        }
        finishListing(state, ui, QueryFieldPreview);
    });
}
