#pragma once

// R_ProcList: the source listing of T_AcProc, per object and procedure,
// with line numbers, in a monospaced column.

#include "host/reports/storereport.h"

class ProcListReport : public StoreReport
{
public:
    QString title() const override;
    void write(QSqlDatabase &store, ReportWriter &out) const override;
};
