#pragma once

// A temporary SQLite store with one listing table, and a StoreReport over it
// that writes a group per value of `grp`, for the report framework's tests.

#include "host/reports/reportwriter.h"
#include "host/reports/storereport.h"
#include "host/vb/errors.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>
#include <QVariant>

class TestStore
{
public:
    TestStore()
        : m_connection(QStringLiteral("reports-test-%1").arg(QUuid::createUuid().toString()))
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
            db.setDatabaseName(m_dir.filePath(QStringLiteral("store.sqlite")));
            db.open();
        }
        exec(QStringLiteral("CREATE TABLE T_DataBase (DbNo SMALLINT, DbName TEXT)"));
        exec(QStringLiteral("INSERT INTO T_DataBase VALUES (1, '販売管理.mdb')"));
        exec(QStringLiteral("CREATE TABLE T_Rows (grp TEXT, name TEXT, kind TEXT, note TEXT)"));
    }
    ~TestStore()
    {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }

    QSqlDatabase db() const { return QSqlDatabase::database(m_connection, false); }
    const QTemporaryDir &dir() const { return m_dir; }

    void exec(const QString &sql)
    {
        QSqlQuery query(db());
        if (!query.exec(sql))
            throw HostError(Err::StoreUnusable, query.lastError().text());
    }
    void addRow(const QString &group, const QString &name, const QString &kind, const QString &note)
    {
        QSqlQuery query(db());
        query.prepare(QStringLiteral("INSERT INTO T_Rows VALUES (?, ?, ?, ?)"));
        for (const QString &value : {group, name, kind, note})
            query.addBindValue(value);
        query.exec();
    }
    void addRows(const QString &group, int count)
    {
        db().transaction();
        for (int i = 0; i < count; ++i)
            addRow(group, QStringLiteral("項目%1").arg(i), QStringLiteral("ﾃｷｽﾄ"),
                   QStringLiteral("説明　%1").arg(i));
        db().commit();
    }

private:
    QTemporaryDir m_dir;
    QString m_connection;
};

// Writes T_Rows: a group per `grp` with its row count as a fact, then a
// table of name/kind/note. With failAfter >= 0 it raises after that many
// rows, like a store that breaks mid-report.
class ListReport : public StoreReport
{
public:
    explicit ListReport(int failAfter = -1)
        : m_failAfter(failAfter)
    {
    }
    QString title() const override { return QStringLiteral("テスト一覧"); }
    void write(QSqlDatabase &store, ReportWriter &out) const override
    {
        QSqlQuery query(store);
        if (!query.exec(QStringLiteral("SELECT grp, name, kind, note FROM T_Rows ORDER BY rowid")))
            throw HostError(Err::StoreUnusable, query.lastError().text());
        QString current;
        int written = 0;
        bool first = true;
        while (query.next()) {
            const QString group = query.value(0).toString();
            if (first || group != current) {
                out.group(group, {{QStringLiteral("種類"), QStringLiteral("ﾃｰﾌﾞﾙ")}});
                out.columns({{QStringLiteral("名前"), 2, Qt::AlignLeft, false},
                             {QStringLiteral("型"), 1, Qt::AlignLeft, true},
                             {QStringLiteral("説明"), 3, Qt::AlignLeft, false}});
                current = group;
                first = false;
            }
            if (written++ == m_failAfter)
                throw HostError(Err::StoreUnusable, QStringLiteral("store went away"));
            out.row(
                {query.value(1).toString(), query.value(2).toString(), query.value(3).toString()});
        }
    }

private:
    int m_failAfter;
};
