#include "host/command/ui.h"

const char *controlName(Ctl control)
{
    static const char *const names[] = {
        "lblDBName",   "txtMesege",    "chkVisible",  "chkRO",       "chkCom",      "chkRep",
        "chkUseField", "chkExcel",     "chkWord",     "cmdOpen",     "cmdExport",   "cmdKaiseki",
        "cmdCompact",  "cmdCapture",   "cmdModosu",   "cmdObject",   "cmdTableF",   "cmdQueryF",
        "cmdFormC",    "cmdReportC",   "cmdModuleL",  "cmdModF",     "cmdModR",     "cmdModM",
        "cmdSaveCSV",  "cmdSaveExcel", "cmdSaveRTF",  "cmdComFile",  "cmdComExec",  "lblComFile",
        "OptMode(0)",  "OptMode(1)",   "OptMode(2)",  "OptMode(3)",  "OptMode(4)",  "OptView(0)",
        "OptView(1)",  "OptView(2)",   "optPrint(0)", "optPrint(1)", "optPrint(2)", "optPrint(3)",
        "optPrint(4)", "optPrint(5)",  "optPrint(6)", "optPrint(7)", "optPrint(8)", "cboTables",
        "cboQuerys",   "cboForms",     "cboReports",  "cboModule",   "framExport",  "framKaiseki",
        "framCompact"};
    static_assert(sizeof(names) / sizeof(names[0]) == size_t(Ctl::Count));
    return names[int(control)];
}

int selectedIndex(const Ui &ui, Ctl (*member)(int), int count)
{
    for (int i = 0; i < count; ++i) {
        if (ui.value(member(i)) != 0)
            return i;
    }
    return -1;
}
