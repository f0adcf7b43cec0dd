#pragma once

// Whether a window's captions fit their controls, measured as the style
// lays each one out: buttons, check boxes and option buttons by their
// caption area, labels by their contents.

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>

// Where a control's caption is drawn, as the style lays it out.
inline QRect captionArea(QAbstractButton *button)
{
    QStyle *style = button->style();
    if (auto *push = qobject_cast<QPushButton *>(button)) {
        QStyleOptionButton option;
        option.initFrom(push);
        // Two pixels of air on each side, or the caption touches the edges.
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, push)
            .adjusted(2, 0, -2, 0);
    }
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const bool radio = qobject_cast<QRadioButton *>(button) != nullptr;
    return style->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
}

// One control's caption against its room; false (with a test failure) when cut.
inline void expectCaptionFits(QWidget *w, const QString &where)
{
    const QFontMetrics metrics = w->fontMetrics();
    if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        EXPECT_LE(metrics.horizontalAdvance(button->text()), captionArea(button).width())
            << qPrintable(where) << " cuts its caption";
        EXPECT_LE(metrics.height(), w->height()) << qPrintable(where);
    } else if (auto *label = qobject_cast<QLabel *>(w); label && label->pixmap().isNull()) {
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->contentsRect().width())
            << qPrintable(where) << " cuts its caption";
    }
}

// Every visible button and label of a shown window.
inline void expectCaptionsFit(QWidget *window)
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->isVisibleTo(window))
            expectCaptionFits(w, window->objectName() + ": " + w->objectName());
    }
}
