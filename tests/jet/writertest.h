#pragma once

// Helpers shared by the writer tests: building descriptions, writing them
// and finding what was written.

#include "host/jet/jetsource.h"
#include "host/jet/write/jetwriter.h"
#include "host/objects/dao.h"

#include <QTemporaryDir>

JetWriterColumn column(const QString &name, int type, int size = 0);

// Writes db into dir and returns the file's path.
QString writeDatabase(const QTemporaryDir &dir, const JetWriterDatabase &db,
                      const QString &name = QStringLiteral("w.mdb"));

const TableDef *tableNamed(const QList<TableDef> &tables, const QString &name);

// Every row of a table, in stored order.
QList<QList<Value>> readAll(JetSource &source, const QString &table);
