#include "maintenance/maintenanceengine.h"

#include "host/vb/errors.h"
#include "maintenance/atomicreplace.h"
#include "maintenance/copyverifier.h"
#include "maintenance/fileinuse.h"
#include "maintenance/pageaccount.h"

#include <QFile>
#include <QFileInfo>

JetMaintenanceEngine::JetMaintenanceEngine(std::function<QString()> openTarget)
    : m_openTarget(std::move(openTarget))
{
}

void JetMaintenanceEngine::CompactDatabase(const QString &source, const QString &destination)
{
    ensureNotInUse(source, openTarget());
    if (QFileInfo::exists(destination))
        throw HostError(Err::DatabaseExists,
                        QStringLiteral("Database already exists: '%1'.").arg(destination));
    const PageAccount account = PageAccount::read(source);
    const CompactionFigures figures = writeCompactedCopy(account, destination);
    const QString difference = compactedCopyDifference(account, destination);
    if (!difference.isEmpty()) {
        QFile::remove(destination);
        throw HostError(Err::DamagedDatabase,
                        QStringLiteral("The compacted copy of '%1' does not read as the source: "
                                       "%2; the copy was removed.")
                            .arg(source, difference));
    }
    m_compaction = figures;
}

void JetMaintenanceEngine::RepairDatabase(const QString &path)
{
    ensureNotInUse(path, openTarget());
    const PageAccount account = PageAccount::read(path);
    IntegrityReport report = checkIntegrity(account);
    m_check = report;
    if (report.damage.isEmpty())
        return;
    QStringList left = report.damage;
    if (!report.repairable.isEmpty()) {
        const QList<QByteArray> mended = pagesWithMendedFreeMap(account);
        const QString temp = path + QStringLiteral(".repair");
        QFile::remove(temp);
        writeNewFile(temp, mended);
        // The mended file must read as the damaged one and show no damage
        // of the kind mended.
        QString difference = differenceBetween(path, temp);
        if (difference.isEmpty()) {
            const IntegrityReport after = checkIntegrity(PageAccount::read(temp));
            for (const QString &what : report.repairable)
                if (after.damage.contains(what))
                    difference = QStringLiteral("the repair did not mend: %1").arg(what);
        }
        if (!difference.isEmpty()) {
            QFile::remove(temp);
            throw HostError(Err::DamagedDatabase,
                            QStringLiteral("The database '%1' is damaged and was not repaired: "
                                           "%2.")
                                .arg(path, difference));
        }
        replaceAtomically(temp, path);
        for (const QString &what : report.repairable)
            left.removeAll(what);
        m_check.damage = left;
    }
    if (!left.isEmpty())
        throw HostError(Err::DamagedDatabase,
                        QStringLiteral("The database '%1' is damaged: %2%3.")
                            .arg(path, left.join(QStringLiteral("; ")),
                                 report.repairable.isEmpty()
                                     ? QString()
                                     : QStringLiteral(" (repaired: %1)")
                                           .arg(report.repairable.join(QStringLiteral("; ")))));
}
