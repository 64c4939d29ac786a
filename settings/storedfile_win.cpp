#include "settings/storedfile.h"

#include <QDir>

#include <string>

#include <windows.h>

// Names are UTF-8 inside the program, UTF-16 to Windows.

namespace {

std::wstring wide(const QString &text)
{
    return text.toStdWString();
}

class Handle
{
public:
    explicit Handle(HANDLE handle)
        : m_handle(handle)
    {
    }
    ~Handle() { close(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    bool isValid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }
    void reset(HANDLE handle)
    {
        close();
        m_handle = handle;
    }
    bool close()
    {
        const bool closed = !isValid() || CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

// Where the file opened really lies, links followed: the file a save replaces, so
// that a link stays a link.
QString finalName(HANDLE file)
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), DWORD(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return QString();
        if (length < buffer.size())
            return QString::fromWCharArray(buffer.data(), int(length));
        buffer.resize(length);
    }
}

// A save's new file is written with no one else let in, and closed only just before
// it takes the file's name; one no save has touched for a minute is a leftover of a
// save that was killed, and one still open to anyone cannot be removed.
constexpr qint64 kLeftoverAgeSeconds = 60;

qint64 ageSeconds(const FILETIME &written)
{
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME &time) {
        return qint64(quint64(time.dwHighDateTime) << 32 | time.dwLowDateTime);
    };
    return (ticks(now) - ticks(written)) / 10'000'000;
}

bool writeAll(HANDLE file, const QByteArray &bytes)
{
    for (qsizetype written = 0; written < bytes.size();) {
        DWORD n = 0;
        const DWORD wanted = DWORD(qMin<qsizetype>(bytes.size() - written, 1 << 20));
        if (!WriteFile(file, bytes.constData() + written, wanted, &n, nullptr) || n == 0)
            return false;
        written += n;
    }
    return true;
}


using NameTest = bool (*)(QByteArrayView candidate, QByteArrayView name);

void removeLeftovers(const QString &target, NameTest isTemporaryName)
{
    const qsizetype slash = target.lastIndexOf(QLatin1Char('\\'));
    const QString folder = target.left(slash + 1);
    const QByteArray name = target.mid(slash + 1).toUtf8();
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileExW(wide(target + QStringLiteral(".new-*")).c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const QString candidate = QString::fromWCharArray(found.cFileName);
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
            && isTemporaryName(candidate.toUtf8(), name) && ageSeconds(found.ftLastWriteTime) >= kLeftoverAgeSeconds)
            DeleteFileW(wide(folder + candidate).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

} // namespace

struct StoredFile::Native
{
    QString name;
    // The file read, links followed; empty when there was none.
    QString reached;
};

StoredFile::StoredFile(const QString &fileName)
    : d(std::make_unique<Native>())
{
    if (!fileName.isEmpty())
        d->name = QDir::toNativeSeparators(QDir::cleanPath(QDir::current().absoluteFilePath(fileName)));
}

StoredFile::StoredFile(const QByteArray &localFileName)
    : StoredFile(QString::fromUtf8(localFileName))
{
}

StoredFile::~StoredFile() = default;

QString StoredFile::shownName() const
{
    return QDir::toNativeSeparators(d->name);
}

StoredFile::Reading StoredFile::read(QByteArray &bytes)
{
    bytes.clear();
    if (d->name.isEmpty())
        return Reading::Missing;
    // Others may go on reading, writing and replacing it meanwhile, as with any file.
    Handle file(CreateFileW(wide(d->name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.isValid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Reading::Missing
                                                                              : Reading::Unreadable;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileInformationByHandle(file.get(), &information)
        || (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return Reading::Unreadable;
    const qint64 size = qint64(information.nFileSizeHigh) << 32 | information.nFileSizeLow;
    d->reached = finalName(file.get());
    if (size > kLargestFile || d->reached.isEmpty())
        return Reading::Unreadable;
    // Up to one byte past the limit, so a file growing meanwhile is caught too.
    bytes.resize(qsizetype(size) + 1);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > kLargestFile)
                break;
            bytes.resize(qMin(got * 2, qsizetype(kLargestFile) + 1));
        }
        DWORD n = 0;
        if (!ReadFile(file.get(), bytes.data() + got, DWORD(bytes.size() - got), &n, nullptr)) {
            bytes.clear();
            return Reading::Unreadable;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes.truncate(got);
    if (got > kLargestFile) {
        bytes.clear();
        return Reading::Unreadable;
    }
    return Reading::Read;
}

// ReplaceFileW gives the new file the old one's security descriptor, attributes and
// creation time; a file made anew takes its folder's, as any new file does. A file
// the user marked read-only is refused by both, as one the user may not write.
bool StoredFile::replace(const QByteArray &bytes)
{
    const bool existed = !d->reached.isEmpty();
    const QString target = existed ? d->reached : d->name;

    removeLeftovers(target, &StoredFile::isTemporaryName);
    QString temporary;
    Handle file(INVALID_HANDLE_VALUE);
    for (int attempt = 0; !file.isValid() && attempt < 16; ++attempt) {
        temporary = QString::fromUtf8(temporaryName(target.toUtf8()));
        file.reset(CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.isValid() && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (!file.isValid())
        return false;
    bool written = writeAll(file.get(), bytes) && FlushFileBuffers(file.get());
    written = file.close() && written;
    if (written && existed) {
        written = ReplaceFileW(wide(target).c_str(), wide(temporary).c_str(), nullptr, 0, nullptr, nullptr);
        // Gone since it was read: the new file takes its place as a file made anew.
        if (!written && GetLastError() == ERROR_FILE_NOT_FOUND)
            written = MoveFileExW(wide(temporary).c_str(), wide(target).c_str(),
                                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    } else if (written) {
        written = MoveFileExW(wide(temporary).c_str(), wide(target).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }
    if (!written)
        DeleteFileW(wide(temporary).c_str());
    return written;
}
