#pragma once

// Whether a database file is in use, as Access would refuse it: the target
// open in the main window (3356), a lock file beside it (.ldb, .laccdb) that
// another process holds locked (3196), or a lock another process holds on
// the file itself (3356). A lock file nobody holds is stale and ignored.

#include <QString>

// Raises 3356 or 3196 when `path` is in use; `openTarget` is the file the
// main window has open (empty for none).
void ensureNotInUse(const QString &path, const QString &openTarget);

// The lock file Access keeps beside a database: name.ldb, name.laccdb.
QString lockFilePath(const QString &path);
