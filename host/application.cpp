#include "host/application.h"

#include "host/errors.h"

Application::Application(SourceOpener opener, HostView *view)
    : m_opener(std::move(opener))
    , m_view(view)
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
    if (m_view)
        m_view->databaseChanged(path);
}

void Application::CloseCurrentDatabase()
{
    m_database.reset();
    if (m_view)
        m_view->databaseChanged(QString());
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
