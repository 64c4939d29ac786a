#pragma once

class QPoint;
class QSize;
class QWidget;

// Where a top-level window goes. A position always means the top-left corner of the
// window's outer frame, as the window manager draws it.
namespace WindowPlacement {

// Puts the frame's corner of window at corner, also before the window has been shown
// and its frame is known.
void moveFrame(QWidget *window, const QPoint &corner);

// Whether any part of a window of this size, its frame's corner at corner, lies on
// one of the screens.
bool onSomeScreen(const QPoint &corner, const QSize &size);

// Whether the program may place its windows and learn where they are. A Wayland
// client may do neither: the compositor alone places windows.
bool positionKnown();

}
