#include "shell/mainwindow.h"

#include "shell/designframe.h"
#include "shell/elidedlabel.h"
#include "shell/uifont.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>

namespace {

enum class Kind { Label, Check, Frame, Option, Combo, Status, Button };

struct Placement
{
    Ctl id;
    Kind kind;
    const char *caption;
    int container; // -1: the window; otherwise the Ctl of the frame (as int)
    int left, top, width, height;
};

// Frames that are not commands' targets get ids of their own here.
constexpr int Frame1 = 1000, Frame2 = 1001;

const Placement placements[] = {
    {Ctl::lblDBName, Kind::Label, "", -1, 840, 120, 3765, 285},
    {Ctl::chkVisible, Kind::Check, "Visible", -1, 4680, 60, 1065, 330},
    {Ctl::OptView0, Kind::Option, "acNormal", Frame2, 120, 240, 1275, 330},
    {Ctl::OptView1, Kind::Option, "acDesign", Frame2, 120, 600, 1275, 330},
    {Ctl::OptView2, Kind::Option, "acPreview", Frame2, 120, 960, 1275, 330},
    {Ctl::OptMode0, Kind::Option, "Table", Frame1, 180, 180, 1095, 315},
    {Ctl::OptMode1, Kind::Option, "Query", Frame1, 180, 480, 1095, 315},
    {Ctl::OptMode2, Kind::Option, "Form", Frame1, 180, 780, 1095, 315},
    {Ctl::OptMode3, Kind::Option, "Report", Frame1, 180, 1080, 1095, 315},
    {Ctl::OptMode4, Kind::Option, "Module", Frame1, 180, 1380, 1095, 315},
    {Ctl::cboTables, Kind::Combo, "", Frame1, 3060, 300, 2325, 300},
    {Ctl::cboQuerys, Kind::Combo, "", Frame1, 3060, 300, 2325, 300},
    {Ctl::cboForms, Kind::Combo, "", Frame1, 3060, 300, 2325, 300},
    {Ctl::cboReports, Kind::Combo, "", Frame1, 3060, 300, 2325, 300},
    {Ctl::cboModule, Kind::Combo, "", Frame1, 3060, 300, 2325, 300},
    {Ctl::chkRO, Kind::Check, "acReadOnly", Frame1, 3060, 660, 1275, 225},
    {Ctl::txtMesege, Kind::Status, "", Frame1, 3060, 960, 2295, 270},
    {Ctl::cmdOpen, Kind::Button, "Open", Frame1, 3060, 1260, 2325, 345},
    {Ctl::cmdExport, Kind::Button, "Export", -1, 60, 2280, 1035, 435},
    {Ctl::cmdKaiseki, Kind::Button, "Analize", -1, 1140, 2280, 1035, 435},
    {Ctl::cmdCompact, Kind::Button, "Compact", -1, 2220, 2280, 1035, 435},
    {Ctl::cmdCapture, Kind::Button, "Capture", -1, 3300, 2280, 1035, 435},
    {Ctl::cmdModosu, Kind::Button, "Return", -1, 4560, 2280, 1035, 435},
    {Ctl::framExport, Kind::Frame, "Export", -1, 60, 2760, 5535, 1155},
    {Ctl::chkUseField, Kind::Check, "Use Field Name", int(Ctl::framExport), 180, 300, 1695, 225},
    {Ctl::chkExcel, Kind::Check, "Execute Excel", int(Ctl::framExport), 2040, 300, 1590, 225},
    {Ctl::chkWord, Kind::Check, "Execute Word", int(Ctl::framExport), 3840, 300, 1485, 225},
    {Ctl::cmdSaveCSV, Kind::Button, "Save Text", int(Ctl::framExport), 180, 660, 1275, 330},
    {Ctl::cmdSaveExcel, Kind::Button, "Save Excel", int(Ctl::framExport), 2040, 660, 1275, 330},
    {Ctl::cmdSaveRTF, Kind::Button, "Save Word", int(Ctl::framExport), 3840, 660, 1275, 330},
    {Ctl::framKaiseki, Kind::Frame, "Analize", -1, 60, 2760, 5535, 1455},
    {Ctl::cmdObject, Kind::Button, "Object List", int(Ctl::framKaiseki), 120, 300, 1335, 315},
    {Ctl::cmdQueryF, Kind::Button, "Query Field", int(Ctl::framKaiseki), 1920, 300, 1335, 315},
    {Ctl::cmdReportC, Kind::Button, "Report Control", int(Ctl::framKaiseki), 3720, 300, 1335, 315},
    {Ctl::cmdTableF, Kind::Button, "Table Field", int(Ctl::framKaiseki), 120, 660, 1335, 315},
    {Ctl::cmdFormC, Kind::Button, "Form Control", int(Ctl::framKaiseki), 1920, 660, 1335, 315},
    {Ctl::cmdModuleL, Kind::Button, "Module List", int(Ctl::framKaiseki), 3720, 660, 1335, 315},
    {Ctl::cmdModF, Kind::Button, "Form Source", int(Ctl::framKaiseki), 120, 1020, 1335, 315},
    {Ctl::cmdModR, Kind::Button, "Report Source", int(Ctl::framKaiseki), 1920, 1020, 1335, 315},
    {Ctl::cmdModM, Kind::Button, "Module Source", int(Ctl::framKaiseki), 3720, 1020, 1335, 315},
    {Ctl::optPrint0, Kind::Button, "P", int(Ctl::framKaiseki), 1440, 300, 255, 315},
    {Ctl::optPrint1, Kind::Button, "P", int(Ctl::framKaiseki), 1440, 660, 255, 315},
    {Ctl::optPrint2, Kind::Button, "P", int(Ctl::framKaiseki), 3240, 300, 255, 315},
    {Ctl::optPrint3, Kind::Button, "P", int(Ctl::framKaiseki), 3240, 660, 255, 315},
    {Ctl::optPrint4, Kind::Button, "P", int(Ctl::framKaiseki), 5040, 300, 255, 315},
    {Ctl::optPrint5, Kind::Button, "P", int(Ctl::framKaiseki), 5040, 660, 255, 315},
    {Ctl::optPrint6, Kind::Button, "P", int(Ctl::framKaiseki), 1440, 1020, 255, 315},
    {Ctl::optPrint7, Kind::Button, "P", int(Ctl::framKaiseki), 3240, 1020, 255, 315},
    {Ctl::optPrint8, Kind::Button, "P", int(Ctl::framKaiseki), 5040, 1020, 255, 315},
    {Ctl::framCompact, Kind::Frame, "Compact", -1, 60, 2760, 5535, 1155},
    {Ctl::cmdComFile, Kind::Button, "Select File", int(Ctl::framCompact), 120, 240, 975, 315},
    {Ctl::lblComFile, Kind::Label, "", int(Ctl::framCompact), 1140, 300, 4335, 255},
    {Ctl::chkRep, Kind::Check, "Repair", int(Ctl::framCompact), 180, 720, 915, 255},
    {Ctl::chkCom, Kind::Check, "Compact", int(Ctl::framCompact), 1260, 720, 1095, 255},
    {Ctl::cmdComExec, Kind::Button, "Execute", int(Ctl::framCompact), 3720, 660, 1635, 315},
};

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmQuillmark"));
    setWindowTitle(QStringLiteral("Quillmark Ver0.31"));
    if (const QScreen *s = screen())
        m_scale = std::max(1.0, s->logicalDotsPerInch() / 96.0);
    setFont(japaneseUiFont());
    setAcceptDrops(true);
    build();
}

int MainWindow::twipsToPixels(int twips) const
{
    return int(twips / 15.0 * m_scale + 0.5);
}

void MainWindow::build()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);
    auto rect = [this](int l, int t, int w, int h) {
        return QRect(twipsToPixels(l), twipsToPixels(t), twipsToPixels(w), twipsToPixels(h));
    };

    auto *label1 = new QLabel(QStringLiteral("MDB File"), client);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setGeometry(rect(0, 120, 735, 225));
    auto *frame1 = new DesignFrame(QStringLiteral("Object"), client);
    frame1->setObjectName(QStringLiteral("Frame1"));
    frame1->setGeometry(rect(60, 420, 5565, 1755));
    auto *frame2 = new DesignFrame(QStringLiteral("mode"), frame1);
    frame2->setObjectName(QStringLiteral("Frame2"));
    frame2->setGeometry(rect(1380, 240, 1515, 1395));

    for (const Placement &p : placements) {
        QWidget *parent = client;
        if (p.container == Frame1)
            parent = frame1;
        else if (p.container == Frame2)
            parent = frame2;
        else if (p.container >= 0)
            parent = m_controls[size_t(p.container)];
        const QString caption = QString::fromUtf8(p.caption);
        QWidget *w = nullptr;
        switch (p.kind) {
        case Kind::Label:
            w = new ElidedLabel(caption, parent);
            break;
        case Kind::Check:
            w = new QCheckBox(caption, parent);
            break;
        case Kind::Frame:
            w = new DesignFrame(caption, parent);
            break;
        case Kind::Option:
            w = new QRadioButton(caption, parent);
            break;
        case Kind::Combo:
            w = new QComboBox(parent);
            break;
        case Kind::Status: {
            auto *status = new QLineEdit(parent);
            status->setReadOnly(true);
            status->setStyleSheet(QStringLiteral("background-color: rgb(224, 224, 224);"));
            w = status;
            break;
        }
        case Kind::Button:
            w = new QPushButton(caption, parent);
            break;
        }
        w->setObjectName(QString::fromLatin1(controlName(p.id)));
        // chkVisible's designed width runs 60 twips past the window's edge.
        const QRect clientArea = rect(0, 0, 5685, 2790);
        QRect geometry = rect(p.left, p.top, p.width, p.height);
        if (parent == client)
            geometry.setRight(std::min(geometry.right(), clientArea.right()));
        w->setGeometry(geometry);
        m_controls[size_t(p.id)] = w;
    }
    // The five pickers lie one over the other; only the table picker shows at first.
    for (Ctl picker : {Ctl::cboQuerys, Ctl::cboForms, Ctl::cboReports, Ctl::cboModule})
        control(picker)->hide();
    setFixedWidth(twipsToPixels(5685));
    setHeightTwips(3485);
}

void MainWindow::setHeightTwips(int twips)
{
    // The designed heights include the caption and menu bar of the old window frame.
    QWidget *client = centralWidget();
    int height = twipsToPixels(twips - (3485 - 2790));
    // The edge never cuts a panel: one the height mostly shows is shown whole
    // (the Analize panel's designed height leaves its bottom border a few
    // twips below the edge), one it barely reaches not at all (collapsed,
    // the panels' captions would peek out).
    const int designed = height;
    for (QWidget *child : client->findChildren<DesignFrame *>(Qt::FindDirectChildrenOnly)) {
        const QRect frame = child->geometry();
        if (child->isHidden() || frame.top() >= designed)
            continue;
        if (frame.top() + frame.height() / 2 < designed)
            height = std::max(height, frame.bottom() + 1 + twipsToPixels(60));
        else
            height = std::min(height, frame.top());
    }
    client->setFixedHeight(height);
    adjustSize();
}

namespace {

// The one local Access file a drag carries; empty for anything else.
QString droppedDatabase(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().first();
    if (!url.isLocalFile())
        return QString();
    const QString path = url.toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mdb") || suffix == QLatin1String("accdb") ? path : QString();
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedDatabase(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedDatabase(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    emit fileDropped(path);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    emit closing();
    event->accept();
}
