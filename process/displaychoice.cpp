#include "process/displaychoice.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QList>

#include <algorithm>
#include <cstring>
#include <optional>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

char kPlatformOption[] = "-platform";
char kXcb[] = "xcb";
char kWayland[] = "wayland";

// The value of one of Qt's own options, spelt with one dash or two; the last one
// counts, as in Qt. Nothing when the option is not given with a value.
std::optional<QByteArray> optionValue(int argc, char *argv[], const char *option)
{
    std::optional<QByteArray> value;
    for (int i = 1; i + 1 < argc; ++i) {
        const char *name = std::strncmp(argv[i], "--", 2) == 0 ? argv[i] + 1 : argv[i];
        if (std::strcmp(name, option) == 0)
            value = argv[++i];
    }
    return value;
}

bool xServerAnswers(const QByteArray &display)
{
    if (display.isEmpty())
        return false;
    xcb_connection_t *connection = xcb_connect(display.constData(), nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

bool compositorAnswers()
{
    if (!qEnvironmentVariableIsEmpty("WAYLAND_SOCKET"))
        return true;
    const QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        return false;
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!name.startsWith('/') && runtime.isEmpty())
        return false;
    const QByteArray path = name.startsWith('/') ? name : runtime + '/' + name;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket == -1)
        return false;
    const bool connected = ::connect(socket, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    ::close(socket);
    return connected;
}

// Qt's Wayland plugin is a package of its own, often missing.
bool waylandPluginInstalled()
{
    QList<QByteArray> folders = qgetenv("QT_PLUGIN_PATH").split(':');
    folders.append(QFile::encodeName(QLibraryInfo::path(QLibraryInfo::PluginsPath)));
    for (const QByteArray &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QDir platforms(QFile::decodeName(folder) + QStringLiteral("/platforms"));
        if (!platforms.entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

bool waylandUsable()
{
    return compositorAnswers() && waylandPluginInstalled();
}

// Whether any plugin of a list such as "wayland;xcb" can start. Plugins other than
// the two display ones (offscreen, vnc ...) are Qt's own affair.
bool anyCanStart(const QByteArray &platforms, const QByteArray &display)
{
    for (const QByteArray &entry : platforms.split(';')) {
        const QByteArray name = entry.split(':').constFirst().trimmed();
        if (name == "xcb") {
            if (xServerAnswers(display))
                return true;
        } else if (name.startsWith("wayland")) {
            if (waylandUsable())
                return true;
        } else if (!name.isEmpty()) {
            return true;
        }
    }
    return false;
}

} // namespace

DisplayChoice::DisplayChoice(int argc, char *argv[])
    : m_argc(argc)
    , m_argv(argv, argv + argc)
{
    m_display = optionValue(argc, argv, "-display").value_or(QByteArray());
    if (m_display.isEmpty())
        m_display = qgetenv("DISPLAY");
    const std::optional<QByteArray> platformOption = optionValue(argc, argv, "-platform");
    const QByteArray chosen = platformOption ? *platformOption : qgetenv("QT_QPA_PLATFORM");

    char *plugin = nullptr;
    // An empty -platform names no plugin at all, and Qt aborts on it.
    if (platformOption && platformOption->isEmpty())
        m_found = false;
    else if (!chosen.isEmpty())
        m_found = anyCanStart(chosen, m_display);
    else if (xServerAnswers(m_display))
        plugin = kXcb;
    else if (waylandUsable())
        plugin = kWayland;
    // First, so that a -platform left without its value at the end cannot take it.
    if (plugin) {
        m_found = true;
        m_argv.insert(m_argv.begin() + std::min(argc, 1), {kPlatformOption, plugin});
        m_argc += 2;
    }
    m_argv.push_back(nullptr);
}

const char *DisplayChoice::missingMessage()
{
    return "vindre: no display to show the window on (DISPLAY is not set, or no X server answers there).\n"
           "Start it on a desktop, or under a virtual one: xvfb-run -a vindre\n";
}
