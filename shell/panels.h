#pragma once

// The panel buttons, the object-kind choice and the pickers of the main
// window: which panel shows, the window heights, the Export-panel
// restriction on forms and reports. All through the Ui port, without
// widgets.

#include "host/command/mainstate.h"
#include "host/command/ui.h"
#include "shell/platform.h"

// Window heights in twips.
inline constexpr int CollapsedHeight = 3485;
inline constexpr int ExportHeight = 4700;
inline constexpr int AnalizeHeight = 4900;
inline constexpr int CompactHeight = 4700;

void cmdExport_Click(MainState &state, Ui &ui);
// Hides the target's window, shows the Analize panel, disables the harvest
// commands whose kind the target lacks, switches the screen saver off.
void cmdKaiseki_Click(MainState &state, Ui &ui, Platform &platform);
void cmdCompact_Click(MainState &state, Ui &ui);
void cmdModosu_Click(MainState &state, Ui &ui);
// Index 0..4: Table, Query, Form, Report, Module; other indexes do nothing.
void OptMode_Click(MainState &state, Ui &ui, int index);
void HidePickers(Ui &ui);
