#pragma once

// What both workbook writers share: how a value becomes a cell, and the
// sheet's limits.

#include "host/vb/value.h"

#include <QString>
#include <optional>

// Excel's limit of characters in a cell; longer text is cut to it (Access
// cut memo fields to 255 characters in its Excel exports; we keep all
// Excel holds).
inline constexpr qsizetype CellTextLimit = 32767;

// The serial number Excel's 1900 date system gives an OLE date. The two
// count alike from 1900-03-01; before, Excel counts a 1900-02-29 that never
// was. Dates before 1900-01-01 have no serial (written as text) except the
// times of day alone (day 0).
std::optional<double> excelSerial(double oleDate);

// Whether the date has a time of day (then shown with it).
bool hasTimeOfDay(double oleDate);

enum class CellKind { None, Number, Integer, Boolean, Text, DateTime, Date };

struct Cell
{
    CellKind kind = CellKind::None;
    double number = 0; // Number, Integer, DateTime, Date (the serial)
    bool boolean = false;
    QString text; // cut to CellTextLimit
};

// Null, Empty and binary give no cell; Single is taken at its seven digits
// (0.1 stays 0.1, not 0.100000001490116); currency as its decimal value.
Cell cellOf(const Value &value);

// The header name format of the date cells.
inline constexpr const char *DateTimeFormat = "yyyy/mm/dd h:mm:ss";
inline constexpr const char *DateFormat = "yyyy/mm/dd";
