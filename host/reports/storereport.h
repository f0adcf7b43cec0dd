#pragma once

// A StoreReport is one R_* report of the documentation store: it reads the
// store's tables and writes a paginated document through a ReportWriter.
// Reports are registered by name (reportregistry.h); the report launcher
// makes a new instance per launch.

#include <QSqlDatabase>
#include <QString>

class ReportWriter;

class StoreReport
{
public:
    virtual ~StoreReport() = default;
    // The report's heading, e.g. "オブジェクト一覧".
    virtual QString title() const = 0;
    // Reads the store (opened read-only, shared) and writes the document.
    // Raises HostError when the store cannot be read.
    virtual void write(QSqlDatabase &store, ReportWriter &out) const = 0;
};
