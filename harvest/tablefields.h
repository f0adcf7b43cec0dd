#pragma once

// The Table Field command: one T_TableInfo row per table that is not a host
// system table and one T_TableItem row per field, then R_Table in preview.
// A second press for the same target only previews again.

#include "host/command/mainstate.h"
#include "host/command/ui.h"

void cmdTableF_Click(MainState &state, Ui &ui);
