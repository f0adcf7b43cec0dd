#include "capture/capturesequence.h"

#include "capture/captureclipboard.h"
#include "capture/capturewindow.h"
#include "host/command/command.h"
#include "host/command/mainstate.h"
#include "host/command/ui.h"
#include "host/vb/errors.h"

CaptureSequence::CaptureSequence(MainState &state, Ui &ui, CaptureClipboard &clipboard,
                                 QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_ui(ui)
    , m_clipboard(clipboard)
{
    m_timer.setObjectName(QStringLiteral("Timer1"));
    connect(&m_timer, &QTimer::timeout, this, &CaptureSequence::Timer1_Timer);
}

CaptureSequence::~CaptureSequence()
{
    delete m_window;
}

void CaptureSequence::cmdCapture_Click()
{
    const QString title = QStringLiteral("Quillmark");
    if (std::max(0, selectedIndex(m_ui, OptMode, 5)) != 2) {
        m_ui.messageBox(QStringLiteral("Formを選択して下さい"), MsgButtons::Ok, MsgIcon::None,
                        title);
        return;
    }
    if (selectedIndex(m_ui, OptView, 3) != 0) {
        m_ui.messageBox(QStringLiteral("mode選択はNormalにして下さい"), MsgButtons::Ok,
                        MsgIcon::None, title);
        return;
    }
    // The designed command has no trap, so a failure left the main window
    // hidden for good; here the trap shows it again.
    const bool done = runCommand(
        m_state, m_ui, QStringLiteral("Capture"),
        [&] {
            m_ui.setWindowVisible(false);
            if (!m_state.target)
                throw HostError(Err::ObjectNotSet,
                                QStringLiteral("Object variable not set: no target instance"));
            if (m_ui.value(Ctl::chkVisible) != 1)
                m_state.target->setVisible(true);
            m_form = m_ui.text(Ctl::cboForms);
            m_state.target->OpenForm(m_form, AcView::Normal, -1);
            m_timer.start(m_state.captureDelay);
        },
        TrapRestores::Nothing);
    if (!done)
        restoreAfterFailure();
}

void CaptureSequence::Timer1_Timer()
{
    const bool done = runCommand(
        m_state, m_ui, QStringLiteral("Capture"),
        [&] {
            m_clipboard.clear();
            m_clipboard.pressPrintScreen();
            if (m_state.target) {
                m_state.target->Close(AcObjectType::Form, m_form);
                m_state.target->setVisible(false);
            }
            m_ui.setWindowVisible(true);
            if (!m_window)
                m_window = new CaptureWindow(m_ui, m_clipboard);
            m_window->show();
            m_window->raise();
            m_window->loadCapture(m_timer);
        },
        TrapRestores::Nothing);
    if (!done) {
        m_timer.stop();
        restoreAfterFailure();
    }
}

void CaptureSequence::restoreAfterFailure()
{
    if (m_state.target) {
        if (!m_form.isEmpty())
            m_state.target->Close(AcObjectType::Form, m_form);
        if (m_ui.value(Ctl::chkVisible) != 1)
            m_state.target->setVisible(false);
    }
    m_ui.setWindowVisible(true);
}
