#pragma once

// R_Report: the report control listing. The report's summary from
// T_ReportInfo (record source, filter, sort, caption, record locks, the
// used event slots, dates and description), its sorting and grouping levels
// from T_ReportGroup with their codes in words, then each control of
// T_ReportItem with its property rows (controllisting.h).

#include "host/reports/storereport.h"

class ReportControlReport : public StoreReport
{
public:
    QString title() const override;
    void write(QSqlDatabase &store, ReportWriter &out) const override;
};
