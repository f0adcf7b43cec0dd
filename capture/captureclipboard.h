#pragma once

// What the capture asks of the platform: the clipboard, and the Print
// Screen key that puts an image of the whole screen on it. Failures map to
// the numbers the designed window knows: 520 the clipboard cannot be opened
// or emptied, 521 it holds no image.

#include <QImage>

class CaptureClipboard
{
public:
    virtual ~CaptureClipboard() = default;
    virtual void clear() = 0;
    // An image of the whole screen onto the clipboard.
    virtual void pressPrintScreen() = 0;
    // The clipboard's image; raises 521 when it holds none.
    virtual QImage image() = 0;
};

// The desktop's clipboard and primary screen.
class DesktopCaptureClipboard : public CaptureClipboard
{
public:
    void clear() override;
    void pressPrintScreen() override;
    QImage image() override;
};
