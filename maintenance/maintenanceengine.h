#pragma once

// The maintenance engine: the DBEngine of the compact panel's own instance,
// with the two members the panel uses. JetMaintenanceEngine does the work on
// Jet 3 / Jet 4 files itself: page-level compaction verified by an
// independent read, and the integrity check with its certain repairs.

#include "maintenance/compactor.h"
#include "maintenance/integritycheck.h"

#include <QString>
#include <functional>
#include <memory>

class MaintenanceEngine
{
public:
    virtual ~MaintenanceEngine() = default;
    // Writes a compacted copy of source to destination; the source is never
    // written. Raises 3204 when destination exists, 3356/3196 when the
    // source is in use, 3049 when the copy does not read as the source (the
    // copy is removed), 31004 when the file cannot be compacted with
    // certainty.
    virtual void CompactDatabase(const QString &source, const QString &destination) = 0;
    // Checks the file and repairs what can be repaired with certainty;
    // raises 3049 describing the damage that is left.
    virtual void RepairDatabase(const QString &path) = 0;
};

// Creates the engine on first use (the panel keeps it until the program ends).
using MaintenanceEngineFactory = std::function<std::unique_ptr<MaintenanceEngine>()>;

class JetMaintenanceEngine : public MaintenanceEngine
{
public:
    // openTarget gives the file open in the main window, which is refused.
    explicit JetMaintenanceEngine(std::function<QString()> openTarget = {});

    void CompactDatabase(const QString &source, const QString &destination) override;
    void RepairDatabase(const QString &path) override;

    // What the last successful call did.
    const CompactionFigures &lastCompaction() const { return m_compaction; }
    const IntegrityReport &lastCheck() const { return m_check; }

private:
    QString openTarget() const { return m_openTarget ? m_openTarget() : QString(); }

    std::function<QString()> m_openTarget;
    CompactionFigures m_compaction;
    IntegrityReport m_check;
};
