#pragma once

#include <QScrollBar>

// A scroll bar that behaves as a desktop scroll bar control: the arrow keys move it
// the way they point, Right and Down towards the maximum, Left and Up towards the
// minimum, and while it has the keyboard focus it says so.
class ScrollBar : public QScrollBar
{
    Q_OBJECT

public:
    explicit ScrollBar(QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
