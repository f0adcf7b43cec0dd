#pragma once

// The Compact panel's commands: the file to work on (cmdComFile), and
// Execute (cmdComExec) running the repair and then the compaction, in place,
// through the maintenance engine of the panel's own, created on first use
// and kept until the program ends.
//
// The compaction puts the verified copy (the backup path: the path without
// its last three characters, then "bak") over the file in one atomic
// rename, so the path never holds no file. While it works the status line
// says what runs; the window stays as it is.

#include "host/command/mainstate.h"
#include "host/command/ui.h"
#include "maintenance/maintenanceengine.h"

#include <QObject>
#include <memory>

class CompactPanel : public QObject
{
public:
    // The engine a default panel creates refuses the target open in the
    // main window.
    CompactPanel(MainState &state, QObject *parent = nullptr);
    CompactPanel(MaintenanceEngineFactory factory, QObject *parent = nullptr);

    // The maintenance engine, created on first use.
    MaintenanceEngine &engine();
    bool hasEngine() const { return bool(m_engine); }

private:
    MaintenanceEngineFactory m_factory;
    std::unique_ptr<MaintenanceEngine> m_engine;
};

// The file filter of the panel's open-file dialog.
QString compactFileFilter();
// The backup path of a chosen file; a path shorter than three characters
// raises 5.
QString backupPathOf(const QString &path);

void cmdComFile_Click(Ui &ui);
void cmdComExec_Click(Ui &ui, CompactPanel &panel);
void CompactDB(Ui &ui, CompactPanel &panel, const QString &path);
void RepairDB(Ui &ui, CompactPanel &panel, const QString &path);
