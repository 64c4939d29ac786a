#pragma once

#include <QMargins>
#include <QPoint>

class QWidget;

// What both platforms' window placement share (windowplacement_unix.cpp,
// windowplacement_win.cpp).
namespace WindowPlacement {

// A place in screen pixels, in Qt's.
QPoint fromScreenPixels(const QPoint &corner);

// The frame's corner and width as Qt reckons them, in screen pixels.
QPoint qtFramePosition(const QWidget *window);
QMargins qtFrameMargins(const QWidget *window);

}
