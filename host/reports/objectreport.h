#pragma once

// R_Object: the object list. The database summary (T_DataBase) on top, then
// one line per object of T_Object in its running order: number, kind, name,
// query type or link, dates and description.

#include "host/reports/storereport.h"

class ObjectReport : public StoreReport
{
public:
    QString title() const override;
    void write(QSqlDatabase &store, ReportWriter &out) const override;
};
