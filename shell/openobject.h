#pragma once

// Open (cmdOpen) and Visible (chkVisible) of the main window: the object
// chosen in the visible picker opened in the chosen view in the target
// instance, and the target instance's window shown or hidden.

#include "host/command/mainstate.h"
#include "host/command/ui.h"

void cmdOpen_Click(MainState &state, Ui &ui);
// Errors 91 and 380 turn the box back without a message (and without
// running this handler again); others show the standard message.
void chkVisible_Click(MainState &state, Ui &ui);
