#pragma once

// HostView is the window of an Access instance of this build: the desktop
// program shows it (host/views); the command line and the tests have none.
// The Application tells it what to show; it reads what it shows from the
// Application's current database.

#include <QString>

class Application;

// Object types and views as DoCmd numbers them.
enum class AcObjectType { Table = 0, Query = 1, Form = 2, Report = 3, Module = 5 };
enum class AcView { Normal = 0, Design = 1, Preview = 2 };

struct OpenedObject
{
    AcObjectType type;
    QString name;
    AcView view;
    int dataMode; // 1 edit, 2 read only, -1 the object's own setting
};

class HostView
{
public:
    virtual ~HostView() = default;
    virtual void setVisible(bool visible) = 0;
    virtual void databaseChanged(Application &application,
                                 const QString &path) = 0; // empty: closed
    virtual void objectOpened(Application &application, const OpenedObject &object) = 0;
    virtual void objectClosed(AcObjectType type, const QString &name) = 0;
    virtual void maximize() = 0;
    virtual void minimize() = 0;
    // Opens a written file in the desktop's application for its kind (an
    // export's AutoStart); false when there is none or it failed to start.
    virtual bool openWithDefaultApplication(const QString &path) = 0;
};
