#include "host/store/store.h"

#include "host/vb/errors.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// The layout schema.sql writes into user_version.
constexpr int StoreLayoutVersion = 2;

QAtomicInt connectionSerial;

[[noreturn]] void raiseAccess(const QString &path, const QString &why)
{
    throw HostError(
        Err::PathFileAccess,
        QStringLiteral("Path/File access error: the documentation store %1 %2").arg(path, why));
}

// An existing file must be an SQLite database; checked before the driver sees
// it so that a foreign file is reported as such and never modified.
void checkExistingFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        raiseAccess(path, QStringLiteral("cannot be read"));
    const QByteArray head = file.read(16);
    if (head.isEmpty())
        return; // an empty file becomes a new store
    if (head != QByteArray("SQLite format 3\0", 16))
        throw HostError(Err::StoreUnusable,
                        QStringLiteral("The documentation store %1 is not an SQLite database; "
                                       "move it away and a new store is created")
                            .arg(path));
}

QString quoted(const QString &identifier)
{
    return QLatin1Char('"') +
           QString(identifier).replace(QLatin1String("\""), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

} // namespace

Store::Store(QString path, QString connectionName)
    : m_path(std::move(path))
    , m_connectionName(std::move(connectionName))
{
}

Store::~Store()
{
    try {
        commit();
    } catch (const HostError &) {
        // Nothing more can be saved while closing; the error was the command's to report.
    }
    m_recordsets.clear();
    if (m_readersWhileWriting) {
        // Fails quietly while another connection still reads; the file then
        // stays in log mode, which SQLite opens as well.
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::unique_ptr<Store> Store::open(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists()) {
        if (info.isDir())
            raiseAccess(path, QStringLiteral("is a folder"));
        checkExistingFile(path);
        if (!info.isWritable())
            raiseAccess(path, QStringLiteral("is read-only"));
    } else {
        const QFileInfo folder(info.absolutePath());
        if (!folder.isDir())
            raiseAccess(path, QStringLiteral("lies in a folder that does not exist"));
        if (!folder.isWritable())
            raiseAccess(path, QStringLiteral("cannot be created: the folder is not writable"));
    }

    const QString name =
        QStringLiteral("quillmark-store-%1").arg(connectionSerial.fetchAndAddRelaxed(1));
    std::unique_ptr<Store> store(new Store(path, name));
    store->m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    store->m_db.setDatabaseName(path);
    store->m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=3000"));
    if (!store->m_db.open())
        store->raise(QStringLiteral("open"), store->m_db.lastError().text());
    store->createSchemaIfNew();
    return store;
}

// The schema is a resource of this static library, which must be registered by hand.
static void registerSchemaResource()
{
    Q_INIT_RESOURCE(schema);
}

void Store::createSchemaIfNew()
{
    registerSchemaResource();
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")))
        raise(QStringLiteral("read"), query.lastError().text());
    query.next();
    const bool hasTables = query.value(0).toInt() > 0;
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        raise(QStringLiteral("read"), query.lastError().text());
    const int version = query.value(0).toInt();
    if (hasTables && version == StoreLayoutVersion)
        return;
    if (version > StoreLayoutVersion)
        throw HostError(Err::StoreUnusable,
                        QStringLiteral("The documentation store %1 was written by a newer build "
                                       "(layout %2; this build reads %3)")
                            .arg(m_path)
                            .arg(version)
                            .arg(StoreLayoutVersion));

    QFile schema(QStringLiteral(":/store/schema.sql"));
    schema.open(QIODevice::ReadOnly);
    QString script = QString::fromUtf8(schema.readAll());
    script.remove(QRegularExpression(QStringLiteral("--[^\n]*")));
    // An older build's store (dates as numbers): its listings are made again
    // by the next harvest, so its tables are simply replaced; but only when
    // every table is one of ours.
    QStringList tables;
    if (hasTables) {
        if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                       "name NOT LIKE 'sqlite_%'")))
            raise(QStringLiteral("read"), query.lastError().text());
        while (query.next())
            tables << query.value(0).toString();
        static const QRegularExpression created(
            QStringLiteral("CREATE TABLE IF NOT EXISTS (\\w+)"));
        QStringList ours;
        for (auto it = created.globalMatch(script); it.hasNext();)
            ours << it.next().captured(1);
        for (const QString &table : std::as_const(tables)) {
            if (!ours.contains(table))
                throw HostError(Err::StoreUnusable,
                                QStringLiteral("%1 is not a documentation store (it has a "
                                               "table %2); name another file")
                                    .arg(m_path, table));
        }
    }
    beginWrite();
    for (const QString &table : std::as_const(tables)) {
        if (!query.exec(QStringLiteral("DROP TABLE ") + quoted(table)))
            raise(QStringLiteral("rebuild"), query.lastError().text());
    }
    for (const QString &statement : script.split(u';', Qt::SkipEmptyParts)) {
        if (statement.trimmed().isEmpty())
            continue;
        if (!query.exec(statement))
            raise(QStringLiteral("create tables"), query.lastError().text());
    }
    commit();
}

void Store::beginWrite()
{
    if (m_inTransaction)
        return;
    if (!m_db.transaction())
        raise(QStringLiteral("begin a transaction"), m_db.lastError().text());
    m_inTransaction = true;
}

void Store::commit()
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    if (!m_db.commit())
        raise(QStringLiteral("commit"), m_db.lastError().text());
}

bool Store::allowReadersWhileWriting()
{
    if (m_readersWhileWriting)
        return true;
    QSqlQuery query(m_db);
    m_readersWhileWriting =
        query.exec(QStringLiteral("PRAGMA journal_mode=WAL")) && query.next() &&
        query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    return m_readersWhileWriting;
}

QList<Recordset::Column> Store::columnsOf(const QString &table)
{
    QList<Recordset::Column> columns;
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table))))
        raise(QStringLiteral("read the table %1").arg(table), query.lastError().text());
    while (query.next()) {
        const QString declared = query.value(2).toString().toUpper();
        Recordset::ColumnType type = Recordset::ColumnType::Untyped;
        if (declared == QLatin1String("SMALLINT"))
            type = Recordset::ColumnType::SmallInt;
        else if (declared == QLatin1String("INTEGER"))
            type = Recordset::ColumnType::Integer;
        else if (declared == QLatin1String("REAL"))
            type = Recordset::ColumnType::Double;
        else if (declared == QLatin1String("BOOLEAN"))
            type = Recordset::ColumnType::Boolean;
        else if (declared == QLatin1String("DATETIME"))
            type = Recordset::ColumnType::DateTime;
        else if (declared == QLatin1String("TEXT"))
            type = Recordset::ColumnType::Text;
        QVariant defaultValue;
        const QString dflt = query.value(4).toString();
        if (dflt.startsWith(u'\'') && dflt.endsWith(u'\'') && dflt.size() >= 2)
            defaultValue =
                dflt.mid(1, dflt.size() - 2).replace(QLatin1String("''"), QLatin1String("'"));
        columns.append({query.value(1).toString(), type, defaultValue});
    }
    if (columns.isEmpty())
        throw HostError(Err::ObjectNotFound,
                        QStringLiteral("The documentation store %1 has no table %2; move the "
                                       "store away and a complete one is created")
                            .arg(m_path, table));
    return columns;
}

Recordset &Store::OpenRecordset(const QString &table, int /*type*/)
{
    auto recordset = std::make_unique<Recordset>(*this, table, columnsOf(table));
    Recordset &result = *recordset;
    m_recordsets[table] = std::move(recordset); // replaces an earlier one on the same table
    return result;
}

void Store::Execute(const QString &sql)
{
    static const QRegularExpression deleteAll(
        QStringLiteral("^\\s*delete\\s+\\*\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = deleteAll.match(sql);
    if (!match.hasMatch())
        throw HostError(
            Err::InvalidSqlStatement,
            QStringLiteral("Invalid SQL statement for the documentation store: %1").arg(sql));
    const QString table = match.captured(1);
    columnsOf(table); // a missing table raises 3011 by name
    beginWrite();
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("DELETE FROM %1").arg(quoted(table))))
        raise(QStringLiteral("empty %1").arg(table), query.lastError().text());
}

void Store::raise(const QString &what, const QString &driverText) const
{
    const QString description =
        QStringLiteral("The documentation store %1 could not %2. (SQLite: %3)")
            .arg(m_path, what, driverText);
    const QString lower = driverText.toLower();
    if (lower.contains(QLatin1String("locked")) || lower.contains(QLatin1String("busy")))
        throw HostError(Err::FileInUse, description);
    if (lower.contains(QLatin1String("readonly")) || lower.contains(QLatin1String("read-only")) ||
        lower.contains(QLatin1String("unable to open")) || lower.contains(QLatin1String("disk")))
        throw HostError(Err::PathFileAccess, description);
    throw HostError(Err::StoreUnusable, description);
}
