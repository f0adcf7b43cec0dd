#include "host/reports/storereports.h"

#include "host/reports/formcontrolreport.h"
#include "host/reports/modulereport.h"
#include "host/reports/objectreport.h"
#include "host/reports/proclistreport.h"
#include "host/reports/queryreport.h"
#include "host/reports/reportcontrolreport.h"
#include "host/reports/reportregistry.h"
#include "host/reports/tablereport.h"

void registerStoreReports()
{
    registerReport(QStringLiteral("R_Object"), [] { return std::make_unique<ObjectReport>(); });
    registerReport(QStringLiteral("R_Module"), [] { return std::make_unique<ModuleReport>(); });
    registerReport(QStringLiteral("R_ProcList"), [] { return std::make_unique<ProcListReport>(); });
    registerReport(QStringLiteral("R_Table"), [] { return std::make_unique<TableReport>(); });
    registerReport(QStringLiteral("R_Query"), [] { return std::make_unique<QueryReport>(); });
    registerReport(QStringLiteral("R_Form"), [] { return std::make_unique<FormControlReport>(); });
    registerReport(QStringLiteral("R_Report"),
                   [] { return std::make_unique<ReportControlReport>(); });
}
