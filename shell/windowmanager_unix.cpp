#include "shell/windowmanager.h"

#include "shell/x11.h"
#include "shell/xcbreply.h"

namespace {

xcb_window_t windowProperty(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t property)
{
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, false, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return XCB_WINDOW_NONE;
    return *static_cast<const xcb_window_t *>(xcb_get_property_value(reply.get()));
}

} // namespace

namespace WindowManager {

QString name()
{
    xcb_connection_t *connection = X11::connection();
    if (!connection)
        return {};
    const xcb_window_t root = X11::root(connection);
    const xcb_atom_t check = X11::atom(connection, "_NET_SUPPORTING_WM_CHECK");
    const xcb_atom_t netWmName = X11::atom(connection, "_NET_WM_NAME");
    const xcb_atom_t utf8 = X11::atom(connection, "UTF8_STRING");
    if (check == XCB_ATOM_NONE || netWmName == XCB_ATOM_NONE || utf8 == XCB_ATOM_NONE)
        return {};
    // A window manager that has gone leaves its window id behind on the root; the
    // window names itself only while it lives.
    const xcb_window_t wm = windowProperty(connection, root, check);
    if (wm == XCB_WINDOW_NONE || windowProperty(connection, wm, check) != wm)
        return {};
    const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, false, wm, netWmName, utf8, 0, 256), nullptr));
    if (!reply || reply->type != utf8)
        return {};
    return QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(reply.get())),
                             xcb_get_property_value_length(reply.get()));
}

}
