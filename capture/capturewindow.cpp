#include "capture/capturewindow.h"

#include "about/aboutfigures.h"
#include "capture/captureclipboard.h"
#include "host/command/ui.h"
#include "host/io/bitmapfile.h"
#include "host/vb/errors.h"

#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QScrollArea>
#include <QTimer>

namespace {

int twipsToPixels(int twips, int dotsPerInch)
{
    return qRound(twips * dotsPerInch / 1440.0);
}

} // namespace

CaptureWindow::CaptureWindow(Ui &ui, CaptureClipboard &clipboard, QWidget *parent)
    : QMainWindow(parent)
    , m_ui(ui)
    , m_clipboard(clipboard)
    , m_picture(new QLabel)
{
    setObjectName(QStringLiteral("frmCapture"));
    setWindowTitle(aboutCaption());
    QMenu *printer = menuBar()->addMenu(QStringLiteral("Printer"));
    printer->addAction(QStringLiteral("Setup"), this, &CaptureWindow::m1a_Click)
        ->setObjectName(QStringLiteral("m1a"));
    printer->addAction(QStringLiteral("Print"), this, &CaptureWindow::m1b_Click)
        ->setObjectName(QStringLiteral("m1b"));
    menuBar()
        ->addAction(QStringLiteral("Save"), this, &CaptureWindow::m4_Click)
        ->setObjectName(QStringLiteral("m4"));
    menuBar()
        ->addAction(QStringLiteral("Close"), this, &CaptureWindow::m5_Click)
        ->setObjectName(QStringLiteral("m5"));

    m_picture->setObjectName(QStringLiteral("picWk"));
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A screen image is larger than the window the desktop allows: scroll it.
    auto *area = new QScrollArea(this);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(m_picture);
    setCentralWidget(area);

    // The designed page setup: margins 10, 20, 10 and 15 mm, at least 5 mm.
    m_printer.setPageMargins(QMarginsF(10, 20, 10, 15), QPageLayout::Millimeter);
    m_printer.setPageOrientation(QPageLayout::Portrait);
}

void CaptureWindow::LoadCapture(QTimer &timer1)
{
    m_image = m_clipboard.image();
    m_picture->setPixmap(QPixmap::fromImage(m_image));
    m_picture->resize(m_image.size());
    resize(m_image.width() + twipsToPixels(120, logicalDpiX()),
           m_image.height() + twipsToPixels(690, logicalDpiY()));
    timer1.stop();
}

void CaptureWindow::loadCapture(QTimer &timer1)
{
    for (;;) {
        int number = 0;
        try {
            LoadCapture(timer1);
        } catch (const HostError &error) {
            number = error.code();
        }
        const QString title = QStringLiteral("Quillmark");
        switch (number) {
        case 0:
            return;
        case int(Err::InvalidPropertyValue):
        case int(Err::ActionNotNow):
            m_ui.messageBox(QStringLiteral("再度実行して下さい。"), MsgButtons::Ok, MsgIcon::None,
                            title);
            return;
        case int(Err::ClipboardCantOpen):
        case int(Err::ClipboardCantGet):
            if (m_ui.messageBox(QStringLiteral("Clipboardが既に別のｱﾌﾟﾘｹｰｼｮﾝで開かれています。"),
                                MsgButtons::RetryCancel, MsgIcon::None, title) == MsgAnswer::Retry)
                continue;
            return;
        default:
            m_ui.messageBox(QString::number(number) + QStringLiteral("不明"),
                            MsgButtons::RetryCancel, MsgIcon::None, title);
            return;
        }
    }
}

void CaptureWindow::m1a_Click()
{
    QPageSetupDialog dialog(&m_printer, this);
    dialog.exec(); // a cancelled dialog leaves the page as it was
}

void CaptureWindow::m1b_Click()
{
    if (m_image.isNull()) {
        m_ui.setText(Ctl::txtMesege, QStringLiteral("印刷する画像がありません"));
        return;
    }
    QPrintDialog dialog(&m_printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printCapture(m_printer, m_image))
        m_ui.setText(Ctl::txtMesege, QStringLiteral("印刷を開始できませんでした"));
}

void CaptureWindow::m4_Click()
{
    const QString path = m_ui.SaveFileDlg(QStringLiteral("Bitmap(*.bmp)") + QChar(0) +
                                              QStringLiteral("*.bmp") + QChar(0),
                                          QDir::currentPath());
    if (path.isEmpty()) {
        m_ui.setText(Ctl::txtMesege,
                     QStringLiteral("保存を取り消しました（ファイルは書き込まれていません）"));
        return;
    }
    QString error;
    if (m_image.isNull())
        error = QStringLiteral("保存する画像がありません");
    else if (saveBitmap(m_image, path, &error)) {
        m_ui.setText(Ctl::txtMesege, QStringLiteral("Bitmap 保存完了: %1").arg(path));
        return;
    }
    m_ui.setText(Ctl::txtMesege, QStringLiteral("ビットマップを保存できませんでした"));
    m_ui.messageBox(QStringLiteral("ビットマップを保存できませんでした。\r%1\r%2").arg(path, error),
                    MsgButtons::Ok, MsgIcon::Warning, QStringLiteral("Quillmark"));
}

void CaptureWindow::m5_Click()
{
    hide();
}

bool printCapture(QPrinter &printer, const QImage &image)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    const QRect page = painter.viewport();
    const QSize fitted = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(page.topLeft(), fitted), image);
    return painter.end();
}
