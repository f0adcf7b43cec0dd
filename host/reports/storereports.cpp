#include "host/reports/storereports.h"

#include "host/reports/objectreport.h"
#include "host/reports/reportregistry.h"

void registerStoreReports()
{
    registerReport(QStringLiteral("R_Object"), [] { return std::make_unique<ObjectReport>(); });
}
