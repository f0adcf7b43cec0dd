#include "shell/maincontroller.h"

#include "about/aboutbox.h"
#include "capture/captimedialog.h"
#include "capture/captureclipboard.h"
#include "capture/capturesequence.h"
#include "export/exportcommands.h"
#include "export/exportrows.h"
#include "harvest/formcontrols.h"
#include "harvest/objectlist.h"
#include "harvest/queryfields.h"
#include "harvest/reportcontrols.h"
#include "harvest/tablefields.h"
#include "host/command/listings.h"
#include "host/query/queryengine.h"
#include "modules/modulescan.h"
#include "shell/compactpanel.h"
#include "shell/designfolder.h"
#include "shell/exportsettings.h"
#include "shell/helpviewer.h"
#include "shell/hints.h"
#include "shell/mainwindow.h"
#include "shell/openobject.h"
#include "shell/panels.h"
#include "shell/parameterprompt.h"
#include "shell/recentfiles.h"
#include "shell/startup.h"
#include "shell/targetselection.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>

MainController::MainController(MainWindow &window, MainState &state, Ui &ui, Platform &platform)
    : QObject(&window)
    , m_window(window)
    , m_state(state)
    , m_ui(ui)
    , m_platform(platform)
    , m_clipboard(std::make_unique<DesktopCaptureClipboard>())
    , m_capture(new CaptureSequence(state, ui, *m_clipboard, this))
{
    // DoCmd's exports: the writers (delimited text in the code page of the
    // setting at each export), the query engine and a prompt per parameter.
    m_state.exportServices.write = makeFileExporter([] {
        ExportOptions options;
        options.codePage = delimitedCodePage();
        return options;
    });
    m_state.exportServices.runQuery = runSavedQuery;
    m_state.exportServices.runSql = runSqlText;
    m_state.exportServices.prompt = dialogParameterPrompt(&m_window);
    connectButtons();
    connectMenus();
    installHints();
    connect(&window, &MainWindow::fileDropped, this, &MainController::selectFile);
    // The shut-down ends the program whatever else of it is open (help,
    // previews, the target's window).
    connect(&window, &MainWindow::closing, this, [this] {
        shutDown(m_state, m_ui, m_platform);
        QCoreApplication::quit();
    });
}

MainController::~MainController() = default;

void MainController::connectButtons()
{
    auto onClick = [this](Ctl id, auto handler) {
        auto *button = qobject_cast<QAbstractButton *>(m_window.control(id));
        connect(button, &QAbstractButton::clicked, this, handler);
    };
    onClick(Ctl::cmdExport, [this] { cmdExport_Click(m_state, m_ui); });
    onClick(Ctl::cmdKaiseki, [this] { cmdKaiseki_Click(m_state, m_ui, m_platform); });
    onClick(Ctl::cmdCompact, [this] { cmdCompact_Click(m_state, m_ui); });
    onClick(Ctl::cmdModosu, [this] { cmdModosu_Click(m_state, m_ui); });
    onClick(Ctl::cmdOpen, [this] { cmdOpen_Click(m_state, m_ui); });
    onClick(Ctl::chkVisible, [this] { chkVisible_Click(m_state, m_ui); });
    onClick(Ctl::cmdObject, [this] { cmdObject_Click(m_state, m_ui); });
    onClick(Ctl::cmdTableF, [this] { cmdTableF_Click(m_state, m_ui); });
    onClick(Ctl::cmdQueryF, [this] { cmdQueryF_Click(m_state, m_ui); });
    onClick(Ctl::cmdFormC, [this] { cmdFormC_Click(m_state, m_ui); });
    onClick(Ctl::cmdReportC, [this] { cmdReportC_Click(m_state, m_ui); });
    onClick(Ctl::cmdModuleL, [this] { cmdModuleL_Click(m_state, m_ui); });
    onClick(Ctl::cmdModF, [this] { cmdModF_Click(m_state, m_ui); });
    onClick(Ctl::cmdModR, [this] { cmdModR_Click(m_state, m_ui); });
    onClick(Ctl::cmdModM, [this] { cmdModM_Click(m_state, m_ui); });
    for (int i = 0; i <= 4; ++i)
        onClick(OptMode(i), [this, i] { OptMode_Click(m_state, m_ui, i); });
    for (int i = 0; i <= 8; ++i)
        onClick(optPrint(i), [this, i] { optPrint_Click(m_state, m_ui, i); });
    onClick(Ctl::cmdCapture, [this] { m_capture->cmdCapture_Click(); });
    auto *compact = new CompactPanel(m_state, this);
    onClick(Ctl::cmdSaveRTF, [this] { cmdSaveRTF_Click(m_state, m_ui); });
    onClick(Ctl::cmdSaveCSV, [this] { cmdSaveCSV_Click(m_state, m_ui); });
    onClick(Ctl::cmdSaveExcel, [this] { cmdSaveExcel_Click(m_state, m_ui); });
    onClick(Ctl::cmdComFile, [this] { cmdComFile_Click(m_ui); });
    onClick(Ctl::cmdComExec, [this, compact] { cmdComExec_Click(m_ui, *compact); });
}

void MainController::connectMenus()
{
    QMenuBar *bar = m_window.menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("SelectFile"), this, [this] { selectFile(QString()); })
        ->setObjectName(QStringLiteral("m1a"));
    file->addAction(QStringLiteral("Setup"), this,
                    [this] {
                        auto *dialog = new CapTimeDialog(m_state, m_ui, &m_window);
                        dialog->setWindowFlag(Qt::Window);
                        dialog->show();
                    })
        ->setObjectName(QStringLiteral("m1b"));
    file->addAction(QStringLiteral("Quit"), this, [this] { m_window.close(); })
        ->setObjectName(QStringLiteral("m1z"));
    // Below the designed items: the recent targets, then where form and
    // report designs are read.
    file->addSeparator();
    m_recentEnd = file->addSeparator();
    file->addAction(QStringLiteral("デザインのフォルダ..."), this,
                    [this] { chooseDesignFolder(m_ui, &m_window); });
    file->addAction(QStringLiteral("テキスト出力の文字コード..."), this,
                    [this] { chooseDelimitedCodePage(m_ui, &m_window); });
    connect(file, &QMenu::aboutToShow, this, [this, file] { listRecentTargets(file); });
    listRecentTargets(file);
    bar->addAction(QStringLiteral("ScreenSaver"), this, [this] { m2_Click(); })
        ->setObjectName(QStringLiteral("m2"));
    bar->addAction(QStringLiteral("help"), this, [this] { m3_Click(); })
        ->setObjectName(QStringLiteral("m3"));
    bar->addAction(QStringLiteral("About..."), this,
                   [this] {
                       static SystemVolumePlatform volumes;
                       static LogoAnimation animation; // goes on where the last box stopped
                       auto *box =
                           new AboutBox(m_ui.text(Ctl::lblDBName), volumes, animation, &m_window);
                       box->show();
                   })
        ->setObjectName(QStringLiteral("m4"));
}

void MainController::selectFile(const QString &path)
{
    if (path.isEmpty())
        m1a_Click(m_state, m_ui);
    else
        selectTargetFile(m_state, m_ui, path);
    if (m_state.target && m_state.target->hasCurrentDatabase() && !m_state.targetPath.isEmpty())
        rememberTarget(m_state.targetPath);
}

void MainController::listRecentTargets(QMenu *file)
{
    for (QAction *action : file->actions()) {
        if (action->property("recentTarget").isValid()) {
            file->removeAction(action);
            action->deleteLater();
        }
    }
    int number = 0;
    for (const QString &path : recentTargets()) {
        const QString caption = QStringLiteral("&%1 %2").arg(++number).arg(
            QDir::toNativeSeparators(path).replace(u'&', QLatin1String("&&")));
        auto *action = new QAction(caption, file);
        action->setProperty("recentTarget", path);
        connect(action, &QAction::triggered, this, [this, path] { selectFile(path); });
        file->insertAction(m_recentEnd, action);
    }
}

void MainController::m2_Click()
{
    // The desktop's own screen-saver settings, where one of the known tools is there.
    static const char *const tools[][2] = {
        {"xscreensaver-settings", ""},        {"xscreensaver-demo", ""},
        {"gnome-control-center", "privacy"},  {"cinnamon-settings", "screensaver"},
        {"mate-screensaver-preferences", ""}, {"xfce4-screensaver-preferences", ""}};
    for (const auto &tool : tools) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool[0]));
        if (program.isEmpty())
            continue;
        QStringList arguments;
        if (*tool[1])
            arguments << QString::fromLatin1(tool[1]);
        if (QProcess::startDetached(program, arguments))
            return;
    }
    m_ui.setText(Ctl::txtMesege,
                 QStringLiteral("この環境にはスクリーンセーバーの設定画面がありません"));
}

void MainController::m3_Click()
{
    showHelp(m_state.programFolder + QStringLiteral("Quillmark.hlp"));
}

void MainController::installHints()
{
    m_window.centralWidget()->setMouseTracking(true);
    m_window.centralWidget()->installEventFilter(this);
    // Every control, since a disabled one passes its moves to what it lies on.
    for (QWidget *w : m_window.centralWidget()->findChildren<QWidget *>()) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

bool MainController::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (event->type() != QEvent::MouseMove || !widget)
        return QObject::eventFilter(watched, event);
    // A disabled control gets no moves: the enabled one it lies on does.
    QWidget *receiver = widget;
    while (receiver && !receiver->isEnabled())
        receiver = receiver->parentWidget();
    // A move the control under the pointer ignored reaches its parents too;
    // only the widget directly under the pointer gives its hint.
    QWidget *under = widget->childAt(static_cast<QMouseEvent *>(event)->position().toPoint());
    while (under && under != widget && !under->isEnabled())
        under = under->parentWidget();
    if (receiver && (!under || under == widget)) {
        const QString name =
            receiver == m_window.centralWidget() ? m_window.objectName() : receiver->objectName();
        if (const std::optional<QString> hint = hintFor(name))
            m_ui.setText(Ctl::txtMesege, *hint);
    }
    return QObject::eventFilter(watched, event);
}
