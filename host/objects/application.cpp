#include "host/objects/application.h"

#include "host/vb/errors.h"

#include <algorithm>

Application::Application(SourceOpener opener, HostView *view, DesignOpener designs)
    : m_opener(std::move(opener))
    , m_view(view)
    , m_designOpener(std::move(designs))
{
}

void Application::OpenCurrentDatabase(const QString &path, bool /*exclusive*/)
{
    if (m_database)
        throw HostError(Err::ActionNotNow,
                        QStringLiteral("A database is already open in this instance"));
    Database database(m_opener(path));
    database.Name(); // read the summary now, so an unreadable file fails here
    m_database.emplace(std::move(database));
    m_path = path;
    if (m_view)
        m_view->databaseChanged(*this, path);
}

void Application::CloseCurrentDatabase()
{
    m_database.reset();
    m_path.clear();
    m_designs.reset();
    m_open.clear();
    m_openDesigns.clear();
    m_subformDesigns.clear();
    if (m_view)
        m_view->databaseChanged(*this, QString());
}

Database &Application::CurrentDb()
{
    if (!m_database)
        throw HostError(Err::ObjectNotSet,
                        QStringLiteral("Object variable not set: no database is open"));
    return *m_database;
}

void Application::setVisible(bool visible)
{
    m_visible = visible;
    if (m_view)
        m_view->setVisible(visible);
}

namespace {

template <typename Items> bool contains(const Items &items, const QString &name)
{
    for (const auto &item : items) {
        if (item.Name == name)
            return true;
    }
    return false;
}

} // namespace

void Application::open(const OpenedObject &object)
{
    Close(object.type, object.name); // reopening shows it afresh in the new view
    m_open.append(object);
    if (m_view)
        m_view->objectOpened(*this, object);
}

void Application::OpenTable(const QString &name, AcView view, int dataMode)
{
    if (!m_database)
        throw HostError(Err::ActionNotNow, QStringLiteral("OpenTable: no database is open"));
    if (!contains(m_database->TableDefs(), name))
        throw HostError(Err::ObjectNotFound,
                        QStringLiteral("The table \"%1\" does not exist").arg(name));
    open({AcObjectType::Table, name, view, dataMode});
}

void Application::OpenQuery(const QString &name, AcView view, int dataMode)
{
    if (!m_database)
        throw HostError(Err::ActionNotNow, QStringLiteral("OpenQuery: no database is open"));
    if (!contains(m_database->QueryDefs(), name))
        throw HostError(Err::ObjectNotFound,
                        QStringLiteral("The query \"%1\" does not exist").arg(name));
    open({AcObjectType::Query, name, view, dataMode});
}

void Application::OpenForm(const QString &name, AcView view, int dataMode)
{
    if (!m_database)
        throw HostError(Err::ActionNotNow, QStringLiteral("OpenForm: no database is open"));
    if (!contains(m_database->Containers(u"Forms").Documents, name))
        throw HostError(Err::NoSuchForm,
                        QStringLiteral("The form \"%1\" does not exist").arg(name));
    open({AcObjectType::Form, name, view, dataMode});
}

void Application::OpenReport(const QString &name, AcView view)
{
    if (!m_database)
        throw HostError(Err::ActionNotNow, QStringLiteral("OpenReport: no database is open"));
    if (!contains(m_database->Containers(u"Reports").Documents, name))
        throw HostError(Err::NoSuchReport,
                        QStringLiteral("The report \"%1\" does not exist").arg(name));
    open({AcObjectType::Report, name, view, 0});
    // The normal view prints (the view asks where); nothing stays open after.
    if (view == AcView::Normal)
        Close(AcObjectType::Report, name);
}

void Application::OpenModule(const QString &name)
{
    if (!m_database)
        throw HostError(Err::ActionNotNow, QStringLiteral("OpenModule: no database is open"));
    if (!contains(m_database->Containers(u"Modules").Documents, name))
        throw HostError(Err::ObjectNotFound,
                        QStringLiteral("The module \"%1\" does not exist").arg(name));
    open({AcObjectType::Module, name, AcView::Design, 0});
}

void Application::Close(AcObjectType type, const QString &name)
{
    m_openDesigns.remove_if([&](const OpenDesign &d) { return d.type == type && d.name == name; });
    for (qsizetype i = 0; i < m_open.size(); ++i) {
        if (m_open[i].type == type && m_open[i].name == name) {
            m_open.removeAt(i);
            if (m_view)
                m_view->objectClosed(type, name);
            return;
        }
    }
}

const AccessObject &Application::design(AcObjectType type, const QString &name)
{
    const bool form = type == AcObjectType::Form;
    const bool open = std::any_of(m_open.begin(), m_open.end(), [&](const OpenedObject &o) {
        return o.type == type && o.name == name;
    });
    if (!open)
        throw HostError(form ? Err::FormNotOpen : Err::ReportNotOpen,
                        QStringLiteral("The %1 \"%2\" is not open")
                            .arg(form ? QStringLiteral("form") : QStringLiteral("report"), name));
    for (const OpenDesign &d : m_openDesigns) {
        if (d.type == type && d.name == name)
            return d.design;
    }
    DesignSource &designs =
        designSource(QStringLiteral("the %1 \"%2\"")
                         .arg(form ? QStringLiteral("form") : QStringLiteral("report"), name));
    AccessObject read = form ? designs.form(name) : designs.report(name);
    m_openDesigns.push_back({type, name, std::move(read)});
    return m_openDesigns.back().design;
}

DesignSource &Application::designSource(const QString &what)
{
    if (!m_designs && m_designOpener)
        m_designs = m_designOpener(m_path);
    if (!m_designs)
        throw HostError(Err::DesignNotReadable,
                        QStringLiteral("The design of %1 cannot be read: no design "
                                       "source is set for \"%2\"")
                            .arg(what, m_path));
    return *m_designs;
}

const Form &Application::SubformDesign(const QString &name)
{
    if (!m_database)
        throw HostError(Err::ActionNotNow, QStringLiteral("No database is open"));
    for (const OpenDesign &d : m_subformDesigns) {
        if (d.name.compare(name, Qt::CaseInsensitive) == 0)
            return d.design;
    }
    if (!contains(m_database->Containers(u"Forms").Documents, name))
        throw HostError(Err::NoSuchForm,
                        QStringLiteral("The form \"%1\" does not exist").arg(name));
    Form read = designSource(QStringLiteral("the form \"%1\"").arg(name)).form(name);
    m_subformDesigns.push_back({AcObjectType::Form, name, std::move(read)});
    return m_subformDesigns.back().design;
}

const Form &Application::Forms(const QString &name)
{
    return design(AcObjectType::Form, name);
}

const Report &Application::Reports(const QString &name)
{
    return design(AcObjectType::Report, name);
}

void Application::Maximize()
{
    if (m_view)
        m_view->maximize();
}

void Application::Minimize()
{
    if (m_view)
        m_view->minimize();
}

std::unique_ptr<RowCursor> Application::exportRows(AcObjectType type, const QString &name,
                                                   const QString &action)
{
    if (!m_database)
        throw HostError(Err::ActionNotNow, QStringLiteral("%1: no database is open").arg(action));
    if (!m_export.write)
        throw HostError(Err::ActionNotNow,
                        QStringLiteral("%1: this instance has no export writers").arg(action));
    if (type == AcObjectType::Table) {
        if (!contains(m_database->TableDefs(), name))
            throw HostError(Err::ObjectNotFound,
                            QStringLiteral("The table \"%1\" does not exist").arg(name));
        return m_database->openRows(name);
    }
    if (type == AcObjectType::Query) {
        if (!contains(m_database->QueryDefs(), name))
            throw HostError(Err::ObjectNotFound,
                            QStringLiteral("The query \"%1\" does not exist").arg(name));
        if (!m_export.runQuery)
            throw HostError(Err::QueryNotRunnable,
                            QStringLiteral("The query \"%1\" cannot be exported: this program "
                                           "was built without the query engine, so it cannot "
                                           "run queries; export a table instead")
                                .arg(name));
        return m_export.runQuery(*m_database, name, m_export.prompt);
    }
    throw HostError(
        Err::ActionNotNow,
        QStringLiteral("%1: only tables and queries are exported in this build").arg(action));
}

bool Application::OutputTo(AcObjectType type, const QString &name, const QString &format,
                           const QString &file, qint16 autoStart)
{
    const QString action = QStringLiteral("OutputTo");
    // Access asks for a file when none is given; cancelling that is this.
    if (file.isEmpty() && m_database)
        throw HostError(Err::ActionCancelled,
                        QStringLiteral("The OutputTo action was cancelled: no file name"));
    std::unique_ptr<RowCursor> rows = exportRows(type, name, action);
    m_export.write(*rows, ExportRequest{name, format, file, false});
    if (autoStart != 0 && m_view)
        return m_view->openWithDefaultApplication(file);
    return true;
}

void Application::TransferText(int transferType, const QString &table, const QString &file,
                               qint16 hasFieldNames)
{
    if (transferType != 2)
        throw HostError(Err::InvalidProcedureCall,
                        QStringLiteral("TransferText: transfer type %1 is not delimited export "
                                       "(2), the only one this build carries out")
                            .arg(transferType));
    const QString action = QStringLiteral("TransferText");
    AcObjectType type = AcObjectType::Table;
    if (m_database && !contains(m_database->TableDefs(), table) &&
        contains(m_database->QueryDefs(), table))
        type = AcObjectType::Query;
    std::unique_ptr<RowCursor> rows = exportRows(type, table, action);
    m_export.write(*rows, ExportRequest{table, QString(), file, hasFieldNames != 0});
}
