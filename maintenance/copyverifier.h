#pragma once

// Checks a copy against its source by reading both independently of the
// compactor: through our reader (the DAO side: schema, properties, queries,
// containers and their documents; then every row of every table, system
// tables included, value by value with long values read whole) and through
// libmdb directly (every row of every table of its catalog: memos as its
// tools bind them, OLE values read whole, every other value as the bytes
// libmdb finds for it). Source and copy are walked side by side, nothing is
// kept; the three comparisons run on threads of their own. The compactor's
// page account is not used.

#include <QString>

// The first difference found, empty when the copy reads as the source.
QString differenceBetween(const QString &source, const QString &copy);

class PageAccount;

// differenceBetween, and beside it the copy's index entries against the
// source's (indexcomparison.h), the copy's pages accounted for anew.
QString compactedCopyDifference(const PageAccount &source, const QString &copy);
