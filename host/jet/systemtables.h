#pragma once

// What the readers of Access's own system tables (the VBA project, the
// stored designs) share: opening a table the file may lack, the loose
// typing of their values, and the compound file Access 2000 cuts into the
// rows of MSysAccessObjects.

#include "host/jet/jetsource.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The rows of a system table, or nothing when the file lacks it; other
// errors are raised.
std::optional<JetTableReader> readSystemTable(JetSource &source, const QString &name);

// An Integer or Long as a number; -1 for anything else (Null included).
qint64 integerOf(const Value &v);
// A binary value's bytes; empty for anything else.
QByteArray binaryOf(const Value &v);

// The compound file held in MSysAccessObjects: the rows (columns `id` and
// `data`) placed by ID, gaps zero-filled, row 0 declaring the length. That
// length can fall short of sectors the rows do hold (jet4/codelib.mdb,
// jet4/isv.mdb), so the rows' extent wins then. Empty when no row holds
// data.
QByteArray assembleAccessObjects(JetTableReader &table, int id, int data);
