#pragma once

// The index entries of a copy against its source's: for every real index of
// every table, the same keys in the same order, each pointing at the same
// row, a row being known by its place in the table (its live rows in page
// order). Compaction moves rows and pages, so row pointers differ; what
// they point at must not.

#include <QString>

class PageAccount;

// The first difference, empty when every index of the copy holds what the
// source's holds. A copy whose pages do not add up differs.
QString indexDifference(const PageAccount &source, const PageAccount &copy);
