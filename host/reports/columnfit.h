#pragma once

// Column widths as a report designer sets them: every heading on one line,
// every column as wide as its widest cell while the page allows, and when
// it does not, the narrow columns keep their width and the wide ones share
// what is left equally (down to their heading). Reports measure their
// cells before writing (measureCells); writers fit the measures to the page.

#include "host/reports/reportwriter.h"

#include <vector>

// A text's width in ems, longest line: a full-width character is one em,
// any other half of one (proportional Latin text averages about that).
qreal textEms(const QString &text);

// Widens each column's contentEms to cover the matching cell.
void measureCells(QList<ReportColumn> &columns, const QStringList &cells);

// Widths summing to `available`. natural[i] >= minimum[i] is expected;
// when even the minimums do not fit, they are scaled down together.
std::vector<qreal> fitColumns(qreal available, const std::vector<qreal> &minimum,
                              const std::vector<qreal> &natural);
