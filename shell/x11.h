#pragma once

#include <xcb/xcb.h>

// What the program asks the X server itself, where Qt does not say it: the window
// manager's name, and window places in the server's own pixels.
namespace X11 {

// Qt's own connection; null on any other platform.
xcb_connection_t *connection();
xcb_window_t root(xcb_connection_t *connection);
xcb_atom_t atom(xcb_connection_t *connection, const char *name);

}
