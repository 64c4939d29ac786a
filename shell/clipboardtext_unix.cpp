#include "shell/clipboardtext.h"

#include "shell/xcbreply.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>

#include <functional>

#include <poll.h>
#include <xcb/xcb.h>

namespace {

QByteArray g_display;

constexpr int kTimeoutMs = 2000;

using Event = XcbReply<xcb_generic_event_t>;

// One request for the clipboard's text through a connection and a window of its own,
// so that the events that answer it can be waited for without Qt's event loop.
class SelectionRequest
{
public:
    explicit SelectionRequest(int maxBytes)
        : m_maxBytes(maxBytes)
        , m_deadline(kTimeoutMs)
    {
        int screenNumber = 0;
        m_connection = xcb_connect(g_display.isEmpty() ? nullptr : g_display.constData(), &screenNumber);
        if (xcb_connection_has_error(m_connection))
            return;
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
        for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
            xcb_screen_next(&screens);
        m_clipboard = atom("CLIPBOARD");
        m_utf8 = atom("UTF8_STRING");
        m_incr = atom("INCR");
        m_property = atom("VINDRE_CLIPBOARD");
        m_window = xcb_generate_id(m_connection);
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screens.data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    }

    ~SelectionRequest()
    {
        // Destroying the window also ends a transfer in pieces that was not read to its end.
        if (m_window)
            xcb_destroy_window(m_connection, m_window);
        xcb_disconnect(m_connection);
    }

    std::optional<QString> text()
    {
        if (!m_window)
            return std::nullopt;
        // The window's id comes back with the next connection, and an owner's late
        // answer to an earlier request with it: only the request's own time tells
        // the answer to this one, and CurrentTime would be echoed by every answer.
        const std::optional<xcb_timestamp_t> time = serverTime();
        if (!time)
            return std::nullopt;
        for (const xcb_atom_t target : {m_utf8, xcb_atom_t(XCB_ATOM_STRING)}) {
            xcb_convert_selection(m_connection, m_window, m_clipboard, target, m_property, *time);
            xcb_flush(m_connection);
            const Event notify = waitFor([this, target, time](const xcb_generic_event_t *event) {
                const auto *answer = reinterpret_cast<const xcb_selection_notify_event_t *>(event);
                return (event->response_type & 0x7f) == XCB_SELECTION_NOTIFY && answer->requestor == m_window
                    && answer->selection == m_clipboard && answer->target == target && answer->time == *time;
            });
            if (!notify)
                return std::nullopt;
            if (reinterpret_cast<const xcb_selection_notify_event_t *>(notify.get())->property != m_property)
                continue;
            if (std::optional<QString> text = readProperty())
                return text;
        }
        return std::nullopt;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, false, uint16_t(qstrlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    bool isText(xcb_atom_t type) const { return type == m_utf8 || type == XCB_ATOM_STRING; }

    QString decoded(xcb_atom_t type, const QByteArray &bytes) const
    {
        // ICCCM's STRING is Latin-1.
        return type == XCB_ATOM_STRING ? QString::fromLatin1(bytes) : QString::fromUtf8(bytes);
    }

    // Events that do not answer the request are dropped; null once the time is up.
    Event waitFor(const std::function<bool(const xcb_generic_event_t *)> &answers)
    {
        for (;;) {
            while (Event event{xcb_poll_for_event(m_connection)}) {
                if (answers(event.get()))
                    return event;
            }
            const qint64 remaining = m_deadline.remainingTime();
            if (remaining == 0 || xcb_connection_has_error(m_connection))
                return nullptr;
            pollfd socket{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&socket, 1, int(remaining));
        }
    }

    // The server's time now, from an empty change to a property of our window.
    std::optional<xcb_timestamp_t> serverTime()
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                            nullptr);
        xcb_flush(m_connection);
        const Event notify = waitFor([this](const xcb_generic_event_t *event) {
            const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            return (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && change->window == m_window
                && change->atom == XCB_ATOM_WM_NAME;
        });
        if (!notify)
            return std::nullopt;
        return reinterpret_cast<const xcb_property_notify_event_t *>(notify.get())->time;
    }

    // At most `wanted` bytes of the property, deleted once read whole, which tells an
    // owner sending in pieces to send the next one. `more` says some were left.
    XcbReply<xcb_get_property_reply_t> property(int wanted, bool *more)
    {
        XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, true, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                             uint32_t(wanted + 3) / 4),
            nullptr));
        if (reply && reply->type == XCB_NONE)
            reply.reset();
        *more = reply && reply->bytes_after > 0;
        return reply;
    }

    static QByteArray bytesOf(xcb_get_property_reply_t *reply)
    {
        return QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                          xcb_get_property_value_length(reply));
    }

    // The text, whole or as far as the reader looks at it; nothing when the property
    // holds no text, or a text in pieces that did not come to its end in time.
    std::optional<QString> readProperty()
    {
        bool more = false;
        const XcbReply<xcb_get_property_reply_t> first = property(m_maxBytes, &more);
        if (!first)
            return std::nullopt;
        if (first->type != m_incr) {
            if (!isText(first->type))
                return std::nullopt;
            return decoded(first->type, bytesOf(first.get()).left(m_maxBytes));
        }
        // A large text comes in pieces, ended by an empty one; only as many are read
        // as the reader will look at.
        xcb_flush(m_connection);
        QByteArray bytes;
        xcb_atom_t type = XCB_ATOM_NONE;
        while (bytes.size() < m_maxBytes && !more) {
            const Event piece = waitFor([this](const xcb_generic_event_t *event) {
                const auto *notify = reinterpret_cast<const xcb_property_notify_event_t *>(event);
                return (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && notify->window == m_window
                    && notify->atom == m_property && notify->state == XCB_PROPERTY_NEW_VALUE;
            });
            if (!piece)
                return std::nullopt;
            const XcbReply<xcb_get_property_reply_t> reply = property(m_maxBytes - int(bytes.size()), &more);
            if (!reply)
                return std::nullopt;
            if (xcb_get_property_value_length(reply.get()) == 0)
                return decoded(type, bytes);
            if (!isText(reply->type) || (type != XCB_ATOM_NONE && reply->type != type))
                return std::nullopt;
            type = reply->type;
            bytes += bytesOf(reply.get());
            xcb_flush(m_connection);
        }
        return decoded(type, bytes);
    }

    int m_maxBytes;
    QDeadlineTimer m_deadline;
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = XCB_ATOM_NONE;
    xcb_atom_t m_utf8 = XCB_ATOM_NONE;
    xcb_atom_t m_incr = XCB_ATOM_NONE;
    xcb_atom_t m_property = XCB_ATOM_NONE;
};

} // namespace

namespace ClipboardText {

void setDisplay(const QByteArray &display)
{
    g_display = display;
}

std::optional<QString> read(int maxLength)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    // Our own text is at hand, and our own event loop, which would answer the
    // request, is not running while this waits.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || clipboard->ownsClipboard()) {
        const QString text = clipboard->text();
        if (text.isEmpty())
            return std::nullopt;
        return text.left(maxLength + 1);
    }
    // A character takes at most four bytes in UTF-8.
    SelectionRequest request((maxLength + 1) * 4);
    const std::optional<QString> text = request.text();
    if (!text || text->isEmpty())
        return std::nullopt;
    return text->left(maxLength + 1);
}

}
