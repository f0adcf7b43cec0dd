#pragma once

// Reading store rows for reports: a query that raises 31003 naming the
// table when the store cannot answer, and the display text of stored values.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

// Runs `sql` on the store; a failure raises 31003 with the driver's words.
QSqlQuery storeQuery(QSqlDatabase &store, const QString &sql);
// A stored value as the report shows it: Null as blank, Booleans (-1/0)
// as "はい"/"いいえ" when `boolean`, numbers as VB shows them.
QString displayText(const QVariant &value, bool boolean = false);
// A stored OLE date as VB shows it; blank for Null.
QString dateText(const QVariant &value);
