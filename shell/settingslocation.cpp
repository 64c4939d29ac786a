#include "shell/settingslocation.h"

#include "shell/exception.h"
#include "shell/inifile.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kFileName = QByteArrayLiteral("vindre.ini");
const QByteArray kConfigFolder = QByteArrayLiteral("vindre");

// The running program's own file, as the kernel knows it; empty when /proc is not there.
QByteArray ownExecutable()
{
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0 || length >= buffer.size())
        return QByteArray();
    buffer.truncate(length);
    return buffer;
}

QByteArray homeFolder()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return home;
    const passwd *entry = ::getpwuid(::geteuid());
    return entry && entry->pw_dir ? QByteArray(entry->pw_dir) : QByteArray();
}

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (!path.startsWith('/') || slash < 0)
        return QByteArray();
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray inFolder(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool exists(const QByteArray &path)
{
    struct stat info;
    return ::lstat(path.constData(), &info) == 0;
}

// Relative and empty values mean "not set" to every program that follows the XDG
// base directories.
QByteArray configFolder(const QByteArray &configHome, const QByteArray &home)
{
    if (configHome.startsWith('/'))
        return inFolder(configHome, kConfigFolder);
    if (home.startsWith('/'))
        return inFolder(inFolder(home, ".config"), kConfigFolder);
    return QByteArray();
}

// Makes every missing folder of path, readable by the user alone.
void makeFolders(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash != -1; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0700);
    ::mkdir(path.constData(), 0700);
}

} // namespace

SettingsLocation::SettingsLocation()
    : SettingsLocation(ownExecutable(), qgetenv("XDG_CONFIG_HOME"), homeFolder())
{
}

SettingsLocation::SettingsLocation(const QByteArray &executable, const QByteArray &configHome,
                                   const QByteArray &home)
{
    const QByteArray programFolder = folderOf(executable);
    if (programFolder.isEmpty())
        return;
    if (::access(programFolder.constData(), W_OK) == 0 || exists(inFolder(programFolder, kFileName))) {
        m_folder = programFolder;
    } else {
        m_folder = configFolder(configHome, home);
        m_inConfigHome = true;
    }
}

SettingsLocation::~SettingsLocation()
{
    if (m_folderDescriptor != -1)
        ::close(m_folderDescriptor);
}

QString SettingsLocation::shownPath() const
{
    return isKnown() ? QFile::decodeName(inFolder(m_folder, kFileName)) : QString();
}

QString SettingsLocation::pathForReading()
{
    return isKnown() ? reachablePath() : QString();
}

QString SettingsLocation::pathForWriting()
{
    if (!isKnown())
        throw EIniFileException(QStringLiteral("設定ファイル %1 を置くフォルダが見つかりません")
                                    .arg(QString::fromLatin1(kFileName)));
    if (m_inConfigHome)
        makeFolders(m_folder);
    const QString path = reachablePath();
    if (path.isEmpty())
        throw EIniFileException(QStringLiteral("%1 に書き込めません").arg(shownPath()));
    return path;
}

void SettingsLocation::save(TIniFile &settings)
{
    try {
        settings.updateFile();
    } catch (const EIniFileException &e) {
        const QString reached = reachablePath();
        if (reached == shownPath())
            throw;
        throw EIniFileException(QString(e.message()).replace(reached, shownPath()));
    }
}

QString SettingsLocation::reachablePath()
{
    const QString shown = shownPath();
    if (QFile::encodeName(shown) == inFolder(m_folder, kFileName))
        return shown;
    if (m_folderDescriptor == -1)
        m_folderDescriptor = ::open(m_folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    // A folder that cannot be opened holds no file to read and takes none.
    if (m_folderDescriptor == -1)
        return QString();
    return QStringLiteral("/proc/self/fd/%1/%2").arg(m_folderDescriptor).arg(QString::fromLatin1(kFileName));
}
