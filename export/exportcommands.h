#pragma once

// The Export panel's commands: the chosen table or query written by the
// target instance's DoCmd as rich text (cmdSaveRTF), delimited text
// (cmdSaveCSV) or an Excel workbook (cmdSaveExcel). Each asks for the file
// first, then arms its trap ("RTFSave", "CSVSave", "ExcelSave"): any host
// error shows the standard message, restores the pointer and enables the
// window, and leaves the status line as it was. A cancelled dialog's empty
// name goes to the host, which refuses it (OutputTo 2501, TransferText
// 3044). Form, report and module kinds write nothing and say so.

#include "host/command/mainstate.h"
#include "host/command/ui.h"

#include <QString>

// "description NUL pattern NUL" of each command's save dialog.
QString rtfSaveFilter();
QString csvSaveFilter();
QString excelSaveFilter();

void cmdSaveRTF_Click(MainState &state, Ui &ui);
void cmdSaveCSV_Click(MainState &state, Ui &ui);
void cmdSaveExcel_Click(MainState &state, Ui &ui);
