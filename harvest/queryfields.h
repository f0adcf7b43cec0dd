#pragma once

// The Query Field command: one T_QueryInfo row per query of a known type,
// with its SQL whole, and one T_QueryItem row per output field, then R_Query
// in preview. A second press for the same target only previews again.

#include "host/command/mainstate.h"
#include "host/command/ui.h"

void cmdQueryF_Click(MainState &state, Ui &ui);
