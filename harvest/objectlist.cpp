#include "harvest/objectlist.h"

#include "harvest/propertysearch.h"
#include "harvest/vocabulary.h"
#include "host/command/command.h"
#include "host/command/listings.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

#include <QFileInfo>

namespace {

const int ObjectListPreview = 0;

double fileSizeKb(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw HostError(Err::FileNotFound, QStringLiteral("File not found: %1").arg(path));
    return double(info.size()) / 1024.0;
}

struct ObjectRow
{
    const char *kind;
    const QString &name;
    const Value &created;
    const Value &updated;
};

// The columns every T_Object row starts with.
void beginObjectRow(MainState &state, Recordset &objects, const ObjectRow &row)
{
    vb::increment(state.objectCounter);
    objects.AddNew();
    objects.setField(QStringLiteral("DbNo"), Value::integer(0));
    objects.setField(QStringLiteral("objectNo"), Value::integer(state.objectCounter));
    objects.setField(QStringLiteral("Class"), QString::fromLatin1(row.kind));
    objects.setField(QStringLiteral("objectName"), vb::Left(row.name, 255));
    objects.setField(QStringLiteral("DateCreate"), row.created);
    objects.setField(QStringLiteral("DateUpdate"), row.updated);
}

void writeDatabaseRow(MainState &state, Recordset &databases)
{
    Database &db = state.targetDatabase();
    databases.AddNew();
    databases.setField(QStringLiteral("DbNo"), Value::integer(0));
    databases.setField(QStringLiteral("DbName"), vb::Left(db.Name(), 255));
    databases.setField(QStringLiteral("FileSize"), Value::dbl(fileSizeKb(state.targetPath)));
    databases.setField(QStringLiteral("Version"), db.Version());
    databases.setField(QStringLiteral("QueryTimeout"), Value::integer(db.QueryTimeout()));
    databases.setField(QStringLiteral("Updatable"), Value::boolean(db.Updatable()));
    writeFoundProperty(databases, db.Properties(), QStringLiteral("AccessVersion"));
    databases.Update(1, false);
}

} // namespace

void cmdObject_Click(MainState &state, Ui &ui)
{
    runCommand(state, ui, QStringLiteral("ObjectList"), [&] {
        if (state.listingState(Listing::Objects) != ListingProduced) {
            const QStringList tables{QStringLiteral("T_Object"), QStringLiteral("T_DataBase")};
            const QList<Recordset *> rs = beginHarvest(state, ui, tables);
            Recordset &objects = *rs[0];

            showProgress(ui, QStringLiteral("ﾃﾞｰﾀﾍﾞｰｽ情報　取得中"));
            writeDatabaseRow(state, *rs[1]);
            Database &db = state.targetDatabase();
            state.objectCounter = 0;

            showProgress(ui, QStringLiteral("ﾃｰﾌﾞﾙ情報　取得中"));
            for (const TableDef &table : db.TableDefs()) {
                if (vb::Left(table.Name, 4) == QLatin1String("MSys"))
                    continue;
                beginObjectRow(state, objects,
                               {"Table", table.Name, table.DateCreated, table.LastUpdated});
                writeFoundProperty(objects, table.Properties(), QStringLiteral("Description"));
                if (!table.Connect.isEmpty())
                    objects.setField(QStringLiteral("QueryType"), QStringLiteral("Link"));
                objects.Update(1, false);
            }

            showProgress(ui, QStringLiteral("ｸｴﾘ-情報　取得中"));
            for (const QueryDef &query : db.QueryDefs()) {
                const QString typeName = QueryTypeName(QString::number(query.Type));
                if (typeName == QLatin1String("System"))
                    continue;
                beginObjectRow(state, objects,
                               {"Query", query.Name, query.DateCreated, query.LastUpdated});
                objects.setField(QStringLiteral("QueryType"), typeName);
                writeFoundProperty(objects, query.Properties(), QStringLiteral("Description"));
                objects.Update(1, false);
            }

            struct DocumentKind
            {
                const char *kind;
                const char *container;
                const char *progress;
            };
            static const DocumentKind kinds[] = {
                {"Form", "Forms", "ﾌｫｰﾑ情報　取得中"},
                {"Report", "Reports", "ﾚﾎﾟｰﾄ情報　取得中"},
                {"Macro", "Scripts", "マクロ情報　取得中"},
                {"Module", "Modules", "ﾓｼﾞｭｰﾙ情報　取得中"},
            };
            for (const DocumentKind &kind : kinds) {
                showProgress(ui, QString::fromUtf8(kind.progress));
                const Container &container = db.Containers(QString::fromLatin1(kind.container));
                for (const Document &document : container.Documents) {
                    beginObjectRow(
                        state, objects,
                        {kind.kind, document.Name, document.DateCreated, document.LastUpdated});
                    writeFoundProperty(objects, document.Properties(),
                                       QStringLiteral("Description"));
                    objects.Update(1, false);
                }
            }
        }
        finishListing(state, ui, ObjectListPreview);
    });
}
