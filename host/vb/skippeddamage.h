#pragma once

// Damage a reader stepped over instead of raising 3049: a page of a table
// that is not where its map says, a row that cannot be read. Every such
// skip is noted here, so that the command that ran into it can tell the
// user what is missing from the listing; nothing is dropped silently.
// Process-wide, since readers run below the command that reports.

#include <QStringList>

// Notes one skip, in words that name the database, the table and the page
// or row. The same text is noted once; after 1,000 texts only a count grows.
void noteSkippedDamage(const QString &text);

// The texts noted since the last call, and then none.
QStringList takeSkippedDamage();
