#pragma once

#include <QMargins>
#include <QPoint>

class QRect;
class QScreen;
class QSize;
class QWidget;

// Where a top-level window goes. A position always means the top-left corner of the
// window's outer frame, as the window manager draws it, in screen pixels (the X
// server's), whatever QT_SCALE_FACTOR or the screen's device pixel ratio make of
// Qt's own.
namespace WindowPlacement {

// Puts the frame's corner of window at corner, also before the window has been shown
// and its frame is known.
void moveFrame(QWidget *window, const QPoint &corner);

// Where the frame's corner of window is.
QPoint framePosition(const QWidget *window);

// How far the frame of window reaches out beyond its client area, in screen pixels.
QMargins frameMargins(const QWidget *window);

// An area of screen, given in Qt's pixels, in screen pixels.
QRect inScreenPixels(const QRect &area, const QScreen *screen);

// Whether any part of a window of this size (in Qt's pixels), its frame's corner at
// corner, lies on one of the screens.
bool onSomeScreen(const QPoint &corner, const QSize &size);

// Whether the program may place its windows and learn where they are. A Wayland
// client may do neither: the compositor alone places windows.
bool positionKnown();

// Whether the window manager put window somewhere else than moveFrame asked, and it
// has stayed there since: where it stands is then the window manager's choice.
bool placedElsewhere(const QWidget *window);

}
