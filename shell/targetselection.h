#pragma once

// Selecting the target database (File > SelectFile): the previous target
// closed, a new hidden target instance, the file chosen and opened
// read-only, every listing state reset, the five pickers refilled and the
// commands enabled.

#include "host/command/mainstate.h"
#include "host/command/ui.h"

// Shown in the open dialog: "Access(*.mdb)", NUL, "*.mdb", NUL.
QString targetDialogFilter();

void m1a_Click(MainState &state, Ui &ui);
// The same steps with the file already chosen (a recent file, a dropped
// file) instead of the dialog.
void selectTargetFile(MainState &state, Ui &ui, const QString &path);

// The five picker fills, each with its progress text; a kind without
// objects sets its listing state to 2.
void FillTablePicker(MainState &state, Ui &ui);
void FillQueryPicker(MainState &state, Ui &ui);
void FillFormPicker(MainState &state, Ui &ui);
void FillReportPicker(MainState &state, Ui &ui);
void FillModulePicker(MainState &state, Ui &ui);
