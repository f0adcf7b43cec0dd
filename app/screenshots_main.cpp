// quillmark-screenshots FOLDER DATABASE [CORPUS_DB EXPORTS CODEPAGE FORM]:
// photographs the desktop program's main window on the real display (Xvfb
// in scripts/screenshots.sh), with DATABASE selected as the target:
// collapsed and with each panel shown; the preview of the first form's and
// first report's control listing; a capture of the order form taken end
// to end (the form shown in the target's window, the screen taken after
// the delay, the capture window); the about box; and, given a corpus
// database with its exports, one of its forms as the form view draws it.
// The same window, commands and wiring as the program; only the file
// dialog and message boxes are answered without a user.

#include "about/aboutbox.h"
#include "app/wiring.h"
#include "capture/captureclipboard.h"
#include "capture/capturesequence.h"
#include "capture/capturewindow.h"
#include "harvest/formcontrols.h"
#include "harvest/reportcontrols.h"
#include "host/command/mainstate.h"
#include "host/query/queryengine.h"
#include "host/reports/storereports.h"
#include "host/vb/errors.h"
#include "host/views/accesswindow.h"
#include "host/views/render/formrenderer.h"
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
#include <QElapsedTimer>
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
    MsgAnswer messageBox(const QString &text, MsgButtons buttons, MsgIcon,
                         const std::optional<QString> &) override
    {
        QTextStream(stderr) << "message: " << text << '\n';
        return buttons == MsgButtons::RetryCancel ? MsgAnswer::Cancel : MsgAnswer::Yes;
    }

private:
    QString m_target;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3 && argc != 7) {
        err << "usage: quillmark-screenshots FOLDER DATABASE [CORPUS_DB EXPORTS CODEPAGE FORM]\n";
        return 2;
    }
    installQtJapanese(app);
    QApplication::setFont(japaneseUiFont());
    // Absolute now: the start-up makes the program folder current.
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QStringList corpusForm; // database, exports, code page, form
    for (int i = 3; i < argc; ++i)
        corpusForm << (i < 5 ? QDir(QString::fromLocal8Bit(argv[i])).absolutePath()
                             : QString::fromLocal8Bit(argv[i]));
    QTemporaryDir programFolder;
    DesktopPlatform platform(programFolder.path() + u'/');
    MainState state;
    PreviewReportOutput previews;
    state.reportOutput = &previews;
    registerStoreReports();
    wireJetHost(state, JetOptions());
    wireDesigns(state, DesignOptions());
    state.exportServices.runQuery = runSavedQuery;
    state.exportServices.runSql = runSqlText;
    AccessWindow targetWindow;
    state.targetView = &targetWindow;

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

    // The capture, through the command and its timer as the button runs it.
    auto settle = [](int milliseconds) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < milliseconds)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    DesktopCaptureClipboard clipboard;
    CaptureSequence capture(state, ui, clipboard);
    for (int i = 0; i < 5; ++i)
        ui.setValue(OptMode(i), i == 2 ? 1 : 0);
    for (int i = 0; i < 3; ++i)
        ui.setValue(OptView(i), i == 0 ? 1 : 0);
    const int orderForm = int(ui.items(Ctl::cboForms).indexOf(QStringLiteral("受注入力")));
    ui.setListIndex(Ctl::cboForms, std::max(0, orderForm));
    state.captureDelay = 1500;
    capture.cmdCapture_Click();
    QElapsedTimer waited;
    waited.start();
    while (capture.timer1().isActive() && waited.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (CaptureWindow *shown = capture.captureWindow(); shown && !shown->image().isNull()) {
        written &= shown->image().save(folder + QStringLiteral("/form-capture.png"));
        shown->hide();
    } else {
        err << "the capture took no image: " << ui.text(Ctl::txtMesege) << '\n';
        written = false;
    }

    LogoAnimation animation;
    AboutBox about(ui.text(Ctl::lblDBName), SystemVolumePlatform(), animation);
    about.show();
    settle(300);
    written &= about.grab().save(folder + QStringLiteral("/about-box.png"));
    about.close();

    if (argc == 7) {
        MainState corpus;
        wireJetHost(corpus, JetOptions());
        const QString exports = QDir(QString::fromLocal8Bit(argv[4])).absolutePath();
        wireDesigns(corpus,
                    DesignOptions{[exports] { return exports; }, QString::fromLocal8Bit(argv[5])});
        try {
            Application &target = corpus.newTargetInstance();
            target.OpenCurrentDatabase(corpusForm[0]);
            const QString name = corpusForm[3];
            target.OpenForm(name, AcView::Normal, -1);
            auto data = targetFormData(target);
            written &= renderForm(target.Forms(name), *data, FormViewMode::Normal)
                           .save(folder + QStringLiteral("/corpus-form.png"));
        } catch (const HostError &error) {
            err << "corpus form: " << error.description() << '\n';
            written = false;
        }
    }
    return written ? 0 : 1;
}
