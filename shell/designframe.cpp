#include "shell/designframe.h"

#include <QEvent>
#include <QPainter>

namespace {
constexpr int captionIndent = 6; // pixels from the left edge to the caption
}

DesignFrame::DesignFrame(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent)
{
    updateMargins();
}

int DesignFrame::borderTop() const
{
    return title().isEmpty() ? 0 : fontMetrics().height() / 2;
}

void DesignFrame::updateMargins()
{
    setContentsMargins(2, borderTop() + 2, 2, 2);
}

void DesignFrame::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateMargins();
    QGroupBox::changeEvent(event);
}

void DesignFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect border = rect().adjusted(0, borderTop(), -1, -1);
    // Etched: a dark line with a light one just inside and below it.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(border.adjusted(1, 1, 0, 0));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(border.adjusted(0, 0, -1, -1));
    if (title().isEmpty())
        return;
    const QFontMetrics metrics = fontMetrics();
    const QRect caption(captionIndent, 0, metrics.horizontalAdvance(title()) + 4, metrics.height());
    painter.fillRect(caption, palette().color(QPalette::Window));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter, title());
}
