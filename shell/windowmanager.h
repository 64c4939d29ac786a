#pragma once

#include <QString>

// The X11 window manager the program runs under. Window managers read the standard
// hints each their own way; a measure one of them needs is taken only under it.
namespace WindowManager {

// The name the running window manager gives itself (_NET_WM_NAME of the window that
// _NET_SUPPORTING_WM_CHECK names, as "Openbox", "Metacity", "Xfwm4"); empty where
// there is none, or no X11 display.
QString name();

}
