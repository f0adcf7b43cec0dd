#pragma once

// The parts R_Form and R_Report share: the event slots of a summary row and
// the control rows of T_FormItem / T_ReportItem, which have the same fields.
// Per control (ControlNo order) a heading with its name, type, visibility
// and position, then its rows (PropertyNo order) as group / property /
// value. The rows are streamed: one pass measures the columns, a second,
// walked alongside the summary rows in objectNo order, writes them.

#include "host/reports/itemcursor.h"
#include "host/reports/reportwriter.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

// Appends a fact per used event slot (label Ibent<i>, value IbentVL<i>) of
// `info`, whose columns from `firstSlot` are Ibent1..4 then IbentVL1..4.
void appendEventFacts(ReportFacts &facts, const QSqlQuery &info, int firstSlot);

class ControlListing
{
public:
    // `itemTable` is "T_FormItem" or "T_ReportItem". Raises 31003 when the
    // store cannot read it.
    ControlListing(QSqlDatabase &store, const QString &itemTable);

    // Writes the controls of the object `objectNo`; objects must be asked
    // for in increasing objectNo order (items of skipped objects are passed
    // over).
    void write(int objectNo, ReportWriter &out);

private:
    QList<ReportColumn> m_columns;
    ItemCursor m_items;
};
