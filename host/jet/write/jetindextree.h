#pragma once

// The pages of an index tree as Access lays them out: leaf pages filled in
// key order and chained by previous and next, node pages above them whose
// entries are each child's greatest entry and page, the last child being
// the node's tail page. It needs only sorted keys and page numbers, not the
// writer's file, so that an index can be rebuilt from rows elsewhere.

#include <QByteArray>
#include <QList>
#include <functional>

struct JetIndexTreeEntry
{
    QByteArray key;      // jetindexkey.h
    quint32 pointer = 0; // the row's data pointer: page << 8 | row
};

struct JetIndexTreePage
{
    quint32 number = 0;
    QByteArray bytes;
};

struct JetIndexTree
{
    QList<JetIndexTreePage> pages; // leaves first, then each node level
    quint32 root = 0;
};

// Lays out the tree of `sorted` (by key, then pointer) for the table whose
// definition lies on page `owner`; `allocate` gives each new page its
// number. Raises 3000 naming `where` when a key does not fit a page.
JetIndexTree jetIndexTree(bool jet3, int pageSize, quint32 owner,
                          const QList<JetIndexTreeEntry> &sorted,
                          const std::function<quint32()> &allocate, const QString &where);
