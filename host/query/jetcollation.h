#pragma once

// The collation "JET" that text columns and text expressions are compared,
// sorted, grouped and made distinct with: case-insensitive as Jet's text
// comparison is ("abc" = "ABC"), ties broken by nothing, so equal texts in
// different case fall into one group.

#include <QStringView>

struct sqlite3;

void registerJetCollation(sqlite3 *db);
// The comparison itself: < 0, 0, > 0.
int compareJetText(QStringView a, QStringView b);
