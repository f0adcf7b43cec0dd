#include "jet/writertest.h"

JetWriterColumn column(const QString &name, int type, int size)
{
    JetWriterColumn c;
    c.name = name;
    c.type = type;
    c.size = size;
    return c;
}

QString writeDatabase(const QTemporaryDir &dir, const JetWriterDatabase &db, const QString &name)
{
    const QString path = dir.filePath(name);
    writeJetDatabase(db, path);
    return path;
}

const TableDef *tableNamed(const QList<TableDef> &tables, const QString &name)
{
    for (const TableDef &t : tables)
        if (t.Name == name)
            return &t;
    return nullptr;
}

QList<QList<Value>> readAll(JetSource &source, const QString &table)
{
    JetTableReader rows = source.readTable(table);
    QList<QList<Value>> read;
    while (rows.next())
        read.append(rows.row());
    return read;
}
