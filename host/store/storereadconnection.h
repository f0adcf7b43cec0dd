#pragma once

// A read-only connection of its own on the documentation store, as a report
// instance reads it; removed again when destroyed. Belongs to the thread that
// made it.

#include <QSqlDatabase>
#include <QString>

class StoreReadConnection
{
public:
    // A store file that is not there raises 3024; one that cannot be opened 31003.
    explicit StoreReadConnection(const QString &storePath);
    ~StoreReadConnection();
    StoreReadConnection(const StoreReadConnection &) = delete;
    StoreReadConnection &operator=(const StoreReadConnection &) = delete;

    // From here on the connection sees the store as it is now, whatever the
    // writer commits later (a store that lets readers run beside its writer).
    // Raises 31003 when the store cannot be read.
    void holdSnapshot();

    QSqlDatabase &db() { return m_db; }

private:
    QString m_name;
    QSqlDatabase m_db;
    bool m_holdsSnapshot = false;
};
