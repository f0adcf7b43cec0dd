#pragma once

// The capture command and the main window's timer that finishes it: the
// form is shown in the target's window, the screen is taken after the
// capture delay, and the image is shown in the capture window.

#include <QObject>
#include <QTimer>

class CaptureClipboard;
class CaptureWindow;
class MainState;
class Ui;

class CaptureSequence : public QObject
{
    Q_OBJECT
public:
    // windowParent: owner of the capture window (may be null).
    CaptureSequence(MainState &state, Ui &ui, CaptureClipboard &clipboard,
                    QObject *parent = nullptr);
    ~CaptureSequence() override;

    void cmdCapture_Click();
    void Timer1_Timer();

    QTimer &timer1() { return m_timer; }
    // The capture window, once a capture has created it.
    CaptureWindow *captureWindow() const { return m_window; }

private:
    // Puts the main window and the target back as they were before the
    // command when a step of the sequence fails.
    void restoreAfterFailure();

    MainState &m_state;
    Ui &m_ui;
    CaptureClipboard &m_clipboard;
    QTimer m_timer;
    CaptureWindow *m_window = nullptr;
    QString m_form; // the form the running capture opened
};
