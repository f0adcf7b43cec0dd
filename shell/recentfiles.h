#pragma once

// The last five targets, newest first, kept between runs in the user's
// settings (never in the program folder).

#include <QString>
#include <QStringList>

inline constexpr int RecentTargetCount = 5;

QStringList recentTargets();
// Puts `path` first (once), keeping the newest five.
void rememberTarget(const QString &path);
