#pragma once

// The module analysis commands and the routines they share.
//
// cmdModuleL_Click (place "ModuleList"): one T_ProcName row per declaration
// section and procedure of every standard, class, form and report module,
// with T_DimCall rows for the Dim/Call/Const/Global lines of each
// procedure; then R_Module. A second press for the same target only
// previews again.
//
// cmdModF_Click / cmdModR_Click / cmdModM_Click (places "FormSource",
// "ReportSource", "ModuleSource"): the source lines of every form, report
// or standard/class module's procedures into T_AcProc; then R_ProcList.
// Every press lists again.
//
// The modules come from state.moduleScan.opener; the procedure counter in
// state.moduleScan is shared by all four commands.

#include "host/command/mainstate.h"
#include "host/command/ui.h"
#include "host/store/recordset.h"
#include "modules/vbamodule.h"

void cmdModuleL_Click(MainState &state, Ui &ui);
void cmdModF_Click(MainState &state, Ui &ui);
void cmdModR_Click(MainState &state, Ui &ui);
void cmdModM_Click(MainState &state, Ui &ui);

// The module scan state one run works on.
struct ModuleScan
{
    MainState &state;
    const VbaModule &module;
    QString objectKind; // "Module", "Form" or "Report"
    QString objectName; // Document.Name
    qint32 N = 0;
    qint32 D = 0;
};

// The routines of the commands, exposed for tests. No trap of their own.
void ProcNameWrite(ModuleScan &scan, Recordset &procNames, Recordset &dimCalls);
// Writes the T_DimCall row of one line (leading spaces already removed).
void DCCGWrite(const QString &line, qint16 objectNo, qint16 procedureNo, Recordset &dimCalls);
// sourceKind 1 form, 2 report, 3 module.
void AcProcWrite(ModuleScan &scan, qint16 sourceKind, Recordset &acProc);
