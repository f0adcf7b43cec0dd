// quillmark-screenshots FOLDER DATABASE: photographs the desktop program's
// main window on the real display (Xvfb in scripts/screenshots.sh), with
// DATABASE selected as the target: collapsed and with each panel shown;
// then the preview of the first form's and first report's control listing.
// The same window, commands and wiring as the program; only the file
// dialog and message boxes are answered without a user.

#include "app/wiring.h"
#include "harvest/formcontrols.h"
#include "harvest/reportcontrols.h"
#include "host/command/mainstate.h"
#include "host/reports/storereports.h"
#include "host/views/reportpreview.h"
#include "shell/mainwindow.h"
#include "shell/panels.h"
#include "shell/platform.h"
#include "shell/startup.h"
#include "shell/targetselection.h"
#include "shell/translations.h"
#include "shell/uifont.h"
#include "shell/widgetui.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

class UnattendedUi : public WidgetUi
{
public:
    UnattendedUi(MainWindow &window, QString target)
        : WidgetUi(window)
        , m_target(std::move(target))
    {
    }
    QString OpenFileDlg(const QString &, const QString &) override { return m_target; }
    MsgAnswer messageBox(const QString &, MsgButtons, MsgIcon,
                         const std::optional<QString> &) override
    {
        return MsgAnswer::Yes;
    }

private:
    QString m_target;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: quillmark-screenshots FOLDER DATABASE\n";
        return 2;
    }
    installQtJapanese(app);
    QApplication::setFont(japaneseUiFont());
    // Absolute now: the start-up makes the program folder current.
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QTemporaryDir programFolder;
    DesktopPlatform platform(programFolder.path() + u'/');
    MainState state;
    PreviewReportOutput previews;
    state.reportOutput = &previews;
    registerStoreReports();
    wireJetHost(state, JetOptions());
    wireDesigns(state, DesignOptions());

    MainWindow window;
    UnattendedUi ui(window, QDir(QString::fromLocal8Bit(argv[2])).absolutePath());
    if (!Form_Load(state, ui, platform))
        return 1;
    window.show();
    m1a_Click(state, ui);

    auto photograph = [&](const QString &name, const QString &status) {
        ui.setText(Ctl::txtMesege, status);
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        const QString path = folder + u'/' + name + QStringLiteral(".png");
        if (!window.grab().save(path)) {
            err << "cannot write " << path << '\n';
            return false;
        }
        return true;
    };
    bool written = photograph(QStringLiteral("main-window"), QStringLiteral("ｵﾌﾞｼﾞｪｸﾄを選択"));
    cmdExport_Click(state, ui);
    written &= photograph(QStringLiteral("main-window-export"), QStringLiteral("CSV形式 出力"));
    cmdKaiseki_Click(state, ui, platform);
    written &= photograph(QStringLiteral("main-window-analize"), QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ 一覧"));
    cmdCompact_Click(state, ui);
    written &=
        photograph(QStringLiteral("main-window-compact"), QStringLiteral("修復・最適化 機能"));

    // A control listing's first page, as the preview shows it.
    auto preview = [&](const QString &name, int kind, Ctl picker,
                       void (*command)(MainState &, Ui &)) {
        ui.setValue(OptMode(kind), 1);
        ui.setListIndex(picker, 0);
        command(state, ui);
        ReportPreviewWindow *shown = previews.lastWindow();
        if (!shown) {
            err << name << ": no preview opened: " << ui.text(Ctl::txtMesege) << '\n';
            return false;
        }
        shown->finishLayout();
        shown->showNormal();
        shown->resize(900, 1100);
        for (int i = 0; i < 5; ++i)
            QApplication::processEvents();
        const QString path = folder + u'/' + name + QStringLiteral(".png");
        const bool saved = shown->grab().save(path);
        shown->close();
        return saved;
    };
    cmdKaiseki_Click(state, ui, platform);
    written &= preview(QStringLiteral("form-control-preview"), 2, Ctl::cboForms, cmdFormC_Click);
    written &=
        preview(QStringLiteral("report-control-preview"), 3, Ctl::cboReports, cmdReportC_Click);
    return written ? 0 : 1;
}
