// JetSource against the npm package mdb-reader, a Jet reader written
// independently of libmdb: table names, columns, types and row counts of
// every corpus file both can read. Runs when `node` is on the PATH and
// $QUILLMARK_MDB_READER names the folder mdb-reader was installed into with
// `npm install --prefix` (scripts/check-mdb-reader.sh does both).

#include "host/jet/jetsource.h"
#include "host/vb/errors.h"
#include "jet/corpuscatalog.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

// mdb-reader's name for a DAO field type.
QString readerType(qint16 daoType)
{
    switch (daoType) {
    case DaoType::Boolean:
        return QStringLiteral("boolean");
    case DaoType::Byte:
        return QStringLiteral("byte");
    case DaoType::Integer:
        return QStringLiteral("integer");
    case DaoType::Long:
        return QStringLiteral("long");
    case DaoType::Currency:
        return QStringLiteral("currency");
    case DaoType::Single:
        return QStringLiteral("float");
    case DaoType::Double:
        return QStringLiteral("double");
    case DaoType::Date:
        return QStringLiteral("datetime");
    case DaoType::Binary:
        return QStringLiteral("binary");
    case DaoType::Text:
        return QStringLiteral("text");
    case DaoType::LongBinary:
        return QStringLiteral("ole");
    case DaoType::Memo:
        return QStringLiteral("memo");
    case DaoType::Guid:
        return QStringLiteral("repid");
    case DaoType::Decimal:
        return QStringLiteral("numeric");
    case DaoType::BigInt:
        return QStringLiteral("bigint");
    default:
        // Attachment and the other multi-valued kinds.
        return daoType >= DaoType::Attachment ? QStringLiteral("complex")
                                              : QStringLiteral("dao-%1").arg(daoType);
    }
}

bool isLocal(const TableDef &t)
{
    return (t.Attributes & (DaoTableAttr::AttachedTable | DaoTableAttr::AttachedODBC)) == 0;
}

} // namespace

TEST(JetMdbReader, TablesColumnsTypesAndRowCountsAgreeOnTheCorpus)
{
    if (corpusDir().isEmpty())
        GTEST_SKIP() << "no corpus";
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    const QString prefix = qEnvironmentVariable("QUILLMARK_MDB_READER");
    if (node.isEmpty() || prefix.isEmpty() ||
        !QFileInfo::exists(prefix + QStringLiteral("/node_modules/mdb-reader/package.json")))
        GTEST_SKIP() << "node or mdb-reader missing (run scripts/check-mdb-reader.sh)";

    const QStringList files = corpusDatabases();
    QProcess p;
    p.start(node,
            QStringList{QStringLiteral(QUILLMARK_SOURCE_DIR "/tests/jet/mdbreader/compare.js"),
                        prefix} +
                files);
    ASSERT_TRUE(p.waitForFinished(600000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QJsonParseError parseError;
    const QJsonObject all =
        QJsonDocument::fromJson(p.readAllStandardOutput(), &parseError).object();
    ASSERT_EQ(parseError.error, QJsonParseError::NoError);

    int compared = 0;
    for (const QString &file : files) {
        SCOPED_TRACE(file.toStdString());
        const QJsonObject theirs = all.value(file).toObject();
        ASSERT_FALSE(theirs.isEmpty());
        std::shared_ptr<JetSource> source;
        try {
            source = JetSource::open(file);
        } catch (const HostError &e) {
            // A file we refuse must be one mdb-reader cannot read either.
            EXPECT_TRUE(theirs.contains(QStringLiteral("error")))
                << "we raise " << e.code() << " on a file mdb-reader reads";
            continue;
        }
        if (theirs.contains(QStringLiteral("error"))) {
            std::cout << "mdb-reader cannot read " << file.toStdString() << ": "
                      << theirs.value(QStringLiteral("error")).toString().toStdString() << '\n';
            continue;
        }
        ++compared;

        QList<TableDef> ours;
        for (const TableDef &t : source->tableDefs())
            if (isLocal(t))
                ours.append(t);
        const QJsonArray tables = theirs.value(QStringLiteral("tables")).toArray();
        QStringList ourNames, theirNames;
        for (const TableDef &t : ours)
            ourNames.append(t.Name);
        for (const QJsonValue &t : tables)
            theirNames.append(t.toObject().value(QStringLiteral("name")).toString());
        // mdb-reader lists catalog rows in page order; we list rows that moved
        // to another page where Access keeps them, so only the sets must agree.
        ourNames.sort();
        theirNames.sort();
        EXPECT_EQ(ourNames.join(u'|'), theirNames.join(u'|'));

        for (const QJsonValue &tv : tables) {
            const QJsonObject t = tv.toObject();
            const QString name = t.value(QStringLiteral("name")).toString();
            SCOPED_TRACE(name.toStdString());
            const auto it = std::find_if(ours.begin(), ours.end(),
                                         [&](const TableDef &d) { return d.Name == name; });
            if (it == ours.end() || t.contains(QStringLiteral("error")))
                continue; // the name lists differ, reported above
            EXPECT_EQ(it->RecordCount(), t.value(QStringLiteral("rowCount")).toInt());

            QStringList ourColumns, theirColumns;
            for (const Field &f : it->Fields())
                ourColumns.append(f.Name + u':' + readerType(f.Type));
            for (const QJsonValue &cv : t.value(QStringLiteral("columns")).toArray()) {
                const QJsonObject c = cv.toObject();
                QString type = c.value(QStringLiteral("type")).toString();
                if (type == QLatin1String("datetimextended"))
                    type = QStringLiteral("text"); // DAO has no code for it
                theirColumns.append(c.value(QStringLiteral("name")).toString() + u':' + type);
            }
            EXPECT_EQ(ourColumns.join(u'|'), theirColumns.join(u'|'));

            // Rows found by walking the pages, not the stored count.
            if (t.contains(QStringLiteral("rows"))) {
                int rows = 0;
                try {
                    JetTableReader reader = source->readTable(name);
                    while (reader.next())
                        ++rows;
                } catch (const HostError &e) {
                    ADD_FAILURE() << "reading rows raised " << e.code();
                }
                EXPECT_EQ(rows, t.value(QStringLiteral("rows")).toInt());
            }
        }
    }
    EXPECT_GT(compared, 50);
}
