#pragma once

// The capture delay as the delay dialog shows and takes it: seconds in the
// box, milliseconds kept. The designed box showed milliseconds and read
// seconds, so confirming it unchanged multiplied the delay by 1000; here
// the label, the value shown and the value read agree.

#include <QString>

#include <optional>

// The longest delay the dialog accepts, in seconds.
inline constexpr double MaxCaptureSeconds = 3600;

// 5000 ms -> "5", 2500 ms -> "2.5".
QString captureDelayText(qint32 milliseconds);

// Seconds typed in the box -> milliseconds (times 1000, the nearest whole
// number, halves to even). Nothing for text that is not a number or a
// delay outside (0, MaxCaptureSeconds].
std::optional<qint32> captureDelayFromText(const QString &text);

// What the dialog says when the text cannot be taken.
QString captureDelayRule();
