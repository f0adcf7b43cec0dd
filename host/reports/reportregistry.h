#pragma once

// The reports the launcher can start, by name ("R_Object", "R_Table", ...).
// Each report module registers a factory once at start-up; every launch makes
// a new instance. Names compare without regard to case, as Access names do.
// Safe to call from any thread.

#include "host/reports/storereport.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

using ReportFactory = std::function<std::unique_ptr<StoreReport>()>;

// Adds or replaces the report `name`. An empty name or factory raises 5.
void registerReport(const QString &name, ReportFactory factory);
// A new instance of the report; an unknown name raises 2103 naming it.
std::unique_ptr<StoreReport> createReport(const QString &name);
bool hasReport(const QString &name);
// The registered names as given to registerReport(), sorted.
QStringList reportNames();
