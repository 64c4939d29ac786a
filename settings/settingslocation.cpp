#include "settings/settingslocation.h"

#include "shell/exception.h"

#include <QFile>

#include <climits>

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
    return ::stat(path.constData(), &info) == 0;
}

bool writable(const QByteArray &path)
{
    return ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0;
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
    const bool installed = exists(inFolder(programFolder, QByteArrayLiteral(VINDRE_INSTALLED_ENTRY)));
    if (!installed && (writable(programFolder) || writable(inFolder(programFolder, kFileName)))) {
        m_folder = programFolder;
    } else {
        m_folder = configFolder(configHome, home);
        m_inConfigHome = true;
    }
}

QString SettingsLocation::shownPath() const
{
    return isKnown() ? QFile::decodeName(inFolder(m_folder, kFileName)) : QString();
}

QByteArray SettingsLocation::pathForReading() const
{
    return isKnown() ? inFolder(m_folder, kFileName) : QByteArray();
}

QByteArray SettingsLocation::pathForWriting() const
{
    if (!isKnown())
        throw EIniFileException(QStringLiteral("設定ファイル %1 を置くフォルダが見つかりません")
                                    .arg(QString::fromLatin1(kFileName)));
    if (m_inConfigHome)
        makeFolders(m_folder);
    return inFolder(m_folder, kFileName);
}
