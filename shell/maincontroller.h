#pragma once

// MainController wires the main window's buttons, menus and mouse-over
// hints to the commands. Each slot is one call; commands trap their own
// errors, so nothing escapes into Qt's event loop.

#include "host/command/mainstate.h"
#include "shell/platform.h"

#include <QObject>

class MainWindow;
class Ui;

class MainController : public QObject
{
    Q_OBJECT
public:
    MainController(MainWindow &window, MainState &state, Ui &ui, Platform &platform);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectButtons();
    void connectMenus();
    void installHints();
    void m2_Click();
    void m3_Click();

    MainWindow &m_window;
    MainState &m_state;
    Ui &m_ui;
    Platform &m_platform;
};
