#include "about/aboutbox.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

AboutBox::AboutBox(const QString &targetPath, const VolumePlatform &platform,
                   LogoAnimation &animation, QWidget *parent)
    : QDialog(parent)
    , m_animation(animation)
    , m_logo(new QLabel(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(aboutCaption());
    setAttribute(Qt::WA_DeleteOnClose);

    auto *about = new QLabel(aboutCaption(), this);
    about->setObjectName(QStringLiteral("lblAbout"));
    m_logo->setObjectName(QStringLiteral("imgLogoWk"));
    m_logo->setFixedSize(200, 100);

    auto *frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("fraAbout"));
    auto *grid = new QGridLayout(frame);
    const AboutFigures figures = aboutFigures(targetPath, platform);
    const struct
    {
        const char *caption;
        const char *name;
        QString value;
    } rows[] = {{"FileName:", "lblName", figures.name},
                {"Drive:", "lblDrive", figures.drive},
                {"TotalSize:", "lblTotal", figures.total},
                {"FreeSpace:", "lblFree", figures.free},
                {"ObjectSize:", "lblObjSize", figures.objectSize}};
    int row = 0;
    for (const auto &r : rows) {
        grid->addWidget(new QLabel(QString::fromLatin1(r.caption), frame), row, 0);
        auto *value = new QLabel(r.value, frame);
        value->setObjectName(QString::fromLatin1(r.name));
        value->setMinimumWidth(160);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(value, row++, 1);
    }
    grid->setColumnStretch(1, 1);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdAbout"));
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addWidget(m_logo, 0, Qt::AlignHCenter);
    layout->addWidget(frame);
    layout->addWidget(ok, 0, Qt::AlignRight);

    for (int number = 1; number <= LogoFrameCount; ++number)
        m_frames[number - 1] = QPixmap::fromImage(logoFrame(number));
    showFrame(1);
    m_timer->setInterval(700);
    connect(m_timer, &QTimer::timeout, this, &AboutBox::Timer1_Timer);
    m_timer->start();
}

void AboutBox::showFrame(int number)
{
    m_shownFrame = number;
    m_logo->setPixmap(m_frames[number - 1]);
}

void AboutBox::Timer1_Timer()
{
    showFrame(m_animation.tick());
}
