#include "settings/resolvedfile.h"

#include <QList>

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the kernel follows on one lookup before it answers ELOOP.
constexpr int kMostLinks = 40;

QByteArray parentOf(const QByteArray &folder)
{
    const qsizetype slash = folder.lastIndexOf('/');
    return slash <= 0 ? QByteArrayLiteral("/") : folder.left(slash);
}

QByteArray joined(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QByteArray workingFolder()
{
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    if (!::getcwd(buffer.data(), size_t(buffer.size())))
        return QByteArray();
    buffer.truncate(qsizetype(qstrlen(buffer.constData())));
    return buffer;
}

// The target of the link opened as link, read from that same handle.
QByteArray linkTarget(int link)
{
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(link, "", buffer.data(), size_t(buffer.size()));
    if (length <= 0 || length >= buffer.size())
        return QByteArray();
    buffer.truncate(length);
    return buffer;
}

bool isFollowed(int folder, const struct stat &link, std::optional<uid_t> trustedLinkOwner)
{
    struct stat shared = {};
    if (::fstat(folder, &shared) != 0)
        return false;
    const bool stickyForAll = (shared.st_mode & S_ISVTX) && (shared.st_mode & S_IWOTH);
    if (stickyForAll && link.st_uid != ::geteuid() && link.st_uid != shared.st_uid)
        return false;
    return !trustedLinkOwner || (link.st_uid == *trustedLinkOwner && link.st_nlink == 1);
}

// The names of a path in the order they are walked, the first one last, so that a
// link's target can be put on top of what is still to come.
void pushNames(QList<QByteArray> &pending, const QByteArray &path)
{
    const QList<QByteArray> names = path.split('/');
    for (auto name = names.crbegin(); name != names.crend(); ++name) {
        if (!name->isEmpty() && *name != ".")
            pending.append(*name);
    }
}

} // namespace

ResolvedFile::ResolvedFile(const QByteArray &path, std::optional<uid_t> trustedLinkOwner, Folders folders)
{
    const auto startAt = [this](const QByteArray &folderPath) {
        if (m_folder != -1)
            ::close(m_folder);
        m_folder = ::open(folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        m_folderPath = folderPath;
        return m_folder != -1;
    };
    if (path.isEmpty() || !startAt(path.startsWith('/') ? QByteArrayLiteral("/") : workingFolder())) {
        m_status = Status::NoFolder;
        return;
    }

    QList<QByteArray> pending;
    pushNames(pending, path);
    int links = 0;
    while (!pending.isEmpty()) {
        const QByteArray name = pending.takeLast();
        const bool last = pending.isEmpty();
        if (name == "..") {
            if (last)
                break;
            const int parent = ::openat(m_folder, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (parent == -1) {
                m_status = Status::NoFolder;
                return;
            }
            ::close(m_folder);
            m_folder = parent;
            m_folderPath = parentOf(m_folderPath);
            continue;
        }

        int entry = ::openat(m_folder, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        if (entry == -1 && errno == ENOENT) {
            // A file not made yet is still a name to make it under.
            if (last) {
                m_status = Status::Resolved;
                m_name = name;
                return;
            }
            if (folders == Folders::Existing || !makeFolder(name)) {
                m_status = folders == Folders::Existing ? Status::MissingFolder : Status::NoFolder;
                return;
            }
            entry = ::openat(m_folder, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        }
        struct stat status = {};
        if (entry == -1 || ::fstat(entry, &status) != 0) {
            if (entry != -1)
                ::close(entry);
            m_status = Status::NoFolder;
            return;
        }
        if (S_ISLNK(status.st_mode)) {
            const bool followed = isFollowed(m_folder, status, trustedLinkOwner);
            const QByteArray target = followed ? linkTarget(entry) : QByteArray();
            ::close(entry);
            if (!followed) {
                m_status = Status::UntrustedLink;
                return;
            }
            if (++links > kMostLinks || target.isEmpty())
                break;
            if (target.startsWith('/') && !startAt(QByteArrayLiteral("/"))) {
                m_status = Status::NoFolder;
                return;
            }
            pushNames(pending, target);
            continue;
        }
        if (last) {
            ::close(entry);
            m_status = Status::Resolved;
            m_name = name;
            return;
        }
        if (!S_ISDIR(status.st_mode)) {
            ::close(entry);
            m_status = Status::NoFolder;
            return;
        }
        ::close(m_folder);
        m_folder = entry;
        m_folderPath = joined(m_folderPath, name);
    }
    // Too many links, an empty one, or a name that ends in a folder.
    m_status = Status::Unresolvable;
}

ResolvedFile::~ResolvedFile()
{
    if (m_folder != -1)
        ::close(m_folder);
}

std::optional<uid_t> ResolvedFile::ownerTrustedHere()
{
    return ::geteuid() == 0 ? std::optional<uid_t>(0) : std::nullopt;
}

QByteArray ResolvedFile::realPath() const
{
    return isResolved() ? joined(m_folderPath, m_name) : QByteArray();
}

bool ResolvedFile::folderIsOwn() const
{
    struct stat folder = {};
    return m_folder != -1 && ::fstat(m_folder, &folder) == 0 && folder.st_uid == ::geteuid();
}

bool ResolvedFile::makeFolder(const QByteArray &name) const
{
    return folderIsOwn() && (::mkdirat(m_folder, name.constData(), 0700) == 0 || errno == EEXIST);
}

bool ResolvedFile::isKeptHere() const
{
    if (!isResolved())
        return false;
    const uid_t user = ::geteuid();
    const bool folderWritable = ::faccessat(m_folder, ".", W_OK | X_OK, AT_EACCESS) == 0;
    struct stat file = {};
    if (::fstatat(m_folder, m_name.constData(), &file, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT && folderWritable && folderIsOwn();
    // Root's replacement keeps the owner; anyone else's becomes theirs, which is
    // only right in a folder of their own or for a file that was theirs already.
    if ((file.st_uid == user || user == 0)
        && ::faccessat(m_folder, m_name.constData(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) == 0)
        return true;
    return folderWritable && (user == 0 || file.st_uid == user || folderIsOwn());
}
