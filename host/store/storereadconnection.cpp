#include "host/store/storereadconnection.h"

#include "host/vb/errors.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QAtomicInt connectionSerial;

} // namespace

StoreReadConnection::StoreReadConnection(const QString &storePath)
    : m_name(QStringLiteral("quillmark-report-%1").arg(connectionSerial.fetchAndAddRelaxed(1)))
{
    if (!QFileInfo::exists(storePath))
        throw HostError(Err::DaoFileNotFound,
                        QStringLiteral("The documentation store %1 does not exist").arg(storePath));
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    m_db.setDatabaseName(storePath);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=3000"));
    if (!m_db.open()) {
        const QString why = m_db.lastError().text();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
        throw HostError(
            Err::StoreUnusable,
            QStringLiteral("The documentation store %1 cannot be opened: %2").arg(storePath, why));
    }
}

StoreReadConnection::~StoreReadConnection()
{
    if (m_holdsSnapshot)
        m_db.rollback();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

void StoreReadConnection::holdSnapshot()
{
    // A read transaction takes its snapshot at its first read.
    QSqlQuery query(m_db);
    if (!m_db.transaction() || !query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master")) ||
        !query.next())
        throw HostError(Err::StoreUnusable,
                        QStringLiteral("The documentation store %1 cannot be read: %2")
                            .arg(m_db.databaseName(), m_db.lastError().text()));
    m_holdsSnapshot = true;
}
