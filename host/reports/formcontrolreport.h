#pragma once

// R_Form: the form control listing. The form's summary from T_FormInfo
// (record source, filter, sort, caption, its view and editing settings in
// words, the used event slots, dates and description), then each control
// of T_FormItem with its property rows (controllisting.h).

#include "host/reports/storereport.h"

class FormControlReport : public StoreReport
{
public:
    QString title() const override;
    void write(QSqlDatabase &store, ReportWriter &out) const override;
};
