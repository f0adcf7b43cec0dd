#pragma once

// Access stores a colour as a long: 0x00BBGGRR, or a system colour with the
// high bit set and the index of the Windows colour in the low byte. The
// system colours are those of the classic Windows scheme the designs were
// made under.

#include <QColor>

QColor accessColor(qint64 value);
