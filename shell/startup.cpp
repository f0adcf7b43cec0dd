#include "shell/startup.h"

#include "host/vb/errors.h"

bool Form_Load(MainState &state, Ui &ui, Platform &platform)
{
    state.programFolder = platform.programFolder();
    state.storePath = state.programFolder + QStringLiteral("Analize.mdb");

    if (WindowsVersionName(platform.versionRecord()) == QLatin1String("ERROR")) {
        const MsgAnswer answer =
            ui.messageBox(QStringLiteral("この環境での動作保証はできませんが使用しますか？"),
                          MsgButtons::YesNo, MsgIcon::Warning, QStringLiteral("動作Windows確認"));
        if (answer == MsgAnswer::No) {
            ui.messageBox(QStringLiteral("終了します"), MsgButtons::Ok, MsgIcon::Information,
                          QStringLiteral("終了報告"));
            return false;
        }
    }

    platform.setCurrentDirectory(state.programFolder);

    ui.setEnabled(Ctl::cmdOpen, false);
    ui.setEnabled(Ctl::cmdExport, false);
    ui.setEnabled(Ctl::cmdKaiseki, false);
    ui.setEnabled(Ctl::cmdCompact, true);
    ui.setEnabled(Ctl::cmdCapture, false);
    ui.setEnabled(Ctl::cmdModosu, false);
    ui.setEnabled(Ctl::chkVisible, false);
    ui.setValue(OptMode(0), 1);
    ui.setValue(OptView(0), 1);
    state.visibilityFlag = 0;
    for (int i = 0; i <= 8; ++i)
        ui.setEnabled(optPrint(i), false);
    ui.setWindowHeight(3485);
    ui.setText(Ctl::txtMesege, QString());
    state.exportPanelFlag = 0;
    state.captureDelay = 5000;
    return true;
}

void shutDown(MainState &state, Ui &ui, Platform &platform)
{
    ui.messageBox(QStringLiteral("終了します。"), MsgButtons::Ok, MsgIcon::None,
                  QStringLiteral("Quillmark 0.31"));
    try {
        if (state.target)
            state.target->CloseCurrentDatabase();
    } catch (const HostError &) {
    }
    state.target.reset();
    try {
        state.commitStore();
    } catch (const HostError &) {
    }
    state.store.reset();
    platform.setScreenSaverActive(true);
}
