#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <optional>

// The screen's own pixels and the pointer, in screen pixels: on X11 those of the root
// window that spans every monitor, on Windows those of the virtual desktop (the
// program is aware of each monitor's own scale). Qt speaks of both in its scaled
// pixels, in which at 200 % only every other screen pixel can be named.
namespace ScreenPixels {

// The screen can be read: the program runs on an X server, or on Windows.
bool available();

std::optional<QPoint> pointer();

// The pointer leaves for that screen pixel (the server keeps it on the screens).
void movePointer(QPoint position);

// What the screen shows in that rectangle, opaque; where it reaches beyond the
// screen, black. A null image where the screen cannot be read.
QImage read(const QRect &rectangle);

// Where a screen pixel lies in the program's pixels, on the monitor that holds it.
QPointF fromScreen(QPoint position);
// The screen pixel at a place in the program's pixels: the inverse of fromScreen().
QPoint toScreen(QPointF position);

}
