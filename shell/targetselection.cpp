#include "shell/targetselection.h"

#include "harvest/vocabulary.h"
#include "host/command/command.h"
#include "host/command/listings.h"
#include "host/vb/errors.h"
#include "host/vb/vb.h"

#include <QDir>

namespace {

// One picker fill: progress text, window disabled, list rebuilt from the
// names that pass, state 2 when none did, else the first entry selected.
void fillPicker(MainState &state, Ui &ui, Ctl picker, const QString &progress, Listing listing,
                const std::function<void(const std::function<void(const QString &)> &)> &walk)
{
    showProgress(ui, progress);
    ui.setWindowEnabled(false);
    ui.clearList(picker);
    state.objectCounter = 0;
    walk([&](const QString &name) {
        vb::increment(state.objectCounter);
        ui.addItem(picker, name);
    });
    if (state.objectCounter == 0)
        state.listingState(listing) = ListingNoObjects;
    else
        ui.setListIndex(picker, 0);
    ui.setWindowEnabled(true);
}

void fillFromContainer(MainState &state, Ui &ui, Ctl picker, const QString &progress,
                       Listing listing, const QString &container)
{
    fillPicker(state, ui, picker, progress, listing, [&](const auto &add) {
        for (const Document &document : state.targetDatabase().Containers(container).Documents)
            add(document.Name);
    });
}

} // namespace

QString targetDialogFilter()
{
    return QStringLiteral("Access(*.mdb)") + QChar(0) + QStringLiteral("*.mdb") + QChar(0);
}

void FillTablePicker(MainState &state, Ui &ui)
{
    fillPicker(state, ui, Ctl::cboTables, QStringLiteral("ﾃｰﾌﾞﾙ名　取得中"), Listing::TableFields,
               [&](const auto &add) {
                   for (const TableDef &table : state.targetDatabase().TableDefs()) {
                       if (vb::Left(table.Name, 4) != QLatin1String("MSys"))
                           add(table.Name);
                   }
               });
}

void FillQueryPicker(MainState &state, Ui &ui)
{
    fillPicker(state, ui, Ctl::cboQuerys, QStringLiteral("ｸｴﾘ-名　取得中"), Listing::QueryFields,
               [&](const auto &add) {
                   for (const QueryDef &query : state.targetDatabase().QueryDefs()) {
                       if (QueryTypeName(QString::number(query.Type)) != QLatin1String("System"))
                           add(query.Name);
                   }
               });
}

void FillFormPicker(MainState &state, Ui &ui)
{
    fillFromContainer(state, ui, Ctl::cboForms, QStringLiteral("ﾌｫｰﾑ名　取得中"),
                      Listing::FormControls, QStringLiteral("Forms"));
}

void FillReportPicker(MainState &state, Ui &ui)
{
    fillFromContainer(state, ui, Ctl::cboReports, QStringLiteral("ﾚﾎﾟｰﾄ名　取得中"),
                      Listing::ReportControls, QStringLiteral("Reports"));
}

void FillModulePicker(MainState &state, Ui &ui)
{
    fillFromContainer(state, ui, Ctl::cboModule, QStringLiteral("ﾓｼﾞｭｰﾙ名　取得中"),
                      Listing::ModuleList, QStringLiteral("Modules"));
}

namespace {

// The previous target closed and a new, hidden instance made.
Application &renewTarget(MainState &state)
{
    if (!state.targetPath.isEmpty() && state.target) {
        state.target->CloseCurrentDatabase();
        state.target.reset();
    }
    return state.newTargetInstance();
}

// The steps after the file is chosen: the target opened, the pickers filled
// and the commands enabled.
void openChosenTarget(MainState &state, Ui &ui, Application &target, const QString &path)
{
    state.targetPath = path;
    ui.setText(Ctl::lblDBName, path);
    if (path.isEmpty())
        return; // cancelled: not an error

    // A file that cannot be opened is said so (the designed silent end left
    // the user guessing); everything else stays as it was.
    const bool opened = runCommand(
        state, ui, QStringLiteral("SelectFile"), [&] { target.OpenCurrentDatabase(path, false); },
        TrapRestores::Nothing);
    if (!opened)
        return;

    // This build never writes the target file: the startup form is switched
    // off in the opened database object only.
    try {
        Properties &properties = target.CurrentDb().mutableProperties();
        if (properties.find(u"StartupForm"))
            properties.setValue(u"StartupForm", QStringLiteral("(表示しない)"));
    } catch (const HostError &) {
    }

    runCommand(state, ui, QStringLiteral("SelectFile"), [&] {
        ui.setMousePointer(PointerHourglass);
        state.listingStates.fill(ListingNotProduced);
        FillTablePicker(state, ui);
        FillQueryPicker(state, ui);
        FillFormPicker(state, ui);
        FillReportPicker(state, ui);
        FillModulePicker(state, ui);
        ui.setMousePointer(PointerDefault);
        ui.setText(Ctl::txtMesege, QString());

        for (Ctl on : {Ctl::cmdOpen, Ctl::cmdExport, Ctl::cmdKaiseki, Ctl::cmdCompact})
            ui.setEnabled(on, true);
        ui.setEnabled(Ctl::cmdCapture,
                      state.listingState(Listing::FormControls) != ListingNoObjects);
        ui.setEnabled(Ctl::cmdModosu, false);
        for (Ctl on : {Ctl::cmdTableF, Ctl::cmdQueryF, Ctl::cmdFormC, Ctl::cmdModF, Ctl::cmdReportC,
                       Ctl::cmdModR, Ctl::cmdModuleL, Ctl::cmdModM, Ctl::chkVisible})
            ui.setEnabled(on, true);
        ui.setValue(Ctl::chkCom, 1);
        ui.setValue(Ctl::chkRep, 1);
    });
}

} // namespace

void m1a_Click(MainState &state, Ui &ui)
{
    Application &target = renewTarget(state);
    openChosenTarget(state, ui, target, ui.OpenFileDlg(targetDialogFilter(), QDir::currentPath()));
}

void selectTargetFile(MainState &state, Ui &ui, const QString &path)
{
    Application &target = renewTarget(state);
    openChosenTarget(state, ui, target, path);
}
