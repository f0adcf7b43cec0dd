#pragma once

// Application is an Access instance of this build: it opens a database as
// its current database, is hidden until made visible, and tells its HostView
// (if any) what to show. The target instance, each report instance and the
// maintenance instance are separate Application objects.

#include "host/objects/access.h"
#include "host/objects/database.h"
#include "host/objects/hostview.h"
#include "host/objects/queryrunner.h"
#include "host/objects/source.h"

#include <list>
#include <memory>
#include <optional>

// One export as DoCmd hands it to the writers: the object (a sheet is
// named after it), OutputTo's format text or, for TransferText's delimited
// text, the empty text, the file, and whether delimited text begins with
// the field names.
struct ExportRequest
{
    QString objectName;
    QString format;
    QString file;
    bool hasFieldNames = false;
};
// Writes the rows to the request's file, replacing it only when the whole
// file is written; returns the rows written. export/ provides it.
using FileExporter = std::function<qint64(RowCursor &rows, const ExportRequest &request)>;

// What the export actions need from above the host, given by the front
// end: the writers, and the query engine with the prompt for a query's
// parameters. An unset writer makes the actions raise 2486, an unset runner
// makes a query's export raise 31005.
struct ExportServices
{
    FileExporter write;
    QueryRunner runQuery;
    SqlRunner runSql; // record and row sources written as SQL
    ParameterPrompt prompt;
};

class Application
{
public:
    explicit Application(SourceOpener opener, HostView *view = nullptr, DesignOpener designs = {});

    // Opens the file read-only and shared (the exclusive flag is accepted as
    // designed but a target is never locked or written). Raises what the
    // opener raises; a failed open leaves no current database.
    void OpenCurrentDatabase(const QString &path, bool exclusive = false);
    // Closing with nothing open is not an error.
    void CloseCurrentDatabase();

    bool hasCurrentDatabase() const { return m_database.has_value(); }
    // DBEngine.Workspaces(0).Databases(0): raises 91 when no database is open.
    Database &CurrentDb();

    bool Visible() const { return m_visible; }
    void setVisible(bool visible);

    // DoCmd. Each checks the object exists in the current database: a
    // table, query or module that is not there raises 3011, a form 2102, a
    // report 2103; no database open raises 2486. Opening a report in the
    // normal view prints it through the view, which closes it again.
    void OpenTable(const QString &name, AcView view, int dataMode);
    void OpenQuery(const QString &name, AcView view, int dataMode);
    void OpenForm(const QString &name, AcView view, int dataMode);
    void OpenReport(const QString &name, AcView view);
    void OpenModule(const QString &name);
    // Closing an object that is not open does nothing.
    void Close(AcObjectType type, const QString &name);
    // Forms(name) / Reports(name): the design of an open form or report,
    // read on first use and kept while it stays open. Not open raises 2450 /
    // 2451; a design no source holds raises 31001 naming where it looked.
    const Form &Forms(const QString &name);
    const Report &Reports(const QString &name);
    // The design of a form shown inside another as its subform: read on
    // first use and kept while the database stays open. Raises 2102 for a
    // form the database does not have, 31001 as Forms does.
    const Form &SubformDesign(const QString &name);
    void Maximize();
    void Minimize();

    // DoCmd.OutputTo of a table (type 0, its rows) or a query (type 1, its
    // result through the query runner) in a format text the writers know,
    // the template omitted. No database raises 2486, an unknown name 3011,
    // another object type 2486, a query without a runner 31005; the writer
    // raises for the file. With autoStart non-zero the view opens the
    // written file in the desktop's application for it; returns false when
    // it could not (no view: nothing is opened and true is returned).
    bool OutputTo(AcObjectType type, const QString &name, const QString &format,
                  const QString &file, qint16 autoStart);
    // DoCmd.TransferText with transfer type 2 (delimited export; any other
    // raises 5), the SpecificationName and HTMLTableName arguments omitted. The table
    // name may name a query, as Access allows. Raises as OutputTo does.
    void TransferText(int transferType, const QString &table, const QString &file,
                      qint16 hasFieldNames);
    void setExportServices(ExportServices services) { m_export = std::move(services); }
    // The query engine and its prompt, which form views use for record sources too.
    const ExportServices &exportServices() const { return m_export; }
    const QList<OpenedObject> &openObjects() const { return m_open; }

private:
    struct OpenDesign
    {
        AcObjectType type;
        QString name;
        AccessObject design;
    };

    SourceOpener m_opener;
    HostView *m_view;
    DesignOpener m_designOpener;
    std::optional<Database> m_database;
    QString m_path;
    std::shared_ptr<DesignSource> m_designs; // opened on the first design read
    bool m_visible = false;
    QList<OpenedObject> m_open;
    std::list<OpenDesign> m_openDesigns; // a list: references stay valid as designs open
    std::list<OpenDesign> m_subformDesigns;
    ExportServices m_export;

    void open(const OpenedObject &object);
    const AccessObject &design(AcObjectType type, const QString &name);
    DesignSource &designSource(const QString &what);
    // The rows of the table or query to export; raises as OutputTo says.
    std::unique_ptr<RowCursor> exportRows(AcObjectType type, const QString &name,
                                          const QString &action);
};
