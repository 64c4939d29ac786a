#include "shell/inputgrab.h"

#include "shell/x11.h"
#include "shell/xcbreply.h"

#include <QCoreApplication>

InputGrab::InputGrab(QObject *parent)
    : QObject(parent)
{
}

InputGrab::~InputGrab()
{
    release();
}

bool InputGrab::hold(QWindow *window)
{
    xcb_connection_t *c = X11::connection();
    if (!c || m_window)
        return false;
    const auto id = xcb_window_t(window->winId());
    const uint16_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE
        | XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW | XCB_EVENT_MASK_LEAVE_WINDOW;
    const xcb_grab_pointer_cookie_t pointer = xcb_grab_pointer(
        c, false, id, events, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, XCB_CURRENT_TIME);
    const xcb_grab_keyboard_cookie_t keyboard
        = xcb_grab_keyboard(c, false, id, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    const XcbReply<xcb_grab_pointer_reply_t> pointerReply(xcb_grab_pointer_reply(c, pointer, nullptr));
    const XcbReply<xcb_grab_keyboard_reply_t> keyboardReply(xcb_grab_keyboard_reply(c, keyboard, nullptr));
    const bool pointerHeld = pointerReply && pointerReply->status == XCB_GRAB_STATUS_SUCCESS;
    const bool keyboardHeld = keyboardReply && keyboardReply->status == XCB_GRAB_STATUS_SUCCESS;
    if (!pointerHeld || !keyboardHeld) {
        if (pointerHeld)
            xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        if (keyboardHeld)
            xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        xcb_flush(c);
        return false;
    }
    m_window = id;
    m_since = pointer.sequence;
    qApp->installNativeEventFilter(this);
    return true;
}

void InputGrab::release()
{
    if (!m_window)
        return;
    m_window = 0;
    qApp->removeNativeEventFilter(this);
    if (xcb_connection_t *c = X11::connection()) {
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
        xcb_flush(c);
    }
}

bool InputGrab::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!m_window || eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & ~0x80) {
    case XCB_MOTION_NOTIFY: {
        const auto *motion = reinterpret_cast<const xcb_motion_notify_event_t *>(event);
        if (motion->event != m_window)
            break;
        // At once, so that a click that follows is handled with the move before it.
        emit moved(QPoint(motion->root_x, motion->root_y));
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto *unmap = reinterpret_cast<const xcb_unmap_notify_event_t *>(event);
        // The server numbers each event after the last request of ours it had done:
        // one older than the hold is what hiding the window the time before left.
        if (unmap->window != m_window || int16_t(uint16_t(unmap->sequence - m_since)) < 0)
            break;
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_window)
                    return;
                release();
                emit lost();
            },
            Qt::QueuedConnection);
        break;
    }
    default:
        break;
    }
    return false;
}
