#pragma once

// R_Module: the module list. Per object of T_ProcName, its declaration
// section and procedures with kind, scope, parameters, return type and
// line count; under each procedure its Dim/Call/Const/Global lines from
// T_DimCall (joined on objectNo and ProcedureNo).

#include "host/reports/storereport.h"

class ModuleReport : public StoreReport
{
public:
    QString title() const override;
    void write(QSqlDatabase &store, ReportWriter &out) const override;
};
