#include "host/vb/skippeddamage.h"

#include <QSet>
#include <mutex>

namespace {

constexpr qsizetype maxTexts = 1000;

struct Notes
{
    std::mutex lock;
    QStringList texts;
    QSet<QString> seen;
    qsizetype moreSkips = 0;
};

Notes &notes()
{
    static Notes n;
    return n;
}

} // namespace

void noteSkippedDamage(const QString &text)
{
    Notes &n = notes();
    std::lock_guard guard(n.lock);
    if (n.seen.contains(text))
        return;
    if (n.texts.size() >= maxTexts) {
        ++n.moreSkips;
        return;
    }
    n.seen.insert(text);
    n.texts << text;
}

QStringList takeSkippedDamage()
{
    Notes &n = notes();
    std::lock_guard guard(n.lock);
    QStringList taken = std::move(n.texts);
    if (n.moreSkips > 0)
        taken << QStringLiteral("%1 further damaged pages or rows were skipped.").arg(n.moreSkips);
    n.texts.clear();
    n.seen.clear();
    n.moreSkips = 0;
    return taken;
}
