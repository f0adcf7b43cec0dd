#pragma once

// Store is the documentation store: an SQLite file the program keeps beside
// itself ("Analize.mdb"), reached through the program's own engine. A new or
// empty file gets its tables from the one schema; an existing file is used as
// it is. Every command that writes runs in one transaction, begun on the
// first write and committed by commit() at the command's end and in its
// error trap, so rows written before an error stay and a long run costs one
// sync. Opening raises 31003 for a file that is not a store, 75 for a folder
// or file that cannot be written, 3196 when another process holds it.

#include "host/store/recordset.h"

#include <QSqlDatabase>
#include <QString>
#include <map>
#include <memory>

class Store
{
public:
    // DBEngine.Workspaces(0).OpenDatabase(path): shared, read-write.
    static std::unique_ptr<Store> open(const QString &path);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    const QString &path() const { return m_path; }

    // OpenRecordset(table, 2): a dynaset on a store table. A table the store
    // lacks raises 3011. The recordset lives as long as the store.
    Recordset &OpenRecordset(const QString &table, int type = 2);
    // Accepts the designed statements "delete * from T;"; anything else
    // raises 3129.
    void Execute(const QString &sql);

    // Commits the open transaction, if any. Raises 31003 when the commit fails.
    void commit();

    // Lets connections of this process read a snapshot of the store while
    // this one writes (SQLite's write-ahead log), until the store is closed,
    // which puts the file back as it was: one file, no log beside it. False
    // where the file system cannot hold the log; nothing is changed then.
    // Only between commands: not inside an open transaction.
    bool allowReadersWhileWriting();

    // Called by recordsets before each write.
    void beginWrite();
    QSqlDatabase &connection() { return m_db; }
    QList<Recordset::Column> columnsOf(const QString &table);
    [[noreturn]] void raise(const QString &what, const QString &driverText) const;

private:
    Store(QString path, QString connectionName);
    void createSchemaIfNew();

    QString m_path;
    QString m_connectionName;
    QSqlDatabase m_db;
    bool m_inTransaction = false;
    bool m_readersWhileWriting = false;
    std::map<QString, std::unique_ptr<Recordset>> m_recordsets;
};
