#pragma once

// MainController wires the main window's buttons, menus and mouse-over
// hints to the commands. Each slot is one call; commands trap their own
// errors, so nothing escapes into Qt's event loop.

#include "host/command/mainstate.h"
#include "shell/platform.h"

#include <QObject>

#include <memory>

class CaptureClipboard;
class CaptureSequence;
class MainWindow;
class QAction;
class QMenu;
class Ui;

class MainController : public QObject
{
    Q_OBJECT
public:
    MainController(MainWindow &window, MainState &state, Ui &ui, Platform &platform);
    ~MainController() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void connectButtons();
    void connectMenus();
    void installHints();
    void m2_Click();
    void m3_Click();
    // SelectFile: the dialog when `path` is empty, else that file (a recent
    // one, a dropped one); a target opened goes first in the recent list.
    void selectFile(const QString &path);
    // The recent targets as items of the File menu, before m_recentEnd.
    void listRecentTargets(QMenu *file);

    MainWindow &m_window;
    MainState &m_state;
    Ui &m_ui;
    Platform &m_platform;
    QAction *m_recentEnd = nullptr;
    std::unique_ptr<CaptureClipboard> m_clipboard;
    CaptureSequence *m_capture;
};
