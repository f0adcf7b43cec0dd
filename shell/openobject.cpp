#include "shell/openobject.h"

#include "host/command/command.h"
#include "host/vb/errors.h"

namespace {

Application &targetInstance(MainState &state)
{
    if (!state.target)
        throw HostError(Err::ObjectNotSet,
                        QStringLiteral("Object variable not set: no target instance"));
    return *state.target;
}

} // namespace

void cmdOpen_Click(MainState &state, Ui &ui)
{
    runCommand(state, ui, QStringLiteral("Open"), [&] {
        const AcView view = AcView(std::max(0, selectedIndex(ui, OptView, 3)));
        const int dataMode = ui.value(Ctl::chkRO) == 1 ? 2 : 1;
        static const Ctl pickers[] = {Ctl::cboTables, Ctl::cboQuerys, Ctl::cboForms,
                                      Ctl::cboReports, Ctl::cboModule};
        const int kind = selectedIndex(ui, OptMode, 5);
        if (kind < 0)
            return;
        const QString name = ui.text(pickers[kind]);
        Application &target = targetInstance(state);
        switch (kind) {
        case 0:
            target.OpenTable(name, view, dataMode);
            break;
        case 1:
            target.OpenQuery(name, view, dataMode);
            break;
        case 2:
            target.OpenForm(name, view, -1);
            break;
        case 3:
            target.OpenReport(name, view);
            break;
        case 4:
            target.OpenModule(name);
            break;
        }
        target.Maximize();
    });
}

void chkVisible_Click(MainState &state, Ui &ui)
{
    const int ticked = ui.value(Ctl::chkVisible);
    try {
        targetInstance(state).setVisible(ticked == 1);
        state.visibilityFlag = 1;
    } catch (const HostError &error) {
        if (error.number() == Err::ObjectNotSet || error.number() == Err::InvalidPropertyValue) {
            ui.setValue(Ctl::chkVisible, ticked == 1 ? 0 : 1);
            return;
        }
        showStandardError(ui, QStringLiteral("Visible"), error);
        setBusy(ui, false);
    }
}
