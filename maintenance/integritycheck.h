#pragma once

// The integrity check of a Jet 3 / Jet 4 file: header, catalog, table
// definitions, page ownership, usage maps, long-value chains, overflow rows
// and index pages (through the page account), the free-page map against the
// pages in use, and every index's entries against its table's rows: their
// count, order and rows, and (indexkeycheck) the key each entry holds.
//
// Repaired with certainty: a free-page map that marks pages in use as free
// (their bits are cleared; nothing else changes). Everything else found is
// reported, not repaired.

#include <QString>
#include <QStringList>

class PageAccount;

struct IntegrityReport
{
    QStringList checked;    // what was looked at, for the command line
    QStringList damage;     // what is wrong: page, table, what
    QStringList repairable; // the part of `damage` a repair mends
};

IntegrityReport checkIntegrity(const PageAccount &account);

// The file's pages with the free-page map mended (page 1 encrypted as the
// file is); empty when there is nothing to mend.
QList<QByteArray> pagesWithMendedFreeMap(const PageAccount &account);
