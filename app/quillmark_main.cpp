// quillmark: the desktop program. One main window; its start-up may end the
// program at once (the environment question), and both ways out run the
// same shut-down.

#include "app/wiring.h"
#include "host/command/mainstate.h"
#include "host/reports/storereports.h"
#include "host/views/accesswindow.h"
#include "host/views/reportpreview.h"
#include "shell/designfolder.h"
#include "shell/maincontroller.h"
#include "shell/mainwindow.h"
#include "shell/platform.h"
#include "shell/startup.h"
#include "shell/translations.h"
#include "shell/uifont.h"
#include "shell/widgetui.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillmark")); // where settings are kept
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    installQtJapanese(app); // without them, Qt's dialogs stay in English
    QApplication::setFont(japaneseUiFont());

    DesktopPlatform platform(qEnvironmentVariable("QUILLMARK_PROGRAM_FOLDER"));
    MainState state;
    wireJetHost(state, JetOptions());
    wireDesigns(state, DesignOptions{savedDesignFolder, QString()});
    registerStoreReports();

    PreviewReportOutput previews;
    state.reportOutput = &previews;
    AccessWindow targetWindow; // the target instance's window, hidden until made visible
    state.targetView = &targetWindow;
    targetWindow.setModuleOpener(state.moduleScan.opener);

    MainWindow window;
    WidgetUi ui(window);
    if (!Form_Load(state, ui, platform))
        return 0;
    MainController controller(window, state, ui, platform);
    window.show();
    return app.exec();
}
