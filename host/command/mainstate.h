#pragma once

// MainState is the main window's state: the program folder and store path,
// the target instance and its path, the documentation store connection of
// the latest run, the listing states, the flags and counters the commands
// share, and the wiring a front end gives (how targets are opened, where
// reports go). One instance per program run; commands take it by reference.

#include "host/objects/application.h"
#include "host/objects/modulesource.h"
#include "host/store/store.h"

#include <QString>
#include <array>
#include <memory>

class ReportOutput;

// The seven listings, in the designed order of their state words.
enum class Listing {
    Objects,
    TableFields,
    QueryFields,
    FormControls,
    ReportControls,
    ModuleList,
    Source
};

// Listing state values.
inline constexpr qint16 ListingNotProduced = 0;
inline constexpr qint16 ListingProduced = 1;
inline constexpr qint16 ListingNoObjects = 2;

// The item row buffer the form and report control listings share: the
// control's fields stay for all its rows, the row's three are emptied after
// every write. ControlNo is the control counter, which only grows while the
// program runs.
struct ControlItemBuffer
{
    qint16 objectNo = 0;
    qint16 ControlNo = 0;
    qint16 PropertyNo = 0;
    QString Name, ControlType, cntlVisible, TLWH;
    QString Bunrui, PropertyName, PropertyValue;
    double top = 0, left = 0, width = 0, height = 0; // centimetres
    qint16 firstEvent = 0, lastEvent = 0;
};

class MainState
{
public:
    QString programFolder; // ends in one separator
    QString storePath;     // programFolder + "Analize.mdb"

    // Target selection.
    std::unique_ptr<Application> target; // the target instance; none before the first selection
    QString targetPath;                  // the caption of lblDBName; empty when no target is open

    // Documentation store: the connection of the latest run, replaced by the next.
    std::unique_ptr<Store> store;
    int reportLaunches = 0; // report instances started so far

    std::array<qint16, 7> listingStates{};
    qint16 &listingState(Listing listing) { return listingStates[size_t(listing)]; }

    qint16 visibilityFlag = 0;
    qint16 exportPanelFlag = 0;
    qint32 captureDelay = 5000; // milliseconds
    qint16 objectCounter = 0;
    ModuleScanState moduleScan; // how modules are read; the shared procedure counter
    ControlItemBuffer itemRow;  // the control listings' row buffer and counter
    QString lastHarvestedForm, lastHarvestedReport;

    // Wiring given by the front end.
    SourceOpener opener;                  // opens a target file
    DesignOpener designOpener;            // where a target's form and report designs are read
    HostView *targetView = nullptr;       // the target instance's window, if any
    ReportOutput *reportOutput = nullptr; // where launched reports are shown
    ExportServices exportServices;        // the writers and query engine of DoCmd's exports

    // The target database: raises 91 when no target is open.
    Database &targetDatabase();
    // A new, hidden target instance replacing the previous one.
    Application &newTargetInstance();

    // DBEngine.Workspaces(0).OpenDatabase(store path): the new connection
    // replaces the previous one (whose open transaction is committed first).
    Store &openStore();
    // Commits the store's open transaction; a command's end and its trap call it.
    void commitStore();
};
