#pragma once

// An index checker for Jet 3 / Jet 4 files, written from the public format
// descriptions and sharing no code with the writer: for each real index of
// a table it walks the tree from the root through node pages to the
// leaves, undoing the shared-prefix compression, and checks the order of
// the entries, the leaf and node chains, the tail pointers, the node
// entries, the row pointers, the keys (computed here from the row bytes for
// the column types it knows, Text under the General sort order), the entry
// count and the index usage map.

#include <QList>
#include <QString>
#include <QStringList>

class JetFile;

struct IndexWalk
{
    int realIndex = 0;
    QStringList names;  // logical indexes using it
    QList<int> columns; // column numbers, key order
    QList<bool> descending;
    int flags = 0; // 0x01 unique, 0x02 ignore nulls, 0x08 required
    quint32 root = 0;
    int depth = 0; // 1 for a single leaf
    int leafPages = 0, nodePages = 0;
    int entries = 0;
    int liveRows = 0; // of the table
    int distinctKeys = 0;
    quint32 tdefKeyCount = 0; // the count the TDEF keeps per real index
    bool keysChecked = false; // every key of the index recomputed
    bool textKey = false;     // a Text column among the keys
    int keysCompared = 0;     // entries whose key was recomputed and compared
    int keysSkipped = 0;      // entries holding a value the walker cannot encode
    QList<QByteArray> keys;   // of the entries, in tree order
    QStringList faults;
};

// Walks every real index of the table whose TDEF is on tdefPage. Damage the
// walker cannot read past is reported as a fault, never thrown.
QList<IndexWalk> walkIndexes(const JetFile &file, quint32 tdefPage);

// The TDEF page of a local table, from the catalog; 0 when there is none.
quint32 tableDefinitionPage(const QString &path, const QString &table);
// Every real index of a local table of the file at path.
QList<IndexWalk> walkTableIndexes(const QString &path, const QString &table);
