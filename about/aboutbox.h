#pragma once

// frmAbout: the program's name and version, the logo animation and the
// target's figures. Opened without being modal; OK closes it.

#include "about/aboutfigures.h"
#include "about/logoframes.h"

#include <QDialog>
#include <QPixmap>

class QLabel;
class QTimer;

class AboutBox : public QDialog
{
    Q_OBJECT
public:
    // targetPath: the caption of the main window's lblDBName.
    AboutBox(const QString &targetPath, const VolumePlatform &platform, LogoAnimation &animation,
             QWidget *parent = nullptr);

    // The frame imgLogoWk shows now (1 to 4).
    int shownFrame() const { return m_shownFrame; }
    QTimer *animationTimer() const { return m_timer; }
    // Every 700 ms: the animation's next frame.
    void Timer1_Timer();

private:
    void showFrame(int number);

    LogoAnimation &m_animation;
    QLabel *m_logo;
    QTimer *m_timer;
    QPixmap m_frames[LogoFrameCount];
    int m_shownFrame = 0;
};
