#include "shell/scrollbar.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionSlider>

ScrollBar::ScrollBar(QWidget *parent)
    : QScrollBar(parent)
{
}

// Qt turns Left and Right round on a horizontal scroll bar, the way a scrolled view
// moves under it; here the bar is a value control and its thumb follows the arrow.
// The keypad's arrows arrive as the same keys.
void ScrollBar::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        triggerAction(SliderSingleStepSub);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        triggerAction(SliderSingleStepAdd);
        break;
    default:
        QScrollBar::keyPressEvent(event);
        return;
    }
    event->accept();
}

// Most styles draw no focus on a scroll bar, so a user tabbing through the window
// could not tell which bar the arrow keys move. The style's own focus frame goes
// round the thumb, whatever the way the focus came.
void ScrollBar::paintEvent(QPaintEvent *event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    QStyleOptionSlider bar;
    initStyleOption(&bar);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.state |= QStyle::State_KeyboardFocusChange;
    focus.backgroundColor = palette().color(QPalette::Button);
    focus.rect = style()->subControlRect(QStyle::CC_ScrollBar, &bar, QStyle::SC_ScrollBarSlider, this)
                     .adjusted(2, 2, -2, -2);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
}
