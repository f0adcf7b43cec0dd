#pragma once

// frmCapTime: the capture delay dialog, opened modeless from File > Setup.
// The box shows the delay in seconds and OK stores what it reads (see
// capturedelay.h); text it cannot take is refused with a message and
// changes nothing. Enter moves on to the next control, as designed.

#include <QDialog>

class MainState;
class Ui;
class QLineEdit;
class QPushButton;

class CapTimeDialog : public QDialog
{
    Q_OBJECT
public:
    CapTimeDialog(MainState &state, Ui &ui, QWidget *parent = nullptr);

    void cmdOK_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    MainState &m_state;
    Ui &m_ui;
    QLineEdit *m_text;
};
