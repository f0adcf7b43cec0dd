#pragma once

// Source and copy read through libmdb alone, independently of our reader:
// every table of its catalog, both files walked side by side with nothing
// kept. Memo columns are bound, so libmdb reads their long values as its
// tools do; OLE columns are bound for their reference and read whole. Every
// other value is compared as the bytes libmdb located for it on its page:
// its text form is made from exactly these bytes, and making it for every
// value was most of the time a verification took.

#include "host/jet/mdb.h"

#include <QString>
#include <memory>

struct MdbCloser
{
    void operator()(MdbHandle *h) const { mdb_close(h); }
};

using LibmdbHandle = std::unique_ptr<MdbHandle, MdbCloser>;

// The file opened with its table catalog read; null when libmdb cannot.
LibmdbHandle openThroughLibmdb(const QString &path);

// The first difference libmdb sees, empty when it reads both the same.
QString differenceThroughLibmdb(MdbHandle *source, MdbHandle *copy);
