#pragma once

// R_Table: the table definitions. Per table of T_TableInfo a block with its
// name, dates, record count, linked source and description, then its fields
// from T_TableItem: number, name, key mark, type, size, required, zero
// length, default, validation rule and text, description.

#include "host/reports/storereport.h"

class TableReport : public StoreReport
{
public:
    QString title() const override;
    void write(QSqlDatabase &store, ReportWriter &out) const override;
};
