#pragma once

// Compaction of a Jet 3 / Jet 4 file. The rows of each table are packed
// first (rowpacker.h), which releases the pages deleted rows took up. Pages
// 0-2 and every table definition page keep their numbers (a table's id is its definition page,
// stored in places nobody can rewrite with certainty); every other live page
// moves down, in its old order, into the lowest free number, and every
// reference the page account recorded is rewritten. Free, released and dead
// pages are dropped. A reference that cannot be rewritten with certainty (an
// index page whose shared prefix would break, a map whose bitmap would no
// longer reach its pages) keeps the pages it names where they are.
// The rows' bytes, long values and Access's own bytes stay exactly as they were.

#include "maintenance/pageaccount.h"

#include <QString>

struct CompactionFigures
{
    quint32 pagesBefore = 0;
    quint32 pagesAfter = 0;
    quint32 pagesDropped = 0;     // free, released or dead pages left out
    quint32 pagesKeptInPlace = 0; // pages other than 0-2 and definitions that could not move
    qint64 deletedRowsDropped = 0;
    qint64 bytesBefore = 0;
    qint64 bytesAfter = 0;
};

// Writes the compacted copy of the accounted file to `destination`, which
// must not exist; the copy is not yet verified. Raises 31004 when the
// account has problems (nothing is written), 61 when the copy cannot be
// written in full (the part written is removed), 3204 when the destination
// exists.
CompactionFigures writeCompactedCopy(const PageAccount &account, const QString &destination);

// The compacted pages (page 0 first), encrypted as the file is; for tests
// and the integrity check's repair.
QList<QByteArray> compactedPages(const PageAccount &account, CompactionFigures *figures = nullptr);

// Writes pages to a new file at `path` (never over an existing one) and
// syncs it; raises 3204 when it exists, 61 when a write fails (the part
// written is removed).
void writeNewFile(const QString &path, const QList<QByteArray> &pages);
