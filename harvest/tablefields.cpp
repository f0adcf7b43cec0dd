#include "harvest/tablefields.h"

#include "harvest/fieldcolumns.h"
#include "harvest/propertysearch.h"
#include "host/command/command.h"
#include "host/command/listings.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

namespace {

const int TableFieldPreview = 1;
// The key-name list holds positions 0 to 20.
const int KeyNameSlots = 21;

// DAO reports the engine's own tables as 0x80000000 and Access's as 2; other
// combinations of those bits are listed.
bool isHostSystemTable(qint32 attributes)
{
    return attributes == qint32(0x80000000u) || attributes == 2;
}

// The fields of this table's primary index. Every index is walked because
// one with more fields than the list has positions ends the command; only
// the primary index names keys, and nothing is kept from another table.
QStringList keyNames(const TableDef &table)
{
    QStringList keys;
    for (const Index &index : table.Indexes()) {
        if (index.Fields.size() > KeyNameSlots)
            throw HostError(Err::SubscriptOutOfRange,
                            QStringLiteral("Index %1 of table %2 has %3 fields; at most %4 are "
                                           "read")
                                .arg(index.Name, table.Name)
                                .arg(index.Fields.size())
                                .arg(KeyNameSlots));
        if (index.Primary)
            keys = index.Fields;
    }
    return keys;
}

void writeTableRow(Recordset &infos, const TableDef &table, qint16 objectNo)
{
    infos.setField(QStringLiteral("objectNo"), Value::integer(objectNo));
    infos.setField(QStringLiteral("TableName"), storedText(table.Name, 255));
    infos.setField(QStringLiteral("DateCreated"), table.DateCreated);
    infos.setField(QStringLiteral("LastUpdated"), table.LastUpdated);
    infos.setField(QStringLiteral("Attributes"), Value::longInt(table.Attributes));
    if (!table.Connect.isEmpty()) {
        infos.setField(QStringLiteral("Connect"), storedText(table.Connect, 255));
        infos.setField(QStringLiteral("LinkTable"), QStringLiteral("Link"));
    }
    infos.setField(QStringLiteral("RecordCount"), Value::longInt(table.RecordCount()));
    infos.setField(QStringLiteral("SourceTableName"), storedText(table.SourceTableName, 255));
    infos.setField(QStringLiteral("Updatable"), Value::boolean(table.Updatable));
    writeFoundProperty(infos, table.Properties(), QStringLiteral("Description"));
}

} // namespace

void cmdTableF_Click(MainState &state, Ui &ui)
{
    runCommand(state, ui, QStringLiteral("TableField"), [&] {
        if (state.listingState(Listing::TableFields) != ListingProduced) {
            const QStringList tables{QStringLiteral("T_TableItem"), QStringLiteral("T_TableInfo")};
            const QList<Recordset *> rs = beginHarvest(state, ui, tables);
            Recordset &items = *rs[0];
            Recordset &infos = *rs[1];

            const QList<TableDef> &tableDefs = state.targetDatabase().TableDefs();
            state.objectCounter = 0;
            for (const TableDef &table : tableDefs) {
                if (isHostSystemTable(table.Attributes))
                    continue;
                infos.AddNew();
                vb::increment(state.objectCounter);
                const qint16 objectNo = state.objectCounter;
                const QString tableName = storedText(table.Name, 255);
                showProgress(ui, tableName + QStringLiteral("　取得中"));
                writeTableRow(infos, table, objectNo);
                infos.Update(1, false);

                const QStringList keys = keyNames(table);
                qint16 fieldNo = 0;
                for (const Field &field : table.Fields()) {
                    items.AddNew();
                    vb::increment(fieldNo);
                    items.setField(QStringLiteral("objectNo"), Value::integer(objectNo));
                    items.setField(QStringLiteral("FieldNo"), Value::integer(fieldNo));
                    items.setField(QStringLiteral("FieldName"), storedText(field.Name, 255));
                    if (keys.contains(field.Name))
                        items.setField(QStringLiteral("PrimaryKey"), Value::boolean(true));
                    writeFieldColumns(items, field);
                    writeFoundProperty(items, field.Properties(), QStringLiteral("Description"));
                    items.Update(1, false);
                }
            }
        }
        finishListing(state, ui, TableFieldPreview);
    });
}
