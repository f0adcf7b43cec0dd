#pragma once

// R_Query: the query definitions. Per query of T_QueryInfo its name, kind,
// dates and description, its SQL in a monospaced block, then its output
// fields from T_QueryItem.

#include "host/reports/storereport.h"

class QueryReport : public StoreReport
{
public:
    QString title() const override;
    void write(QSqlDatabase &store, ReportWriter &out) const override;
};
