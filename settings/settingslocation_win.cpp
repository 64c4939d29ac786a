#include "settings/settingslocation.h"

#include "settings/storedfile.h"
#include "shell/exception.h"

#include <QDir>
#include <QRandomGenerator>

#include <string>

#include <windows.h>
#include <shlobj.h>

// Names are UTF-8 inside the program, UTF-16 to Windows.

namespace {

const QString kFileName = QStringLiteral("vindre.ini");
const QString kAppDataFolder = QStringLiteral("vindre");

QString programFolder()
{
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return QString();
        if (length < buffer.size()) {
            const QString program = QString::fromWCharArray(buffer.data(), int(length));
            return program.left(program.lastIndexOf(QLatin1Char('\\')));
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The user's roaming application data, %APPDATA%, as the shell knows it.
QString appDataFolder()
{
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = QString::fromWCharArray(path);
    CoTaskMemFree(path);
    return folder;
}

QString inFolder(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('\\')) ? folder + name : folder + QLatin1Char('\\') + name;
}

// Whether this user may make a file in the folder, which a save needs: answered by
// making one that goes again as its handle closes, whatever ends the program. The
// folder's rights alone would not say it: a read-only medium, or a folder the
// installer left to administrators (Program Files), refuses what its list allows.
bool acceptsNewFiles(const QString &folder)
{
    const QString probe = inFolder(folder, kFileName) + QLatin1Char('.')
        + QString::number(QRandomGenerator::system()->generate(), 36);
    const HANDLE file = CreateFileW(probe.toStdWString().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace

// Windows keeps no folder open for a program: the file is reached by its name.
struct SettingsLocation::Place
{
    QString file;
};

// Beside the program, as a copy carried on a stick or unzipped into a folder of the
// user's keeps it; where that folder takes no new file, in %APPDATA%\vindre\.
SettingsLocation::SettingsLocation()
{
    const QString besideProgram = programFolder();
    if (!besideProgram.isEmpty() && acceptsNewFiles(besideProgram)) {
        m_folder = besideProgram.toUtf8();
    } else if (const QString appData = appDataFolder(); !appData.isEmpty()) {
        m_inConfigHome = true;
        m_folder = inFolder(appData, kAppDataFolder).toUtf8();
    }
    if (isKnown())
        m_place = std::make_shared<const Place>(Place{shownPath()});
}

SettingsLocation::~SettingsLocation() = default;

QString SettingsLocation::shownPath() const
{
    return isKnown() ? inFolder(QString::fromUtf8(m_folder), kFileName) : QString();
}

std::unique_ptr<StoredFile> SettingsLocation::file(Use use) const
{
    if (!m_place) {
        if (use == Use::Writing)
            throw EIniFileException(QStringLiteral("設定ファイル %1 を置くフォルダが見つかりません").arg(kFileName));
        return std::make_unique<StoredFile>(QString());
    }
    // %APPDATA% itself is there for every user; only the program's own folder is made.
    if (use == Use::Writing && m_inConfigHome)
        CreateDirectoryW(QString::fromUtf8(m_folder).toStdWString().c_str(), nullptr);
    return std::make_unique<StoredFile>(m_place->file);
}
