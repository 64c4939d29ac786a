#include "settings/settingslocation.h"

#include "settings/resolvedfile.h"
#include "settings/storedfile.h"
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
    return home.isEmpty() ? SettingsLocation::accountHome() : home;
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

} // namespace

// The way walked once, the folder reached held.
struct SettingsLocation::Place : ResolvedFile
{
    using ResolvedFile::ResolvedFile;
};

SettingsLocation::SettingsLocation()
    : SettingsLocation(ownExecutable(), qgetenv("XDG_CONFIG_HOME"), homeFolder(), accountHome())
{
}

SettingsLocation::SettingsLocation(const QByteArray &executable, const QByteArray &configHome,
                                   const QByteArray &home, const QByteArray &accountHome)
{
    const QByteArray programFolder = folderOf(executable);
    if (programFolder.isEmpty())
        return;
    const bool installed = exists(inFolder(programFolder, QByteArrayLiteral(VINDRE_INSTALLED_ENTRY)));
    if (!installed) {
        auto beside = std::make_shared<const Place>(inFolder(programFolder, kFileName));
        if (beside->isKeptHere()) {
            m_folder = programFolder;
            m_place = std::move(beside);
            return;
        }
    }
    // The environment may be another user's (sudo -E, su -m): a folder there that is
    // not this user's own, or is reached through someone else's, is not used, and the
    // account's home is. That one is the system's word, where another user's folder
    // on the way is the administrator's choice, and is not held to the same rule.
    m_inConfigHome = true;
    const QByteArray fromEnvironment = configFolder(configHome, home);
    const QByteArray fromAccount = configFolder(QByteArray(), accountHome);
    const bool environmentUsed = fromAccount.isEmpty()
        || (!fromEnvironment.isEmpty() && ResolvedFile::leadsIntoOwnFolder(fromEnvironment));
    m_folder = environmentUsed ? fromEnvironment : fromAccount;
    const ResolvedFile::Way way = environmentUsed ? ResolvedFile::Way::OwnOrRoots : ResolvedFile::Way::Any;
    if (!m_folder.isEmpty())
        m_place = std::make_shared<const Place>(inFolder(m_folder, kFileName), ResolvedFile::ownerTrustedHere(),
                                                ResolvedFile::Folders::Existing, way);
}

SettingsLocation::~SettingsLocation() = default;

QByteArray SettingsLocation::accountHome()
{
    const passwd *entry = ::getpwuid(::geteuid());
    return entry && entry->pw_dir ? QByteArray(entry->pw_dir) : QByteArray();
}

QString SettingsLocation::shownPath() const
{
    return isKnown() ? QFile::decodeName(inFolder(m_folder, kFileName)) : QString();
}

std::unique_ptr<StoredFile> SettingsLocation::file(Use use) const
{
    if (!m_place) {
        if (use == Use::Writing)
            throw EIniFileException(QStringLiteral("設定ファイル %1 を置くフォルダが見つかりません")
                                        .arg(QString::fromLatin1(kFileName)));
        return std::make_unique<StoredFile>(std::make_unique<ResolvedFile>(QByteArray()), shownPath());
    }
    const bool makesFolders = use == Use::Writing && m_inConfigHome;
    return std::make_unique<StoredFile>(
        m_place->resumed(makesFolders ? ResolvedFile::Folders::Made : ResolvedFile::Folders::Existing), shownPath());
}
