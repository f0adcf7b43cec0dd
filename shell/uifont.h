#pragma once

// The window's font: the design's positions are twips for a 9-point
// proportional Japanese UI font at 96 DPI. Ume UI Gothic (Debian's
// fonts-horai-umefont) has widths that fit them: every caption fits its
// control, as the window test measures. IPA P Gothic and the others are
// fallbacks of the same kind, slightly wider.

#include <QFont>

QFont japaneseUiFont();
