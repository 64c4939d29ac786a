#include "shell/windowplacement.h"
#include "shell/windowplacement_p.h"

#include "shell/x11.h"
#include "shell/xcbreply.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <optional>

namespace {

const char kPlacementName[] = "WindowPlacement-asked";

// A window as the X server knows it, once Qt has made it there.
struct NativeWindow
{
    xcb_connection_t *connection;
    xcb_window_t id;
};

std::optional<NativeWindow> nativeWindow(const QWidget *window)
{
    xcb_connection_t *connection = X11::connection();
    const QWindow *handle = window->windowHandle();
    if (!connection || !handle || !handle->handle())
        return std::nullopt;
    return NativeWindow{connection, xcb_window_t(handle->winId())};
}

// The client area's corner on the screen.
std::optional<QPoint> clientCorner(const NativeWindow &window)
{
    const XcbReply<xcb_translate_coordinates_reply_t> reply(xcb_translate_coordinates_reply(
        window.connection,
        xcb_translate_coordinates(window.connection, window.id, X11::root(window.connection), 0, 0), nullptr));
    if (!reply)
        return std::nullopt;
    return QPoint(reply->dst_x, reply->dst_y);
}

// The frame as the window manager states it; where none does (weston draws its own
// frame and says nothing), the outermost window it put around the client is the frame.
QMargins nativeFrameMargins(const NativeWindow &window)
{
    xcb_connection_t *connection = window.connection;
    const xcb_atom_t extents = X11::atom(connection, "_NET_FRAME_EXTENTS");
    if (extents != XCB_ATOM_NONE) {
        const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            connection, xcb_get_property(connection, false, window.id, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr));
        if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) == 16) {
            const auto *sides = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
            return QMargins(int(sides[0]), int(sides[2]), int(sides[1]), int(sides[3]));
        }
    }
    const xcb_window_t root = X11::root(connection);
    xcb_window_t outermost = window.id;
    for (;;) {
        const XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, outermost), nullptr));
        if (!tree || tree->parent == root || tree->parent == XCB_WINDOW_NONE)
            break;
        outermost = tree->parent;
    }
    if (outermost == window.id)
        return {};
    const XcbReply<xcb_get_geometry_reply_t> client(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window.id), nullptr));
    const XcbReply<xcb_get_geometry_reply_t> frame(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, outermost), nullptr));
    const XcbReply<xcb_translate_coordinates_reply_t> inside(xcb_translate_coordinates_reply(
        connection, xcb_translate_coordinates(connection, window.id, outermost, 0, 0), nullptr));
    if (!client || !frame || !inside)
        return {};
    return QMargins(inside->dst_x, inside->dst_y, frame->width - client->width - inside->dst_x,
                    frame->height - client->height - inside->dst_y);
}

// Where a window was asked to go, and where it went. Qt takes a position given before
// the first showing as the frame's corner, but only while nothing else touches the
// window's geometry before it is mapped: a resize on the way (a layout settling, the
// size adjusted on showing) turns it into the client area's corner, and the frame then
// lands up and left of it by the frame's size; a place saved at close and restored at
// the next start would creep by that much every run. And at a scale of 1.5 a place
// in Qt's pixels falls on only two screen pixels in three. So just before the window
// is mapped, its size settled, the place is handed over once more as the frame's,
// and the native window is put there to the screen pixel.
class Placement : public QObject
{
public:
    explicit Placement(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        setObjectName(QLatin1String(kPlacementName));
        window->installEventFilter(this);
    }

    void ask(const QPoint &corner)
    {
        m_asked = corner;
        m_landed.reset();
        m_pending = true;
        if (m_window->isVisible())
            place(false);
    }

    // Whether the window stands, at current, where the window manager put it instead
    // of where it was asked to go. Before it is first on screen nobody but the window
    // manager can have moved it.
    bool refusedAt(const QPoint &current) const
    {
        if (m_awaitingLanding)
            return current != m_asked;
        return m_landed && *m_landed != m_asked && current == *m_landed;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::Show && m_pending)
            place(true);
        else if (watched == m_window->windowHandle() && event->type() == QEvent::Expose && m_awaitingLanding
                 && m_window->windowHandle()->isExposed()) {
            // Mapped, so placed by the window manager.
            m_awaitingLanding = false;
            m_landed = WindowPlacement::framePosition(m_window);
        }
        return false;
    }

private:
    void place(bool beforeMapping)
    {
        m_pending = false;
        QWindow *handle = m_window->windowHandle();
        if (!handle)
            return;
        handle->resize(m_window->size());
        handle->setFramePosition(m_window->pos());
        if (const std::optional<NativeWindow> native = nativeWindow(m_window)) {
            // With the frame-inclusive gravity Qt has just set, the window manager
            // takes this as the frame's corner.
            const quint32 values[] = {quint32(m_asked.x()), quint32(m_asked.y())};
            xcb_configure_window(native->connection, native->id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, values);
            xcb_flush(native->connection);
            if (beforeMapping) {
                handle->removeEventFilter(this);
                handle->installEventFilter(this);
                m_awaitingLanding = true;
            }
        }
    }

    QWidget *m_window;
    QPoint m_asked;
    std::optional<QPoint> m_landed;
    bool m_pending = false;
    bool m_awaitingLanding = false;
};

Placement *placementOf(const QWidget *window)
{
    return window->findChild<Placement *>(QLatin1String(kPlacementName), Qt::FindDirectChildrenOnly);
}

} // namespace

namespace WindowPlacement {

void moveFrame(QWidget *window, const QPoint &corner)
{
    window->move(fromScreenPixels(corner));
    Placement *placement = placementOf(window);
    if (!placement)
        placement = new Placement(window);
    placement->ask(corner);
}

QPoint framePosition(const QWidget *window)
{
    if (const std::optional<NativeWindow> native = window->isVisible() ? nativeWindow(window) : std::nullopt) {
        if (const std::optional<QPoint> client = clientCorner(*native)) {
            const QMargins frame = nativeFrameMargins(*native);
            return *client - QPoint(frame.left(), frame.top());
        }
    }
    return qtFramePosition(window);
}

QMargins frameMargins(const QWidget *window)
{
    if (const std::optional<NativeWindow> native = window->isVisible() ? nativeWindow(window) : std::nullopt)
        return nativeFrameMargins(*native);
    return qtFrameMargins(window);
}

bool placedElsewhere(const QWidget *window)
{
    const Placement *placement = placementOf(window);
    return placement && placement->refusedAt(framePosition(window));
}

}
