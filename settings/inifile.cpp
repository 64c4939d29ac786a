#include "settings/inifile.h"

#include "shell/exception.h"
#include "settings/resolvedfile.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Larger files are no settings file of ours; reading one would only fill the memory.
constexpr qint64 kLargestFile = 16 * 1024 * 1024;

enum class Reading { Missing, Read, Unreadable };

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
Reading readFile(const ResolvedFile &file, QByteArray &bytes, std::optional<struct stat> &status, QByteArray &acl)
{
    if (!file.isResolved())
        return file.status() == ResolvedFile::Status::NoFolder || file.status() == ResolvedFile::Status::MissingFolder
            ? Reading::Missing : Reading::Unreadable;
    const int fd = ::openat(file.folder(), file.name().constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Reading::Missing : Reading::Unreadable;
    Reading result = Reading::Unreadable;
    status.emplace();
    if (::fstat(fd, &*status) == 0 && S_ISREG(status->st_mode) && status->st_size <= kLargestFile) {
        acl = accessAcl(fd);
        // Read up to one byte past the limit, so a file growing meanwhile is caught too.
        bytes.resize(qsizetype(status->st_size) + 1);
        qsizetype size = 0;
        for (;;) {
            if (size == bytes.size()) {
                if (size > kLargestFile)
                    break;
                bytes.resize(qMin(size * 2, qsizetype(kLargestFile) + 1));
            }
            const ssize_t got = ::read(fd, bytes.data() + size, std::size_t(bytes.size() - size));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                if (got == 0)
                    result = Reading::Read;
                break;
            }
            size += got;
        }
        bytes.truncate(size);
        if (size > kLargestFile)
            result = Reading::Unreadable;
    }
    ::close(fd);
    if (result != Reading::Read)
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

// The new file's name while it is written: the file's own, a mark and random letters.
// No one names a copy of their own like that, so a file so named that nobody is
// writing is a leftover of a save that was killed before its end.
const QByteArrayView kTemporaryMark(".new-");
constexpr int kTemporaryLetters = 8;
const char kTemporaryAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";

QByteArray temporaryName(const QByteArray &name)
{
    QByteArray temporary = name;
    temporary.append(kTemporaryMark);
    for (int i = 0; i < kTemporaryLetters; ++i)
        temporary += kTemporaryAlphabet[QRandomGenerator::system()->bounded(int(sizeof kTemporaryAlphabet) - 1)];
    return temporary;
}

bool isTemporaryName(QByteArrayView candidate, QByteArrayView name)
{
    if (candidate.size() != name.size() + kTemporaryMark.size() + kTemporaryLetters || !candidate.startsWith(name)
        || !candidate.sliced(name.size()).startsWith(kTemporaryMark))
        return false;
    for (const char c : candidate.last(kTemporaryLetters)) {
        if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z'))
            return false;
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

void removeLeftovers(int folder, const QByteArray &name)
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

const QByteArrayView kUtf16LE("\xFF\xFE");
const QByteArrayView kUtf16BE("\xFE\xFF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

int digitValue(char c, int base)
{
    int digit = 99;
    if (c >= '0' && c <= '9')
        digit = c - '0';
    else if (c >= 'a' && c <= 'f')
        digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        digit = c - 'A' + 10;
    return digit < base ? digit : -1;
}

} // namespace

namespace IniText {

std::optional<QByteArray> value(const QByteArray &text, const QByteArray &section, const QByteArray &key)
{
    return IniDocument(text).value(section, key);
}

std::optional<qint32> toInteger(const QByteArray &value)
{
    const qsizetype size = value.size();
    qsizetype at = 0;
    while (at < size && isBlank(value[at]))
        ++at;
    bool negative = false;
    if (at < size && (value[at] == '-' || value[at] == '+')) {
        negative = value[at] == '-';
        ++at;
    }
    int base = 10;
    if (at < size && (value[at] == '$' || value[at] == 'x' || value[at] == 'X')) {
        base = 16;
        ++at;
    } else if (at + 1 < size && value[at] == '0' && (value[at + 1] == 'x' || value[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at == size)
        return std::nullopt;
    // Hexadecimal may use all 32 bits; decimal must fit a signed 32-bit number.
    const quint64 limit = base == 16 ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    quint64 magnitude = 0;
    for (; at < size; ++at) {
        const int digit = digitValue(value[at], base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return std::nullopt;
    }
    const quint32 bits = negative ? 0u - quint32(magnitude) : quint32(magnitude);
    return qint32(bits);
}

QByteArray withValue(const QByteArray &text, const QByteArray &section, const QByteArray &key,
                     const QByteArray &value)
{
    IniDocument document(text);
    document.setValue(section, key, value);
    return document.text();
}

std::optional<Decoded> decode(const QByteArray &file)
{
    const bool little = file.startsWith(kUtf16LE);
    if (!little && !file.startsWith(kUtf16BE))
        return Decoded{Encoding::Bytes, file};
    if (file.size() % 2 != 0)
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const uchar *>(file.constData());
    const qsizetype count = file.size() / 2;
    const auto unitAt = [&](qsizetype i) {
        const uint a = bytes[2 * i];
        const uint b = bytes[2 * i + 1];
        return little ? a | b << 8 : a << 8 | b;
    };
    QByteArray text;
    text.reserve(count);
    for (qsizetype i = 1; i < count; ++i) {
        uint code = unitAt(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 1 < count) {
            const uint low = unitAt(i + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (code < 0x80) {
            text += char(code);
        } else if (code < 0x800) {
            text += char(0xC0 | code >> 6);
            text += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += char(0xE0 | code >> 12);
            text += char(0x80 | (code >> 6 & 0x3F));
            text += char(0x80 | (code & 0x3F));
        } else {
            text += char(0xF0 | code >> 18);
            text += char(0x80 | (code >> 12 & 0x3F));
            text += char(0x80 | (code >> 6 & 0x3F));
            text += char(0x80 | (code & 0x3F));
        }
    }
    return Decoded{little ? Encoding::Utf16LE : Encoding::Utf16BE, text};
}

QByteArray encode(Encoding encoding, const QByteArray &text)
{
    if (encoding == Encoding::Bytes)
        return text;
    const bool little = encoding == Encoding::Utf16LE;
    QByteArray file;
    file.reserve(2 * text.size() + 2);
    const auto putUnit = [&](uint unit) {
        file += char(little ? unit & 0xFF : unit >> 8);
        file += char(little ? unit >> 8 : unit & 0xFF);
    };
    putUnit(0xFEFF);
    const auto *bytes = reinterpret_cast<const uchar *>(text.constData());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        const uint lead = bytes[i];
        const int length = lead < 0x80 ? 1 : lead >= 0xC0 && lead < 0xE0 ? 2 : lead >= 0xE0 && lead < 0xF0 ? 3
            : lead >= 0xF0 && lead < 0xF8 ? 4 : 0;
        bool whole = length > 0 && i + length <= size;
        uint code = length > 1 ? lead & (0x7F >> length) : lead;
        for (int k = 1; whole && k < length; ++k) {
            whole = (bytes[i + k] & 0xC0) == 0x80;
            code = code << 6 | (bytes[i + k] & 0x3F);
        }
        // Only the decoder and ASCII fill the text; a stray byte stands for itself.
        if (!whole || code > 0x10FFFF) {
            putUnit(lead);
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            putUnit(0xD800 + ((code - 0x10000) >> 10));
            putUnit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            putUnit(code);
        }
        i += length;
    }
    return file;
}

} // namespace IniText

TIniFile::TIniFile(const QString &fileName)
    : m_fileName(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath()))
    , m_localFileName(QFile::encodeName(fileName))
{
}

TIniFile::TIniFile(const QByteArray &localFileName)
    : m_fileName(QFile::decodeName(localFileName))
    , m_localFileName(localFileName)
{
}

TIniFile::TIniFile(const SettingsLocation &location, SettingsLocation::Use use)
    : m_fileName(location.shownPath())
    , m_file(location.file(use))
{
}

TIniFile::~TIniFile() = default;

int TIniFile::readInteger(const QByteArray &section, const QByteArray &key, int defaultValue)
{
    const std::optional<QByteArray> value = document().value(section, key);
    if (!value)
        return defaultValue;
    return IniText::toInteger(*value).value_or(defaultValue);
}

bool TIniFile::readBool(const QByteArray &section, const QByteArray &key, bool defaultValue)
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<QByteArray> TIniFile::readLines(const QByteArray &section, IniDocument::LineTest wanted, int most)
{
    return document().lines(section, wanted, most);
}

void TIniFile::writeLines(const QByteArray &section, IniDocument::LineTest wanted, int most,
                          const std::vector<QByteArray> &lines)
{
    document().replaceLines(section, wanted, most, lines);
    m_changed = true;
}

void TIniFile::writeInteger(const QByteArray &section, const QByteArray &key, int value)
{
    document().setValue(section, key, QByteArray::number(value));
    m_changed = true;
}

void TIniFile::writeBool(const QByteArray &section, const QByteArray &key, bool value)
{
    writeInteger(section, key, value ? 1 : 0);
}

void TIniFile::updateFile()
{
    if (!m_changed)
        return;
    const QByteArray bytes = IniText::encode(m_encoding, document().text());
    // A file that could not be read is never replaced: whatever else it held would be
    // lost. Nor is one written that would be too large to be read again.
    if (m_unreadable || !m_file->isResolved() || bytes.size() > kLargestFile || !replaceFile(bytes))
        throw EIniFileException(QStringLiteral("%1 に書き込めません").arg(m_fileName));
    m_changed = false;
}

// A new file beside the old one, flushed to the disk and renamed over it: the name
// shows either the old file or the new one whole, whenever the writing stops. A
// file of the user's own that they made read-only is refused, although the rename
// would get past it; one where the settings are not to be kept (someone else's file
// in someone else's folder, by now) is refused too.
bool TIniFile::replaceFile(const QByteArray &bytes)
{
    const int folder = m_file->folder();
    const QByteArray &name = m_file->name();
    if (!m_file->isKeptHere())
        return false;
    if (m_original && m_original->st_uid == ::geteuid()
        && ::faccessat(folder, name.constData(), W_OK, AT_EACCESS | AT_SYMLINK_NOFOLLOW) != 0)
        return false;

    // First, as they may be what filled the disk.
    removeLeftovers(folder, name);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd == -1 && attempt < 16; ++attempt) {
        temporary = temporaryName(name);
        // Private until it has the old file's mode; a new file gets the usual one.
        fd = ::openat(folder, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      m_original ? 0600 : 0666);
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
    bool written = (!m_original || keepModeAndOwner(fd, *m_original, m_originalAcl)) && writeAll(fd, bytes)
        && ::fsync(fd) == 0;
    written = written && ::renameat(folder, temporary.constData(), folder, name.constData()) == 0;
    if (!written)
        ::unlinkat(folder, temporary.constData(), 0);
    // Closed, and so unlocked, only once it has the file's name. fsync has reported
    // whatever close could.
    ::close(fd);
    return written;
}

IniDocument &TIniFile::document()
{
    if (!m_document) {
        if (!m_file)
            m_file = std::make_unique<ResolvedFile>(m_localFileName);
        QByteArray bytes;
        const Reading reading = readFile(*m_file, bytes, m_original, m_originalAcl);
        if (reading != Reading::Read)
            m_original.reset();
        std::optional<IniText::Decoded> decoded;
        if (reading == Reading::Read)
            decoded = IniText::decode(bytes);
        m_unreadable = reading == Reading::Unreadable || (reading == Reading::Read && !decoded);
        if (decoded) {
            m_encoding = decoded->encoding;
            m_document.emplace(std::move(decoded->text));
        } else {
            m_document.emplace();
        }
    }
    return *m_document;
}
