#pragma once

// HostView is the window of an Access instance of this build: the desktop
// program shows it (host/views); the command line and the tests have none.

#include <QString>

class HostView
{
public:
    virtual ~HostView() = default;
    virtual void setVisible(bool visible) = 0;
    virtual void databaseChanged(const QString &path) = 0; // empty: closed
};
