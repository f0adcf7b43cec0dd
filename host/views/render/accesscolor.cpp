#include "host/views/render/accesscolor.h"

namespace {

// GetSysColor of the classic scheme, by index (COLOR_SCROLLBAR = 0, ...).
QRgb systemColour(int index)
{
    static const QRgb colours[] = {
        0xc0c0c0, // 0 scroll bar
        0x008080, // 1 desktop
        0x000080, // 2 active caption
        0x808080, // 3 inactive caption
        0xc0c0c0, // 4 menu
        0xffffff, // 5 window
        0x000000, // 6 window frame
        0x000000, // 7 menu text
        0x000000, // 8 window text
        0xffffff, // 9 caption text
        0xc0c0c0, // 10 active border
        0xc0c0c0, // 11 inactive border
        0x808080, // 12 application workspace
        0x000080, // 13 highlight
        0xffffff, // 14 highlight text
        0xc0c0c0, // 15 button face
        0x808080, // 16 button shadow
        0x808080, // 17 grey text
        0x000000, // 18 button text
        0xc0c0c0, // 19 inactive caption text
        0xffffff, // 20 button highlight
        0x000000, // 21 3D dark shadow
        0xdfdfdf, // 22 3D light
        0x000000, // 23 info text
        0xffffe1, // 24 info background
    };
    if (index < 0 || index >= int(std::size(colours)))
        return 0xc0c0c0;
    return colours[index];
}

} // namespace

QColor accessColor(qint64 value)
{
    const quint32 bits = quint32(value);
    if (bits & 0x80000000u)
        return QColor::fromRgb(systemColour(int(bits & 0xff)));
    return QColor(int(bits & 0xff), int((bits >> 8) & 0xff), int((bits >> 16) & 0xff));
}
