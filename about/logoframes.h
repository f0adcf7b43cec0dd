#pragma once

// The about box's logo: four frames of 200 x 100 pixels in 256 colours,
// drawn here rather than stored, shown in turn every 700 ms.

#include <QImage>

inline constexpr int LogoFrameCount = 4;

// Frame 1 to 4; any other number gives a null image.
QImage logoFrame(int number);

// The animation counter: a 16-bit count that lives as long as the program,
// so a box opened again goes on where the last one stopped.
class LogoAnimation
{
public:
    // One timer tick: the frame to show now (1, 2, 3, 4, 1, ...).
    int tick();

private:
    qint16 m_counter = 0;
};
