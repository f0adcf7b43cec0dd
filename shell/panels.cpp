#include "shell/panels.h"

namespace {

void showPanel(Ui &ui, Ctl shown)
{
    for (Ctl frame : {Ctl::framExport, Ctl::framKaiseki, Ctl::framCompact})
        ui.setVisible(frame, frame == shown);
}

bool hasTargetPath(const MainState &state)
{
    return !state.targetPath.isEmpty();
}

} // namespace

void cmdExport_Click(MainState &state, Ui &ui)
{
    ui.setWindowHeight(ExportHeight);
    showPanel(ui, Ctl::framExport);
    ui.setEnabled(Ctl::cmdCompact, true);
    ui.setEnabled(Ctl::cmdExport, false);
    ui.setEnabled(Ctl::cmdKaiseki, true);
    ui.setEnabled(Ctl::cmdModosu, true);
    state.exportPanelFlag = 1;
}

void cmdKaiseki_Click(MainState &state, Ui &ui, Platform &platform)
{
    ui.setValue(Ctl::chkVisible, 0);
    if (state.target)
        state.target->setVisible(ui.value(Ctl::chkVisible) != 0);
    ui.setWindowHeight(AnalizeHeight);
    ui.setEnabled(Ctl::chkVisible, false);
    showPanel(ui, Ctl::framKaiseki);
    ui.setEnabled(Ctl::cmdCompact, true);
    ui.setEnabled(Ctl::cmdExport, true);
    ui.setEnabled(Ctl::cmdKaiseki, false);
    ui.setEnabled(Ctl::cmdModosu, true);

    auto none = [&](Listing listing) { return state.listingState(listing) == ListingNoObjects; };
    if (none(Listing::TableFields))
        ui.setEnabled(Ctl::cmdTableF, false);
    if (none(Listing::QueryFields))
        ui.setEnabled(Ctl::cmdQueryF, false);
    if (none(Listing::FormControls)) {
        ui.setEnabled(Ctl::cmdFormC, false);
        ui.setEnabled(Ctl::cmdModF, false);
    }
    if (none(Listing::ReportControls)) {
        ui.setEnabled(Ctl::cmdReportC, false);
        ui.setEnabled(Ctl::cmdModR, false);
    }
    if (none(Listing::ModuleList)) {
        ui.setEnabled(Ctl::cmdModM, false);
        if (none(Listing::FormControls) && none(Listing::ReportControls))
            ui.setEnabled(Ctl::cmdModuleL, false);
    }
    state.exportPanelFlag = 0;
    platform.setScreenSaverActive(false);
}

void cmdCompact_Click(MainState &state, Ui &ui)
{
    ui.setWindowHeight(CompactHeight);
    showPanel(ui, Ctl::framCompact);
    ui.setEnabled(Ctl::cmdCompact, false);
    if (hasTargetPath(state)) {
        ui.setEnabled(Ctl::cmdExport, true);
        ui.setEnabled(Ctl::cmdKaiseki, true);
    }
    ui.setEnabled(Ctl::cmdModosu, true);
    state.exportPanelFlag = 0;
}

void cmdModosu_Click(MainState &state, Ui &ui)
{
    ui.setWindowHeight(CollapsedHeight); // the panels stay as they are, below the edge
    if (hasTargetPath(state)) {
        ui.setEnabled(Ctl::cmdExport, true);
        ui.setEnabled(Ctl::cmdKaiseki, true);
    }
    ui.setEnabled(Ctl::cmdCompact, true);
    ui.setEnabled(Ctl::cmdModosu, false);
    ui.setEnabled(Ctl::chkVisible, true);
    state.exportPanelFlag = 0;
}

void HidePickers(Ui &ui)
{
    for (Ctl picker :
         {Ctl::cboTables, Ctl::cboQuerys, Ctl::cboForms, Ctl::cboReports, Ctl::cboModule})
        ui.setVisible(picker, false);
}

void OptMode_Click(MainState &state, Ui &ui, int index)
{
    auto enableSaves = [&](bool enabled) {
        for (Ctl save : {Ctl::cmdSaveCSV, Ctl::cmdSaveExcel, Ctl::cmdSaveRTF})
            ui.setEnabled(save, enabled);
    };
    switch (index) {
    case 0:
    case 1:
        HidePickers(ui);
        ui.setVisible(index == 0 ? Ctl::cboTables : Ctl::cboQuerys, true);
        ui.setVisible(Ctl::chkRO, true);
        enableSaves(true);
        break;
    case 2:
    case 3:
        if (state.exportPanelFlag) {
            const QString message = QStringLiteral("Form､Reportは選択出来ません");
            ui.setText(Ctl::txtMesege, message);
            ui.messageBox(message, MsgButtons::Ok, MsgIcon::None);
            enableSaves(false);
        } else {
            HidePickers(ui);
            ui.setVisible(index == 2 ? Ctl::cboForms : Ctl::cboReports, true);
            ui.setVisible(Ctl::chkRO, false);
        }
        break;
    case 4:
        HidePickers(ui);
        ui.setVisible(Ctl::cboModule, true);
        ui.setVisible(Ctl::chkRO, false);
        break;
    default:
        break;
    }
}
