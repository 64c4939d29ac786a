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

QByteArray linkTarget(int folder, const QByteArray &name)
{
    QByteArray buffer(PATH_MAX, Qt::Uninitialized);
    const ssize_t length = ::readlinkat(folder, name.constData(), buffer.data(), size_t(buffer.size()));
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

ResolvedFile::ResolvedFile(const QByteArray &path, std::optional<uid_t> trustedLinkOwner)
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

        struct stat status = {};
        if (::fstatat(m_folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            // A file not made yet is still a name to make it under.
            m_status = last && errno == ENOENT ? Status::Resolved : Status::NoFolder;
            m_name = name;
            return;
        }
        if (S_ISLNK(status.st_mode)) {
            if (trustedLinkOwner && status.st_uid != *trustedLinkOwner) {
                m_status = Status::UntrustedLink;
                return;
            }
            const QByteArray target = linkTarget(m_folder, name);
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
            m_status = Status::Resolved;
            m_name = name;
            return;
        }
        const int next = S_ISDIR(status.st_mode)
            ? ::openat(m_folder, name.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC) : -1;
        if (next == -1) {
            m_status = Status::NoFolder;
            return;
        }
        ::close(m_folder);
        m_folder = next;
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
