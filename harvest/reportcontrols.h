#pragma once

// Report Control (cmdReportC): one report of the target documented, its
// summary in T_ReportInfo, its controls' property rows in T_ReportItem and
// its sorting and grouping levels in T_ReportGroup, then R_Report.

#include "host/command/mainstate.h"
#include "host/command/ui.h"

void cmdReportC_Click(MainState &state, Ui &ui);
