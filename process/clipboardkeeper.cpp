#include "process/clipboardkeeper.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QString>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcb.h>

extern char **environ;

namespace {

const char kKeeperOption[] = "--keep-clipboard";

// Far above any text the program copies; it keeps every answer within one request.
constexpr qsizetype kMaxText = 64 * 1024;

xcb_atom_t internAtom(xcb_connection_t *connection, const QByteArray &name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}

xcb_window_t selectionOwner(xcb_connection_t *connection, xcb_atom_t selection)
{
    xcb_get_selection_owner_reply_t *reply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    const xcb_window_t owner = reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
    std::free(reply);
    return owner;
}

// A fresh process of the running program itself: forking would copy the program
// without the threads its libraries keep, and a path, looked up again now, may name
// another file since the program started (an upgrade, a rebuild). /proc/self/exe is
// the file this process runs, replaced or not, so the keeper keeps that file mapped
// while it runs. In a session of its own, with nothing of ours open but the socket
// the text comes through, so it holds no terminal, other file or folder, and the
// program is free to end at once.
bool spawnKeeper(const QByteArray &text, xcb_window_t formerOwner, const QByteArray &display)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    posix_spawn_file_actions_addchdir_np(&actions, "/");

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    QByteArray name("vindre");
    QByteArray option(kKeeperOption);
    QByteArray owner = QByteArray::number(formerOwner);
    QByteArray displayName = display;
    char *arguments[] = {name.data(), option.data(), owner.data(), displayName.data(), nullptr};
    pid_t pid = 0;
    const int failure = ::posix_spawn(&pid, "/proc/self/exe", &actions, &attributes, arguments, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);

    // Far less than the socket's buffer: this never waits for the keeper.
    for (qsizetype sent = 0; !failure && sent < text.size();) {
        const ssize_t n = ::send(ends[0], text.constData() + sent, size_t(text.size() - sent), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += n;
    }
    ::close(ends[0]);
    return !failure;
}

QByteArray notifyEvent(const xcb_selection_notify_event_t &notify)
{
    // xcb_send_event passes on 32 bytes whatever the event's own size, and the server
    // hands them to a client that may be anyone's: the rest must be zeros, not
    // whatever lay beside the event in our memory.
    QByteArray event(32, '\0');
    static_assert(sizeof notify <= 32);
    std::memcpy(event.data(), &notify, sizeof notify);
    return event;
}

} // namespace

ClipboardKeeper::ClipboardKeeper(QByteArray utf8Text)
    : m_text(std::move(utf8Text))
{
}

ClipboardKeeper::~ClipboardKeeper()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

QList<QByteArray> ClipboardKeeper::targets()
{
    return {"TARGETS", "TIMESTAMP", "UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING", "TEXT"};
}

std::optional<ClipboardKeeper::Answer> ClipboardKeeper::answer(const QByteArray &target, const QByteArray &utf8Text)
{
    if (target == "UTF8_STRING" || target == "text/plain;charset=utf-8" || target == "text/plain")
        return Answer{target, utf8Text};
    // ICCCM's STRING is Latin-1; TEXT leaves the encoding to us.
    if (target == "STRING" || target == "TEXT")
        return Answer{"STRING", QString::fromUtf8(utf8Text).toLatin1()};
    return std::nullopt;
}

xcb_atom_t ClipboardKeeper::atom(const QByteArray &name) const
{
    const qsizetype index = m_atomNames.indexOf(name);
    return index < 0 ? xcb_atom_t(XCB_ATOM_NONE) : m_atoms.at(index);
}

QByteArray ClipboardKeeper::atomName(xcb_atom_t atom) const
{
    const qsizetype index = m_atoms.indexOf(atom);
    return index < 0 || atom == XCB_ATOM_NONE ? QByteArray() : m_atomNames.at(index);
}

// ICCCM wants a real server time for taking a selection, not CurrentTime: an
// empty change to a property of our window brings one back.
xcb_timestamp_t ClipboardKeeper::serverTime()
{
    xcb_change_property(m_connection, XCB_PROP_MODE_APPEND, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0,
                        nullptr);
    xcb_flush(m_connection);
    while (xcb_generic_event_t *event = xcb_wait_for_event(m_connection)) {
        const bool notify = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
        const xcb_timestamp_t time = notify ? reinterpret_cast<xcb_property_notify_event_t *>(event)->time : 0;
        std::free(event);
        if (notify)
            return time;
    }
    return XCB_CURRENT_TIME;
}

bool ClipboardKeeper::serve(const QByteArray &display, std::uint32_t formerOwner)
{
    int screenNumber = 0;
    m_connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection))
        return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return false;

    m_window = xcb_generate_id(m_connection);
    const uint32_t eventMask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screens.data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &eventMask);

    m_atomNames = targets() + QList<QByteArray>{"CLIPBOARD"};
    for (const QByteArray &name : std::as_const(m_atomNames))
        m_atoms.append(internAtom(m_connection, name));
    m_time = serverTime();
    if (m_time == XCB_CURRENT_TIME)
        return false;

    // Someone copied in the short time since the program ended: theirs is newer.
    const xcb_atom_t clipboard = atom("CLIPBOARD");
    const xcb_window_t owner = selectionOwner(m_connection, clipboard);
    if (owner != XCB_WINDOW_NONE && owner != formerOwner)
        return false;
    xcb_set_selection_owner(m_connection, m_window, clipboard, m_time);
    if (selectionOwner(m_connection, clipboard) != m_window)
        return false;

    // Until another program copies (SelectionClear) or the display goes away (no
    // event). Any client may send a SelectionClear of its own making; only the
    // server's means the clipboard has gone to someone else.
    while (xcb_generic_event_t *event = xcb_wait_for_event(m_connection)) {
        const uint8_t type = event->response_type & 0x7F;
        const bool fromServer = (event->response_type & 0x80) == 0;
        if (type == XCB_SELECTION_REQUEST)
            reply(*reinterpret_cast<xcb_selection_request_event_t *>(event));
        std::free(event);
        if (type == XCB_SELECTION_CLEAR && fromServer)
            break;
    }
    return true;
}

void ClipboardKeeper::reply(const xcb_selection_request_event_t &request)
{
    // Requestors from before ICCCM 2 name no property: the target's name serves.
    const xcb_atom_t property = request.property != XCB_ATOM_NONE ? request.property : request.target;
    bool given = false;
    if (request.selection == atom("CLIPBOARD")) {
        const QByteArray target = atomName(request.target);
        if (target == "TARGETS") {
            QList<xcb_atom_t> offered;
            for (const QByteArray &name : targets())
                offered.append(atom(name));
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM,
                                32, uint32_t(offered.size()), offered.constData());
            given = true;
        } else if (target == "TIMESTAMP") {
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                XCB_ATOM_INTEGER, 32, 1, &m_time);
            given = true;
        } else if (const std::optional<Answer> text = answer(target, m_text)) {
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property,
                                atom(text->type), 8, uint32_t(text->data.size()), text->data.constData());
            given = true;
        }
    }

    xcb_selection_notify_event_t notify = {};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = given ? property : xcb_atom_t(XCB_ATOM_NONE);
    xcb_send_event(m_connection, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, notifyEvent(notify).constData());
    xcb_flush(m_connection);
}

bool ClipboardKeeper::startIfNeeded(const QByteArray &display)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard())
        return false;
    const QMimeData *data = clipboard->mimeData(QClipboard::Clipboard);
    if (!data || !data->hasText())
        return false;
    const QByteArray text = data->text().toUtf8();
    if (text.isEmpty() || text.size() > kMaxText)
        return false;

    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11)
        return false;
    xcb_connection_t *connection = x11->connection();
    // A clipboard manager takes the text over as Qt shuts down.
    if (selectionOwner(connection, internAtom(connection, "CLIPBOARD_MANAGER")) != XCB_WINDOW_NONE)
        return false;
    return spawnKeeper(text, selectionOwner(connection, internAtom(connection, "CLIPBOARD")), display);
}

bool ClipboardKeeper::isKeeperCommand(int argc, char *argv[])
{
    return argc == 4 && std::strcmp(argv[1], kKeeperOption) == 0;
}

int ClipboardKeeper::runKeeperCommand(int, char *argv[])
{
    // The kernel names a process after the file it runs, here /proc/self/exe: ps,
    // top and pgrep would show "exe". The name the program goes by instead.
    ::prctl(PR_SET_NAME, argv[0], 0, 0, 0);
    const std::uint32_t formerOwner = std::uint32_t(std::strtoul(argv[2], nullptr, 10));
    QByteArray text;
    char buffer[4096];
    ssize_t n = 0;
    while (text.size() <= kMaxText && (n = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0)
        text.append(buffer, n);
    if (text.isEmpty() || text.size() > kMaxText)
        return EXIT_FAILURE;
    ClipboardKeeper keeper(text);
    return keeper.serve(QByteArray(argv[3]), formerOwner) ? EXIT_SUCCESS : EXIT_FAILURE;
}
