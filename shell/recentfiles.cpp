#include "shell/recentfiles.h"

#include <QSettings>

namespace {
const char *const Key = "recent/targets";
}

QStringList recentTargets()
{
    return QSettings().value(QLatin1String(Key)).toStringList().mid(0, RecentTargetCount);
}

void rememberTarget(const QString &path)
{
    QStringList targets = recentTargets();
    targets.removeAll(path);
    targets.prepend(path);
    QSettings().setValue(QLatin1String(Key), targets.mid(0, RecentTargetCount));
}
