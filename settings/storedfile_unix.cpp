#include "settings/storedfile.h"

#include "settings/resolvedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <optional>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// The file's access control list, as the kernel stores it (a version, then entries
// of a tag, permissions and an id, little-endian).
const char kAccessAcl[] = "system.posix_acl_access";
constexpr int kAclHeader = 4;
constexpr int kAclEntry = 8;
constexpr quint16 kAclGroupObject = 0x04;
constexpr quint16 kAclMask = 0x10;

QByteArray accessAcl(int fd)
{
    const ssize_t size = ::fgetxattr(fd, kAccessAcl, nullptr, 0);
    if (size <= 0)
        return QByteArray();
    QByteArray acl(size, Qt::Uninitialized);
    const ssize_t got = ::fgetxattr(fd, kAccessAcl, acl.data(), std::size_t(acl.size()));
    return got == size ? acl : QByteArray();
}

// What the owning group itself may do under an access control list; the mode's
// group bits show the mask instead, which may grant more.
mode_t modeWithoutAcl(mode_t mode, const QByteArray &acl)
{
    const auto *bytes = reinterpret_cast<const uchar *>(acl.constData());
    uint groupObject = mode >> 3 & 07;
    uint mask = 07;
    for (qsizetype at = kAclHeader; at + kAclEntry <= acl.size(); at += kAclEntry) {
        const quint16 tag = quint16(bytes[at] | bytes[at + 1] << 8);
        const uint permissions = (bytes[at + 2] | bytes[at + 3] << 8) & 07;
        if (tag == kAclGroupObject)
            groupObject = permissions;
        else if (tag == kAclMask)
            mask = permissions;
    }
    return (mode & ~mode_t(070)) | mode_t((groupObject & mask) << 3);
}

// Opens without following a link (the name was resolved to no link, and one put
// there since is not ours to follow) and without waiting for a writer (a FIFO), and
// looks at what was opened, not at the name, which may point elsewhere by then.
StoredFile::Reading readFile(const ResolvedFile &file, QByteArray &bytes, std::optional<struct stat> &status, QByteArray &acl)
{
    if (!file.isResolved())
        return file.status() == ResolvedFile::Status::NoFolder || file.status() == ResolvedFile::Status::MissingFolder
            ? StoredFile::Reading::Missing : StoredFile::Reading::Unreadable;
    const int fd = ::openat(file.folder(), file.name().constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? StoredFile::Reading::Missing : StoredFile::Reading::Unreadable;
    StoredFile::Reading result = StoredFile::Reading::Unreadable;
    status.emplace();
    if (::fstat(fd, &*status) == 0 && S_ISREG(status->st_mode) && status->st_size <= StoredFile::kLargestFile) {
        acl = accessAcl(fd);
        // Read up to one byte past the limit, so a file growing meanwhile is caught too.
        bytes.resize(qsizetype(status->st_size) + 1);
        qsizetype size = 0;
        for (;;) {
            if (size == bytes.size()) {
                if (size > StoredFile::kLargestFile)
                    break;
                bytes.resize(qMin(size * 2, qsizetype(StoredFile::kLargestFile) + 1));
            }
            const ssize_t got = ::read(fd, bytes.data() + size, std::size_t(bytes.size() - size));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                if (got == 0)
                    result = StoredFile::Reading::Read;
                break;
            }
            size += got;
        }
        bytes.truncate(size);
        if (size > StoredFile::kLargestFile)
            result = StoredFile::Reading::Unreadable;
    }
    ::close(fd);
    if (result != StoredFile::Reading::Read)
        bytes.clear();
    return result;
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

// The new file is made by whoever saves, so it takes the old one's mode, owner and
// access control list; root saving a user's file must not take it over. Someone
// else may only hand it to a group of theirs, or not at all. The mode first, with
// the group bits no wider than the owning group's own right, in case the list cannot
// follow: a change of owner may bar changing it afterwards.
bool keepModeAndOwner(int fd, const struct stat &original, const QByteArray &acl)
{
    if (::fchmod(fd, modeWithoutAcl(original.st_mode & 0777, acl)) != 0)
        return false;
    if (::fchown(fd, original.st_uid, original.st_gid) != 0) {
        if (errno != EPERM)
            return false;
        [[maybe_unused]] const int group = ::fchown(fd, uid_t(-1), original.st_gid);
    }
    if (!acl.isEmpty()) {
        // Where it cannot follow, the narrowed mode stands.
        [[maybe_unused]] const int kept = ::fsetxattr(fd, kAccessAcl, acl.constData(), std::size_t(acl.size()), 0);
    }
    return true;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether the name in the folder still leads to the file open as fd.
bool stillNamed(int folder, const char *name, int fd)
{
    struct stat named;
    struct stat opened;
    return ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &opened) == 0
        && sameFile(named, opened);
}

// A save holds its new file locked from the moment it is made until it has the
// file's name, and a lock goes with its process however that ends: a leftover is
// one no one holds. Only a plain file of the user's own with no other name, never a
// link nor what it leads to.
void removeLeftover(int folder, const char *name)
{
    struct stat named;
    if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)
        || named.st_uid != ::geteuid() || named.st_nlink != 1)
        return;
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened;
    if (::fstat(fd, &opened) == 0 && sameFile(named, opened) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
        && stillNamed(folder, name, fd))
        ::unlinkat(folder, name, 0);
    ::close(fd);
}

using NameTest = bool (*)(QByteArrayView candidate, QByteArrayView name);

void removeLeftovers(int folder, const QByteArray &name, NameTest isTemporaryName)
{
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return;
    DIR *entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return;
    }
    while (const dirent *entry = ::readdir(entries)) {
        if (isTemporaryName(entry->d_name, name))
            removeLeftover(folder, entry->d_name);
    }
    ::closedir(entries);
}

} // namespace

struct StoredFile::Native
{
    QString shownName;
    QByteArray localName;
    std::unique_ptr<ResolvedFile> file;
    // The file as it was read, for its owner and mode; nothing when there was none.
    std::optional<struct stat> original;
    QByteArray originalAcl;
};

StoredFile::StoredFile(const QString &fileName)
    : d(std::make_unique<Native>())
{
    d->shownName = QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    d->localName = QFile::encodeName(fileName);
}

StoredFile::StoredFile(const QByteArray &localFileName)
    : d(std::make_unique<Native>())
{
    d->shownName = QFile::decodeName(localFileName);
    d->localName = localFileName;
}

StoredFile::StoredFile(std::unique_ptr<ResolvedFile> file, const QString &shownName)
    : d(std::make_unique<Native>())
{
    d->shownName = shownName;
    d->file = std::move(file);
}

StoredFile::~StoredFile() = default;

QString StoredFile::shownName() const
{
    return d->shownName;
}

StoredFile::Reading StoredFile::read(QByteArray &bytes)
{
    if (!d->file)
        d->file = std::make_unique<ResolvedFile>(d->localName);
    const Reading reading = readFile(*d->file, bytes, d->original, d->originalAcl);
    if (reading != Reading::Read)
        d->original.reset();
    return reading;
}

// A new file beside the old one, flushed to the disk and renamed over it. A file of
// the user's own that they made read-only is refused, although the rename would get
// past it; one where the settings are not to be kept (someone else's file in someone
// else's folder, by now) is refused too.
bool StoredFile::replace(const QByteArray &bytes)
{
    if (!d->file || !d->file->isResolved() || !d->file->isKeptHere())
        return false;
    const int folder = d->file->folder();
    const QByteArray &name = d->file->name();
    if (d->original && d->original->st_uid == ::geteuid()
        && ::faccessat(folder, name.constData(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
        return false;

    // First, as they may be what filled the disk.
    removeLeftovers(folder, name, &StoredFile::isTemporaryName);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd == -1 && attempt < 16; ++attempt) {
        temporary = temporaryName(name);
        // Private until it has the old file's mode; a new file gets the usual one.
        fd = ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      d->original ? 0600 : 0666);
        if (fd == -1 && errno != EEXIST)
            return false;
        // Another copy's clean-up may have come between the making and the lock, and
        // holds the file or has removed it: it is theirs to remove. Where the file
        // system has no locks, the clean-up can take none either and removes nothing.
        if (fd != -1 && ((::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
                         || !stillNamed(folder, temporary.constData(), fd))) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd == -1)
        return false;
    bool written = (!d->original || keepModeAndOwner(fd, *d->original, d->originalAcl)) && writeAll(fd, bytes)
        && ::fsync(fd) == 0;
    written = written && ::renameat(folder, temporary.constData(), folder, name.constData()) == 0;
    if (!written)
        ::unlinkat(folder, temporary.constData(), 0);
    // Closed, and so unlocked, only once it has the file's name. fsync has reported
    // whatever close could.
    ::close(fd);
    return written;
}
