#include "host/command/listings.h"

#include "host/command/command.h"
#include "host/reports/reportoutput.h"
#include "host/reports/reportregistry.h"
#include "host/store/storereadconnection.h"
#include "host/vb/errors.h"

namespace {

const PreviewButton previewButtons[] = {
    {Listing::Objects, 1, "R_Object", "Object Listを実行して下さい"},
    {Listing::TableFields, 1, "R_Table", "Table Fieldを実行して下さい"},
    {Listing::QueryFields, 1, "R_Query", "Query Fieldを実行して下さい"},
    {Listing::FormControls, 1, "R_Form", "Form Controlを実行して下さい"},
    {Listing::ReportControls, 1, "R_Report", "Report Controlを実行して下さい"},
    {Listing::ModuleList, 1, "R_Module", "Module Listを実行して下さい"},
    {Listing::Source, 1, "R_ProcList", "Form Moduleを実行して下さい"},
    {Listing::Source, 2, "R_ProcList", "Report Moduleを実行して下さい"},
    {Listing::Source, 3, "R_ProcList", "VBA Moduleを実行して下さい"},
};

} // namespace

const PreviewButton &previewButton(int index)
{
    return previewButtons[index];
}

QList<Recordset *> openListingTables(MainState &state, const QStringList &tables)
{
    Store &store = state.openStore();
    QList<Recordset *> recordsets;
    for (const QString &table : tables)
        recordsets.append(&store.OpenRecordset(table, 2));
    return recordsets;
}

void clearListingTables(MainState &state, const QStringList &tables)
{
    for (const QString &table : tables)
        state.store->Execute(QStringLiteral("delete * from ") + table + QLatin1Char(';'));
}

QList<Recordset *> beginHarvest(MainState &state, Ui &ui, const QStringList &tables)
{
    const QList<Recordset *> recordsets = openListingTables(state, tables);
    setBusy(ui, true);
    clearListingTables(state, tables);
    if (state.visibilityFlag) {
        ui.setValue(Ctl::chkVisible, 0);
        if (state.target)
            state.target->setVisible(ui.value(Ctl::chkVisible) != 0);
    }
    return recordsets;
}

void showProgress(Ui &ui, const QString &text)
{
    ui.setText(Ctl::txtMesege, text);
    ui.processEvents();
}

void finishListing(MainState &state, Ui &ui, int previewIndex, qint16 stateValue)
{
    ui.setText(Ctl::txtMesege, QStringLiteral("終了しました"));
    setBusy(ui, false);
    state.listingState(previewButton(previewIndex).listing) = stateValue;
    ui.setEnabled(optPrint(previewIndex), true);
    launchReport(state, QString::fromLatin1(previewButton(previewIndex).report));
}

void launchReport(MainState &state, const QString &reportName)
{
    state.commitStore(); // the report instance reads through its own connection
    std::unique_ptr<StoreReport> report = createReport(reportName);
    ++state.reportLaunches;
    StoreReadConnection connection(state.storePath);
    if (state.reportOutput)
        state.reportOutput->show(reportName, *report, connection.db());
}

void optPrint_Click(MainState &state, Ui &ui, int index)
{
    if (index < 0 || index > 8)
        return;
    const PreviewButton &button = previewButton(index);
    if (state.listingState(button.listing) == button.readyWhen) {
        // The launcher has no trap of its own; the preview button reports for it.
        runCommand(
            state, ui, QStringLiteral("Preview"),
            [&] { launchReport(state, QString::fromLatin1(button.report)); },
            TrapRestores::Nothing);
        return;
    }
    const QString message = QString::fromUtf8(button.notReadyMessage);
    ui.setText(Ctl::txtMesege, message);
    ui.messageBox(message, MsgButtons::Ok, MsgIcon::None);
}
