// quillmark-cli compact / repair: the Compact panel's work without a window.

#include "app/clicommands.h"
#include "app/consoleui.h"
#include "host/vb/errors.h"
#include "maintenance/atomicreplace.h"
#include "maintenance/integritycheck.h"
#include "maintenance/maintenanceengine.h"
#include "maintenance/pageaccount.h"

#include <QFileInfo>

const char *const compactUsage =
    "  quillmark-cli compact DB [--out FILE]\n"
    "  quillmark-cli repair DB [--check-only]\n"
    "\n"
    "compact   writes a compacted copy of DB to FILE, or replaces DB by its compacted\n"
    "          copy (written to DB's backup path, then renamed over DB in one step);\n"
    "          the copy is read back and compared with DB before it counts\n"
    "repair    checks DB's pages, maps, rows, long values and indexes, mends what can\n"
    "          be mended with certainty and reports the rest; --check-only writes\n"
    "          nothing\n";

namespace {

int failed(const QString &place, const HostError &error)
{
    printErr(
        QStringLiteral("%1: error %2: %3").arg(place).arg(error.code()).arg(error.description()));
    return 1;
}

} // namespace

int runCompact(const QStringList &words)
{
    QString db, out;
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (words[i] == QLatin1String("--out") && i + 1 < words.size())
            out = words[++i];
        else if (db.isEmpty() && !words[i].startsWith(u"--"))
            db = words[i];
        else {
            printErr(QStringLiteral("compact: unexpected argument %1\n").arg(words[i]) +
                     QString::fromUtf8(compactUsage));
            return 2;
        }
    }
    if (db.isEmpty() || db.size() < 3) {
        printErr(QString::fromUtf8(compactUsage));
        return 2;
    }
    const bool inPlace = out.isEmpty();
    const QString destination = inPlace ? db.left(db.size() - 3) + QStringLiteral("bak") : out;
    JetMaintenanceEngine engine;
    try {
        engine.CompactDatabase(db, destination);
        if (inPlace)
            replaceAtomically(destination, db);
    } catch (const HostError &error) {
        return failed(QStringLiteral("Compact"), error);
    }
    const CompactionFigures &f = engine.lastCompaction();
    printOut(QStringLiteral("%1: %2 bytes (%3 pages) -> %4 bytes (%5 pages); %6 pages freed, %7 "
                            "kept in place, %8 deleted rows dropped; verified")
                 .arg(inPlace ? db : destination)
                 .arg(f.bytesBefore)
                 .arg(f.pagesBefore)
                 .arg(f.bytesAfter)
                 .arg(f.pagesAfter)
                 .arg(f.pagesBefore - f.pagesAfter)
                 .arg(f.pagesKeptInPlace)
                 .arg(f.deletedRowsDropped));
    return 0;
}

int runRepair(const QStringList &words)
{
    QString db;
    bool checkOnly = false;
    for (const QString &word : words) {
        if (word == QLatin1String("--check-only"))
            checkOnly = true;
        else if (db.isEmpty() && !word.startsWith(u"--"))
            db = word;
        else {
            printErr(QStringLiteral("repair: unexpected argument %1\n").arg(word) +
                     QString::fromUtf8(compactUsage));
            return 2;
        }
    }
    if (db.isEmpty()) {
        printErr(QString::fromUtf8(compactUsage));
        return 2;
    }
    try {
        if (checkOnly) {
            const IntegrityReport r = checkIntegrity(PageAccount::read(db));
            for (const QString &c : r.checked)
                printOut(QStringLiteral("checked: %1").arg(c));
            for (const QString &d : r.damage)
                printOut(QStringLiteral("damage: %1%2")
                             .arg(d, r.repairable.contains(d) ? QStringLiteral(" (repairable)")
                                                              : QString()));
            if (r.damage.isEmpty())
                printOut(QStringLiteral("%1: no damage found").arg(db));
            return r.damage.isEmpty() ? 0 : 1;
        }
        JetMaintenanceEngine engine;
        try {
            engine.RepairDatabase(db);
        } catch (const HostError &error) {
            for (const QString &c : engine.lastCheck().checked)
                printOut(QStringLiteral("checked: %1").arg(c));
            throw;
        }
        for (const QString &c : engine.lastCheck().checked)
            printOut(QStringLiteral("checked: %1").arg(c));
        for (const QString &m : engine.lastCheck().repairable)
            printOut(QStringLiteral("repaired: %1").arg(m));
        printOut(QStringLiteral("%1: %2").arg(db, engine.lastCheck().repairable.isEmpty()
                                                      ? QStringLiteral("no damage found, unchanged")
                                                      : QStringLiteral("repaired and verified")));
        return 0;
    } catch (const HostError &error) {
        return failed(QStringLiteral("Repair"), error);
    }
}
