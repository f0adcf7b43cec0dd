#pragma once

// What a form view shows besides its design: the records of its record
// source, the rows of its lists' row sources and the designs of its
// subforms, reached through the target.

#include "host/objects/access.h"
#include "host/objects/source.h"

#include <QHash>
#include <functional>

// One record: values by field name, the names case-folded (Jet compares
// names without case).
using FormRecord = QHash<QString, Value>;

// Only the records whose field equals the value (a subform's link).
struct RecordFilter
{
    QString field;
    Value value;
    bool active() const { return !field.isEmpty(); }
};

class FormData
{
public:
    virtual ~FormData() = default;
    // Records first .. first + count - 1 (0-based) of a record source: a
    // table, a saved query or SQL. Raises HostError when it cannot be read.
    virtual QList<FormRecord> records(const QString &recordSource, int first, int count,
                                      const RecordFilter &filter = {}) = 0;
    // The first rows of a list's row source, each column as text.
    virtual QList<QStringList> rows(const QString &rowSource, int count) = 0;
    // The design of a form shown as a subform; raises when it cannot be read.
    virtual const Form &design(const QString &formName) = 0;
};

// Opens the rows of a record or row source (a table, a saved query or SQL);
// raises HostError (3011 unknown, 31005 not runnable here).
using RowsOpener = std::function<std::unique_ptr<RowCursor>(const QString &source)>;
using DesignLookup = std::function<const Form &(const QString &name)>;

class Application;

// The record and row sources of the target's current database: its tables,
// its saved queries and SQL text through the target's query engine; a query
// without an engine raises 31005.
RowsOpener targetRows(Application &target);
// FormData of the target: its sources and its forms' designs.
std::unique_ptr<FormData> targetFormData(Application &target);

// FormData over cursors: reads only as far as the records asked for.
class CursorFormData : public FormData
{
public:
    CursorFormData(RowsOpener rows, DesignLookup designs);
    QList<FormRecord> records(const QString &recordSource, int first, int count,
                              const RecordFilter &filter = {}) override;
    QList<QStringList> rows(const QString &rowSource, int count) override;
    const Form &design(const QString &formName) override;

private:
    RowsOpener m_rows;
    DesignLookup m_designs;
};

// The name a bound control's ControlSource reads ("[Orders].[ID]" -> "id",
// folded as FormRecord keys are); empty for an expression or nothing.
QString boundFieldKey(const QString &controlSource);
