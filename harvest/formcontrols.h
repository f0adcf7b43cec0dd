#pragma once

// Form Control (cmdFormC): one form of the target documented, its summary
// in T_FormInfo and its controls' property rows in T_FormItem, then R_Form.

#include "harvest/controlrows.h"
#include "host/command/mainstate.h"
#include "host/command/ui.h"

void cmdFormC_Click(MainState &state, Ui &ui);

// The event positions of a control type's properties, chosen by the
// collection's size against the type's threshold; none for types without
// event rows.
EventRange formEventRange(const QString &typeWord, int propertyCount);
