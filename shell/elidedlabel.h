#pragma once

// A label for a path: text too long for it is shortened in the middle
// with an ellipsis (the file name stays in sight), and its tooltip then
// shows the whole text. text() is always the whole text.

#include <QLabel>

class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    bool isElided() const;
    // The text as drawn.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
};
