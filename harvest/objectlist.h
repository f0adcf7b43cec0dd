#pragma once

// The Object List command: one summary row of the target database in
// T_DataBase and one row per table, query, form, report, macro and module
// in T_Object, numbered in one running sequence; then R_Object in preview.
// A second press for the same target only previews again.

#include "host/command/mainstate.h"
#include "host/command/ui.h"

void cmdObject_Click(MainState &state, Ui &ui);
