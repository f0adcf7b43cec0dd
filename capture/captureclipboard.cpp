#include "capture/captureclipboard.h"

#include "host/vb/errors.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

namespace {

QClipboard &clipboard()
{
    QClipboard *board = QGuiApplication::clipboard();
    if (!board)
        throw HostError(Err::ClipboardCantOpen, QStringLiteral("The clipboard cannot be opened"));
    return *board;
}

} // namespace

void DesktopCaptureClipboard::clear()
{
    clipboard().clear();
}

void DesktopCaptureClipboard::pressPrintScreen()
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        throw HostError(Err::ClipboardCantOpen, QStringLiteral("There is no screen to capture"));
    // Window 0 is the whole desktop, as the Print Screen key takes it.
    const QPixmap shot = screen->grabWindow(0);
    if (shot.isNull())
        throw HostError(Err::ClipboardCantGet,
                        QStringLiteral("The screen image could not be taken"));
    clipboard().setImage(shot.toImage());
}

QImage DesktopCaptureClipboard::image()
{
    const QImage image = clipboard().image();
    if (image.isNull())
        throw HostError(Err::ClipboardCantGet, QStringLiteral("The clipboard holds no image"));
    return image;
}
