// libFuzzer target for the query engine: each input is the SQL of a saved
// query over two small tables, parsed, translated and run to its last row.
// Only rows and HostError are acceptable outcomes; anything else is a bug.

#include "host/objects/database.h"
#include "host/objects/fixturesource.h"
#include "host/query/queryengine.h"
#include "host/vb/errors.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    auto fx = std::make_shared<FixtureSource>();
    FixtureTable a(QStringLiteral("A"));
    a.field(QStringLiteral("ID"), DaoType::Long)
        .field(QStringLiteral("T"), DaoType::Text, 20)
        .field(QStringLiteral("D"), DaoType::Date);
    a.row({Value::longInt(1), Value("x"), Value::date(35000.5)});
    a.row({Value::longInt(2), Value::null(), Value::null()});
    fx->add(a);
    FixtureTable b(QStringLiteral("B"));
    b.field(QStringLiteral("ID"), DaoType::Long).field(QStringLiteral("C"), DaoType::Currency);
    b.row({Value::longInt(1), Value::currency(12345)});
    fx->add(b);
    const QString sql = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    fx->add(FixtureQuery(QStringLiteral("Q"), 0, sql));
    fx->add(FixtureQuery(QStringLiteral("X"), 16, sql));
    const Database db(fx);
    for (const QString &query : {QStringLiteral("Q"), QStringLiteral("X")}) {
        try {
            std::unique_ptr<RowCursor> rows = runSavedQuery(
                db, query, [](const QString &, const QString &) { return Value::longInt(1); });
            while (rows->next())
                (void)rows->row();
        } catch (const HostError &) {
        }
    }
    return 0;
}
