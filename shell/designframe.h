#pragma once

// A frame as the design draws it: an etched border along the widget's
// edges with the caption sitting on the top line, not above it, so that
// controls placed by the design's twips fall inside the border.
// contentsRect() is the area inside the border.

#include <QGroupBox>

class DesignFrame : public QGroupBox
{
    Q_OBJECT
public:
    DesignFrame(const QString &caption, QWidget *parent);

    // The y of the top border line, in the frame's coordinates.
    int borderTop() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateMargins();
};
