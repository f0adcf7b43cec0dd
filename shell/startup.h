#pragma once

// Start-up (Form_Load) and shut-down (Form_Unload, File > Quit) of the
// main window.

#include "host/command/mainstate.h"
#include "host/command/ui.h"
#include "shell/platform.h"

// Fixes the program folder and store path, asks whether to go on when the
// system is not Windows 95 or 98, makes the program folder current and puts
// the controls in their first state. Returns false when the user chose to
// end (after "終了します" was shown); the caller then ends at once.
bool Form_Load(MainState &state, Ui &ui, Platform &platform);

// Shows "終了します。", closes the target, releases the target and report
// instances and the store connection (its rows committed), and switches the
// screen saver on again. Every error is ignored. The caller then ends the
// program.
void shutDown(MainState &state, Ui &ui, Platform &platform);
