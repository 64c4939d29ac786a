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

ResolvedFile::ResolvedFile(std::optional<uid_t> trustedLinkOwner, Way way)
    : m_trustedLinkOwner(trustedLinkOwner)
    , m_way(way)
{
}

ResolvedFile::ResolvedFile(const QByteArray &path, std::optional<uid_t> trustedLinkOwner, Folders folders, Way way)
    : ResolvedFile(trustedLinkOwner, way)
{
    m_status = Status::NoFolder;
    if (path.isEmpty() || !startAt(path.startsWith('/') ? QByteArrayLiteral("/") : workingFolder()))
        return;
    QList<QByteArray> pending;
    pushNames(pending, path);
    walk(std::move(pending), folders);
}

bool ResolvedFile::startAt(const QByteArray &folderPath)
{
    if (m_folder != -1)
        ::close(m_folder);
    m_folder = ::open(folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    m_folderPath = folderPath;
    struct stat status = {};
    if (m_folder != -1 && ::fstat(m_folder, &status) == 0 && isEntered(status))
        return true;
    m_status = m_folder == -1 ? Status::NoFolder : Status::UntrustedLink;
    if (m_folder != -1)
        ::close(m_folder);
    m_folder = -1;
    return false;
}

void ResolvedFile::walk(QList<QByteArray> pending, Folders folders)
{
    while (!pending.isEmpty()) {
        const QByteArray name = pending.takeLast();
        const bool last = pending.isEmpty();
        if (name == "..") {
            if (last)
                break;
            const int parent = ::openat(m_folder, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
            struct stat status = {};
            if (parent == -1 || ::fstat(parent, &status) != 0 || !isEntered(status)) {
                m_status = parent == -1 ? Status::NoFolder : Status::UntrustedLink;
                if (parent != -1)
                    ::close(parent);
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
            if (folders == Folders::Existing) {
                m_status = Status::MissingFolder;
                m_pending = pending;
                m_pending.append(name);
                return;
            }
            if (!makeFolder(name)) {
                m_status = Status::NoFolder;
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
            const bool followed = isFollowed(status);
            const QByteArray target = followed ? linkTarget(entry) : QByteArray();
            ::close(entry);
            if (!followed) {
                m_status = Status::UntrustedLink;
                return;
            }
            if (++m_links > kMostLinks || target.isEmpty())
                break;
            if (target.startsWith('/') && !startAt(QByteArrayLiteral("/")))
                return;
            pushNames(pending, target);
            continue;
        }
        if (last) {
            ::close(entry);
            m_status = Status::Resolved;
            m_name = name;
            return;
        }
        if (!S_ISDIR(status.st_mode) || !isEntered(status)) {
            ::close(entry);
            m_status = S_ISDIR(status.st_mode) ? Status::UntrustedLink : Status::NoFolder;
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

std::unique_ptr<ResolvedFile> ResolvedFile::resumed(Folders folders) const
{
    std::unique_ptr<ResolvedFile> file(new ResolvedFile(m_trustedLinkOwner, m_way));
    file->m_status = m_status;
    if (m_folder == -1)
        return file;
    file->m_folder = ::fcntl(m_folder, F_DUPFD_CLOEXEC, 0);
    if (file->m_folder == -1) {
        file->m_status = Status::NoFolder;
        return file;
    }
    file->m_folderPath = m_folderPath;
    file->m_name = m_name;
    file->m_links = m_links;
    if (m_status == Status::MissingFolder)
        file->walk(m_pending, folders);
    return file;
}

bool ResolvedFile::leadsIntoOwnFolder(const QByteArray &folder)
{
    const ResolvedFile way(folder, ownerTrustedHere(), Folders::Existing, Way::OwnOrRoots);
    if (way.status() == Status::MissingFolder)
        return way.folderIsOwn();
    struct stat status = {};
    if (!way.isResolved())
        return false;
    if (::fstatat(way.folder(), way.name().constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT && way.folderIsOwn();
    return S_ISDIR(status.st_mode) && status.st_uid == ::geteuid();
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

bool ResolvedFile::isFollowed(const struct stat &link) const
{
    struct stat shared = {};
    if (::fstat(m_folder, &shared) != 0)
        return false;
    const uid_t user = ::geteuid();
    const bool stickyForAll = (shared.st_mode & S_ISVTX) && (shared.st_mode & S_IWOTH);
    if (stickyForAll && link.st_uid != user && link.st_uid != shared.st_uid)
        return false;
    if (m_trustedLinkOwner)
        return link.st_uid == *m_trustedLinkOwner && link.st_nlink == 1;
    if (link.st_uid == user || link.st_uid == 0)
        return true;
    if (m_way == Way::OwnOrRoots)
        return false;
    if (stickyForAll)
        return true;
    // Whose groups are whose is not known here without asking the user database, so
    // a folder its group may write counts as written by anyone.
    const bool linkOwnerMayWrite = (shared.st_mode & (S_IWGRP | S_IWOTH))
        || (link.st_uid == shared.st_uid && (shared.st_mode & S_IWUSR));
    return !linkOwnerMayWrite;
}

bool ResolvedFile::isEntered(const struct stat &folder) const
{
    return m_way == Way::Any || folder.st_uid == ::geteuid() || folder.st_uid == 0;
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
