#pragma once

// Every index entry's key against its row: for each real index whose key
// columns the key encoder (host/jet/write/jetindexkey.h) covers, the key of
// the row each leaf entry points at is encoded as Access encodes it and
// compared with the key the entry holds. A row whose key column was changed
// while its entry kept the old key shows here. Keys the encoder is not
// certain of are skipped and counted.

#include <QString>
#include <QStringList>

class PageAccount;

struct IndexKeyFindings
{
    QStringList damage;         // one per index: the first row whose key differs, and how many do
    QString checked;            // how many indexes and keys were compared and skipped
    QStringList skippedIndexes; // "table 'X': index N: why its keys are not compared"
};

IndexKeyFindings checkIndexKeys(const PageAccount &account);
