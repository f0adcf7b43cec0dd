#pragma once

// Gives back the space of deleted rows before pages are renumbered. The live
// rows of a table's data pages are packed, in their old order, into the
// first of those pages; the pages left empty are released. Because the rows
// keep their order, every index entry keeps its place and only its row
// pointer changes. Pages holding a row that something other than an index
// points at (the target of an overflow row, flagged deleted) are left
// whole, and so are the pages around them: rows do not move past them. A
// table whose index pages could not take the new pointers with certainty is
// left as it was.

#include "maintenance/pageaccount.h"

struct RowPackingFigures
{
    qint64 deletedRowsDropped = 0;
    quint32 dataPagesReleased = 0;
};

// Rewrites the account as if its file had been written with its rows packed:
// the data and index pages, the sites inside moved rows, the index entries,
// the tables' data page lists and the roles of released pages.
RowPackingFigures packRows(PageAccount &account);
