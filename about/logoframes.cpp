#include "about/logoframes.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

QImage logoFrame(int number)
{
    if (number < 1 || number > LogoFrameCount)
        return QImage();
    QImage frame(200, 100, QImage::Format_RGB32);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 100);
    sky.setColorAt(0, QColor(0x1f, 0x3a, 0x68));
    sky.setColorAt(1, QColor(0x4a, 0x78, 0xb8));
    painter.fillRect(frame.rect(), sky);

    // A quill that sweeps across the page, one stroke further each frame.
    const int reach = 30 + number * 35;
    painter.setPen(QPen(QColor(0xf4, 0xe9, 0xc8), 3, Qt::SolidLine, Qt::RoundCap));
    QPainterPath stroke(QPointF(20, 78));
    stroke.cubicTo(QPointF(20 + reach / 3.0, 60), QPointF(20 + reach / 1.5, 92),
                   QPointF(20 + reach, 74));
    painter.drawPath(stroke);
    QPainterPath feather(QPointF(20 + reach, 74));
    feather.cubicTo(QPointF(28 + reach, 40), QPointF(50 + reach, 18), QPointF(62 + reach, 8));
    feather.cubicTo(QPointF(52 + reach, 30), QPointF(40 + reach, 52), QPointF(20 + reach, 74));
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(QColor(0xff, 0xff, 0xff, 220));
    painter.drawPath(feather);

    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(22);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0xff, 0xd8, 0x60));
    painter.drawText(QRect(10, 6, 180, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quillmark"));
    painter.end();
    return frame.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

int LogoAnimation::tick()
{
    ++m_counter;
    const int frame = m_counter;
    if (m_counter == LogoFrameCount)
        m_counter = 0;
    return frame;
}
