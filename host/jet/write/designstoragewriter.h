#pragma once

// The storages in which an Access 2000-format file keeps its form and
// report designs, inside the compound file of MSysAccessObjects (beside
// the VBA project): Forms and Reports, each with a "\x03DirData" object
// directory (4 zero bytes, then per object u8 0x04, u8 n, n bytes: the
// name in UTF-16LE and a u32 storage number) and one numbered storage per
// object holding its design stream as Blob. Not written: TypeInfo,
// PropData and BlobDelta, which our reader does not need.

#include "host/jet/write/cfbwriter.h"
#include "host/jet/write/jetwriter.h"

#include <QList>

// The directory's bytes for these names, numbered 0, 1, ... in order.
QByteArray designDirectory(const QStringList &names);

// The streams for the forms and reports among `documents` that carry a
// design; none when no document does.
QList<CompoundStream> designStorageStreams(const QList<JetWriterDocument> &documents);
