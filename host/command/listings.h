#pragma once

// The listings of the documentation store: which store tables, report and
// preview button belong to each, the common store pattern every harvester
// follows, the finishing steps, and the preview buttons optPrint(0..8).

#include "host/command/mainstate.h"
#include "host/command/ui.h"

#include <QList>
#include <QString>
#include <QStringList>

// One preview button: the listing it shows, the state value at which its
// report is ready, the report, and the message when it is not ready.
struct PreviewButton
{
    Listing listing;
    qint16 readyWhen;
    const char *report;
    const char *notReadyMessage;
};
// Indexed by the optPrint index 0..8.
const PreviewButton &previewButton(int index);

// The store pattern, steps 1-3: open the store (replacing the previous
// connection) and a dynaset on each table, in the given order.
QList<Recordset *> openListingTables(MainState &state, const QStringList &tables);
// Step 4: "delete * from T;" for each table, in the given order.
void clearListingTables(MainState &state, const QStringList &tables);

// The start of every harvest, after its listing-state test: the store
// pattern's opening steps (steps 1-3), the hourglass and disabled window,
// the tables emptied, and the target's window hidden when the user had
// shown it. Returns the recordsets in the order of `tables`.
QList<Recordset *> beginHarvest(MainState &state, Ui &ui, const QStringList &tables);
// A progress text in the status line, repainted at once.
void showProgress(Ui &ui, const QString &text);

// The end of a harvester run: "終了しました", default pointer, window
// enabled, the listing's state set, its preview button enabled and its
// report launched.
void finishListing(MainState &state, Ui &ui, int previewIndex, qint16 stateValue = ListingProduced);

// The report launcher: commits the store, starts a new report instance on
// the store and shows the named report in preview. An unknown report raises
// 2103; a store that cannot be read raises as Store does. No trap of its own.
void launchReport(MainState &state, const QString &reportName);

// optPrint_Click(Index): previews the listing's report when it is ready,
// otherwise shows its message in txtMesege and in a message box. An index
// outside 0..8 does nothing. The trap reports a failing launch.
void optPrint_Click(MainState &state, Ui &ui, int index);
