#include "host/query/domainfunctions.h"

#include "host/objects/database.h"
#include "host/query/queryerrors.h"
#include "host/query/querytranslator.h"
#include "host/query/sqlitefunctions.h"
#include "host/vb/vb.h"

#include <QHash>
#include <memory>

namespace {

struct DomainContext
{
    const Database *database;
    SqliteDb *db;
    struct Lookup
    {
        std::unique_ptr<SqliteStatement> statement;
        QType type = QType::Unknown;
    };
    QHash<QString, std::shared_ptr<Lookup>> lookups; // by Jet SQL
};

void lookUp(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    guardedCall(context, [&] {
        auto *c = static_cast<DomainContext *>(sqlite3_user_data(context));
        const QList<Value> args = argumentsOf(argc, argv);
        QString sql = QStringLiteral("SELECT %1(%2) FROM [%3]")
                          .arg(vb::CStr(args[0]), vb::CStr(args[1]), vb::CStr(args[2]));
        if (!args[3].isNull() && !vb::CStr(args[3]).trimmed().isEmpty())
            sql += QStringLiteral(" WHERE ") + vb::CStr(args[3]);
        std::shared_ptr<DomainContext::Lookup> &lookup = c->lookups[sql];
        if (!lookup) {
            QueryTranslator translator(*c->database);
            const TranslatedSelect t = translator.translateSql(sql, sql);
            if (!translator.parameters().isEmpty())
                throw queryerrors::unsupported(
                    sql, QStringLiteral("[%1] in the criteria of a domain function")
                             .arg(translator.parameters().first().name));
            lookup = std::make_shared<DomainContext::Lookup>();
            lookup->statement = std::make_unique<SqliteStatement>(*c->db, t.sql);
            lookup->type = t.columns.value(0).type;
        }
        lookup->statement->reset();
        const Value v =
            lookup->statement->step() ? lookup->statement->column(0, lookup->type) : Value::null();
        lookup->statement->reset();
        sqliteResult(context, v);
    });
}

} // namespace

void registerDomainFunctions(SqliteDb &db, const Database &database)
{
    auto context = std::make_shared<DomainContext>(DomainContext{&database, &db, {}});
    db.attach(context);
    sqlite3_create_function_v2(db.handle(), "vb_domain", 4, SQLITE_UTF8, context.get(), lookUp,
                               nullptr, nullptr, nullptr);
}
