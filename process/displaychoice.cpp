#include "process/displaychoice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QPluginLoader>

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

char kPlatformOption[] = "-platform";
// What Qt's platform plugins declare themselves to be.
const char kPlatformPluginInterface[] = "org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface.5.3";
char kXcb[] = "xcb";
char kWayland[] = "wayland";

// What Qt makes of its command line and environment before it opens a display.
struct QtReading
{
    QByteArray platforms; // the plugins to try, as in "wayland;xcb"
    QByteArray pluginFolder; // -platformpluginpath, QT_QPA_PLATFORM_PLUGIN_PATH
    QByteArray display; // the X display named to the xcb plugin
};

bool oneOf(const char *argument, std::initializer_list<const char *> options)
{
    return std::any_of(options.begin(), options.end(),
                       [argument](const char *option) { return std::strcmp(argument, option) == 0; });
}

// Qt reads its command line in passes, each taking its own options, with their
// values, out of what the passes before left: QGuiApplication's pass for the
// platform plugin first, then the xcb plugin's own, which opens the display. The
// passes after (-style, -session, -plugin, -reverse ...) come too late to matter.
QtReading readAsQt(const std::vector<char *> &arguments, const QByteArray &platforms)
{
    QtReading reading{platforms, qgetenv("QT_QPA_PLATFORM_PLUGIN_PATH"), {}};
    std::vector<const char *> left;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const char *argument = arguments[i];
        if (*argument != '-') {
            left.push_back(argument);
            continue;
        }
        // The X11 names of some options only while the plugin is to be xcb's, as
        // Qt decides it option by option.
        const bool xcb = reading.platforms.startsWith("xcb");
        if (argument[1] == '-')
            ++argument;
        const bool last = i + 1 == arguments.size();
        if (std::strcmp(argument, "-platform") == 0) {
            if (!last)
                reading.platforms = arguments[i + 1];
            ++i;
        } else if (std::strcmp(argument, "-platformpluginpath") == 0) {
            if (!last)
                reading.pluginFolder = arguments[i + 1];
            ++i;
        } else if (oneOf(argument, {"-platformtheme", "-qwindowgeometry", "-qwindowtitle", "-qwindowicon"})
                   || (xcb && oneOf(argument, {"-geometry", "-title", "-icon"}))) {
            ++i;
        } else {
            left.push_back(arguments[i]);
        }
    }
    // The xcb plugin's pass takes an option only with a value after it.
    for (std::size_t i = 0; i + 1 < left.size(); ++i) {
        const char *argument = std::strncmp(left[i], "--", 2) == 0 ? left[i] + 1 : left[i];
        if (std::strcmp(argument, "-display") == 0)
            reading.display = left[++i];
        else if (oneOf(argument, {"-name", "-visual"}))
            ++i;
    }
    return reading;
}

bool xServerAnswers(const QByteArray &display)
{
    if (display.isEmpty())
        return false;
    // Asked for the screen number, xcb refuses one past the server's last (":0.5"),
    // which Qt would abort on; a negative one (":0.-1"), which Qt crashes on, it lets by.
    int screen = 0;
    xcb_connection_t *connection = xcb_connect(display.constData(), &screen);
    const bool connected = xcb_connection_has_error(connection) == 0 && screen >= 0;
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

// Whether a platform plugin of this name is there, where Qt looks for it: the folder
// named for plugins first, then Qt's plugin folders (QT_PLUGIN_PATH, its own, the
// program's) and their platforms/; its name is read from it without loading it.
bool pluginInstalled(const QByteArray &name, const QByteArray &pluginFolder)
{
    QStringList paths = QCoreApplication::libraryPaths();
    paths.append(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath());
    QStringList folders;
    if (!pluginFolder.isEmpty())
        folders = QStringList{QFile::decodeName(pluginFolder)} + paths;
    for (const QString &path : std::as_const(paths))
        folders.append(path + QStringLiteral("/platforms"));
    for (const QString &folder : std::as_const(folders)) {
        // Each file read costs start-up time; the one named after the plugin, as
        // Qt's own are, is read first.
        QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
        std::stable_partition(files.begin(), files.end(), [&name](const QFileInfo &file) {
            return file.fileName().contains(QLatin1String(name), Qt::CaseInsensitive);
        });
        for (const QFileInfo &file : std::as_const(files)) {
            const QJsonObject metaData = QPluginLoader(file.absoluteFilePath()).metaData();
            if (metaData.value(QLatin1String("IID")) != QLatin1String(kPlatformPluginInterface))
                continue;
            const QJsonObject keys = metaData.value(QLatin1String("MetaData")).toObject();
            for (const QJsonValue &key : keys.value(QLatin1String("Keys")).toArray()) {
                if (key.toString().compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
    }
    return false;
}

// The names of the plugins of a list as Qt takes them: "wayland;xcb", "xcb:nograb".
QList<QByteArray> pluginNames(const QByteArray &platforms)
{
    QList<QByteArray> names;
    for (const QByteArray &entry : platforms.split(';')) {
        for (const QByteArray &part : entry.split(':')) {
            if (!part.isEmpty()) {
                names.append(part.toLower());
                break;
            }
        }
    }
    return names;
}

// The display the xcb plugin opens: an empty name means $DISPLAY to it too.
QByteArray xDisplay(const QtReading &reading)
{
    return reading.display.isEmpty() ? qgetenv("DISPLAY") : reading.display;
}

// Whether any plugin of the list can start: an X server or a compositor answers
// for the display ones; the others (offscreen, vnc ...) are Qt's own affair. Only
// a plugin the user named may be missing; looking for one costs every start time.
bool anyCanStart(const QtReading &reading, bool named)
{
    for (const QByteArray &name : pluginNames(reading.platforms)) {
        if (named && !pluginInstalled(name, reading.pluginFolder))
            continue;
        if (name == kXcb ? xServerAnswers(xDisplay(reading)) : !name.startsWith(kWayland) || compositorAnswers())
            return true;
    }
    return false;
}

bool anyInstalled(const QtReading &reading)
{
    const QList<QByteArray> names = pluginNames(reading.platforms);
    return std::any_of(names.begin(), names.end(),
                       [&reading](const QByteArray &name) { return pluginInstalled(name, reading.pluginFolder); });
}

} // namespace

DisplayChoice::DisplayChoice(int argc, char *argv[])
    : m_argv(argv, argv + argc)
{
    const QByteArray variable = qgetenv("QT_QPA_PLATFORM");
    QtReading reading;
    if (!variable.isEmpty()) {
        reading = readAsQt(m_argv, variable);
        m_found = anyCanStart(reading, true);
    } else {
        // Ours goes first, so that Qt reads the rest as it is read here; a -platform
        // of the user's comes after it and stands, whether it can start or not.
        for (char *plugin : {kXcb, kWayland}) {
            std::vector<char *> arguments = m_argv;
            arguments.insert(arguments.begin() + std::min(argc, 1), {kPlatformOption, plugin});
            const QtReading ours = readAsQt(arguments, {});
            m_found = anyCanStart(ours, ours.platforms != plugin);
            if (m_found || ours.platforms != plugin) {
                m_argv = std::move(arguments);
                reading = ours;
                break;
            }
            // The display probed, also when no X server answers there.
            if (plugin == kXcb)
                reading = ours;
        }
    }
    if (!m_found && !anyInstalled(reading))
        m_unknownPlugin = reading.platforms;
    m_display = xDisplay(reading);
    m_argc = int(m_argv.size());
    m_argv.push_back(nullptr);
}

QByteArray DisplayChoice::missingMessage() const
{
    const QByteArray reason = m_unknownPlugin.isEmpty()
        ? QByteArrayLiteral("DISPLAY is not set, or no X server answers there")
        : "Qt has no platform plugin \"" + m_unknownPlugin + '"';
    return "vindre: no display to show the window on (" + reason + ").\n"
           "Start it on a desktop, or under a virtual one: xvfb-run -a vindre\n";
}
