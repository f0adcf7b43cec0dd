#pragma once

// Application is an Access instance of this build: it opens a database as
// its current database, is hidden until made visible, and tells its HostView
// (if any) what to show. The target instance, each report instance and the
// maintenance instance are separate Application objects.

#include "host/objects/database.h"
#include "host/objects/hostview.h"
#include "host/objects/source.h"

#include <memory>
#include <optional>

class Application
{
public:
    explicit Application(SourceOpener opener, HostView *view = nullptr);

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
    // normal view prints it; without a readable design that raises 31001.
    void OpenTable(const QString &name, AcView view, int dataMode);
    void OpenQuery(const QString &name, AcView view, int dataMode);
    void OpenForm(const QString &name, AcView view, int dataMode);
    void OpenReport(const QString &name, AcView view);
    void OpenModule(const QString &name);
    // Closing an object that is not open does nothing.
    void Close(AcObjectType type, const QString &name);
    void Maximize();
    void Minimize();
    const QList<OpenedObject> &openObjects() const { return m_open; }

private:
    SourceOpener m_opener;
    HostView *m_view;
    std::optional<Database> m_database;
    bool m_visible = false;
    QList<OpenedObject> m_open;

    void open(const OpenedObject &object);
};
