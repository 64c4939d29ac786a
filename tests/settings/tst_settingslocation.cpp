#include "shell/exception.h"
#include "settings/inifile.h"
#include "settings/settingslocation.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <fcntl.h>
#include <ftw.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder name in Shift-JIS, which is not UTF-8.
const QByteArray kShiftJisFolder = QByteArrayLiteral("\x83\x94\x83\x42");

QByteArray readBytes(const QByteArray &path)
{
    QFile file;
    const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor == -1 || !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return QByteArray("(none)");
    return file.readAll();
}

bool writeBytes(const QByteArray &path, const QByteArray &bytes, mode_t mode)
{
    const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (descriptor == -1)
        return false;
    const bool written = ::write(descriptor, bytes.constData(), bytes.size()) == bytes.size();
    return ::close(descriptor) == 0 && written;
}

int removeEntry(const char *path, const struct stat *, int, FTW *)
{
    return ::remove(path);
}

// Root for a while, to stage what another user left: the tests run as "nobody" with
// root kept as the saved user.
class AsRoot
{
public:
    AsRoot()
        : m_user(::geteuid())
        , m_group(::getegid())
    {
        m_root = ::seteuid(0) == 0 && ::setegid(0) == 0;
    }
    ~AsRoot()
    {
        ::setegid(m_group);
        ::seteuid(m_user);
    }
    bool isRoot() const { return m_root; }

private:
    uid_t m_user;
    gid_t m_group;
    bool m_root = false;
};

// Every folder on the way to path below base that does not exist yet.
QList<QByteArray> missingFolders(const QByteArray &base, const QByteArray &path)
{
    QList<QByteArray> missing;
    for (qsizetype slash = path.indexOf('/', base.size() + 1); slash != -1; slash = path.indexOf('/', slash + 1)) {
        struct stat info;
        if (::stat(path.left(slash).constData(), &info) != 0)
            missing.append(path.left(slash));
    }
    return missing;
}

QString messageOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Exception &e) {
        return e.message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

// Runs as an ordinary user: root may write every folder, so for root a read-only
// folder is not one.
class TestSettingsLocation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void location_data();
    void location();
    void savedAndReadBack_data();
    void savedAndReadBack();
    void refused_data();
    void refused();
    void anotherUsersEnvironment_data();
    void anotherUsersEnvironment();

private:
    // "$T" stands for the test's own temporary folder.
    QByteArray real(QByteArray path) const { return path.replace("$T", m_base); }
    // Rows named "root: ..." need what root staged in init().
    bool unstaged() const
    {
        return QByteArray(QTest::currentDataTag()).startsWith("root:") && !QFileInfo::exists(real("$T/root"));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_base;
};

void TestSettingsLocation::initTestCase()
{
    if (::geteuid() != 0)
        return;
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        QSKIP("running as root, with no user \"nobody\" to become: root writes read-only folders");
    QVERIFY(::setgroups(0, nullptr) == 0);
    QVERIFY(::setresgid(nobody->pw_gid, nobody->pw_gid, 0) == 0);
    QVERIFY(::setresuid(nobody->pw_uid, nobody->pw_uid, 0) == 0);
}

// Root again at the end, as the process started: the leak checker of a sanitized
// build inspects the process from a thread of its own, which a process holding root
// only as its saved user may not be inspected by.
void TestSettingsLocation::cleanupTestCase()
{
    uid_t real = 0;
    uid_t effective = 0;
    uid_t saved = 1;
    if (::getresuid(&real, &effective, &saved) == 0 && saved == 0) {
        QVERIFY(::setresuid(0, 0, 0) == 0);
        QVERIFY(::setresgid(0, 0, 0) == 0);
    }
}

// $T/app may be written; $T/kept may not, and holds a settings file; $T/locked may
// not, and holds a read-only one; $T/sealed may not, and holds none; $T/<Shift-JIS>
// may be written; $T/home is a home folder; $T/usr is an installation. Where root
// runs these tests, root leaves its own file in $T/mine, and owns what all may write
// (sticky, like /tmp): $T/open, $T/shared holding root's file, $T/planted holding a
// link another user made to the user's $T/home/bashrc; and root's home $T/root.
void TestSettingsLocation::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_base = QFile::encodeName(m_dir->path());
    for (const char *folder : {"$T/app", "$T/kept", "$T/locked", "$T/sealed", "$T/home", "$T/usr", "$T/usr/bin",
                               "$T/usr/share", "$T/usr/share/applications"})
        QVERIFY(::mkdir(real(folder).constData(), 0755) == 0);
    QVERIFY(::mkdir(real("$T/" + kShiftJisFolder).constData(), 0755) == 0);
    QVERIFY(writeBytes(real("$T/kept/vindre.ini"), "[Main]\r\n", 0644));
    QVERIFY(writeBytes(real("$T/locked/vindre.ini"), "[Main]\r\n", 0444));
    QVERIFY(writeBytes(real("$T/usr/share/applications/com.example.Vindre.desktop"), "[Desktop Entry]\n", 0644));
    for (const char *folder : {"$T/kept", "$T/locked", "$T/sealed"})
        QVERIFY(::chmod(real(folder).constData(), 0555) == 0);
    QVERIFY(::mkdir(real("$T/mine").constData(), 0755) == 0);
    QVERIFY(writeBytes(real("$T/home/bashrc"), "umask 022\n", 0644));
    for (const char *folder : {"$T/theirs", "$T/theirs/cfg"})
        QVERIFY(::mkdir(real(folder).constData(), 0755) == 0);
    QVERIFY(::symlink(real("$T/home").constData(), real("$T/theirlink").constData()) == 0);

    const AsRoot root;
    if (!root.isRoot())
        return;
    for (const char *folder : {"$T/open", "$T/shared", "$T/planted"}) {
        QVERIFY(::mkdir(real(folder).constData(), 0777) == 0);
        QVERIFY(::chmod(real(folder).constData(), 01777) == 0);
    }
    QVERIFY(::mkdir(real("$T/root").constData(), 0700) == 0);
    QVERIFY(writeBytes(real("$T/shared/vindre.ini"), "[Main]\r\n", 0644));
    QVERIFY(writeBytes(real("$T/mine/vindre.ini"), "[Main]\r\n", 0644));
    QVERIFY(::symlink(real("$T/home/bashrc").constData(), real("$T/planted/vindre.ini").constData()) == 0);
    QVERIFY(::lchown(real("$T/planted/vindre.ini").constData(), 12345, 12345) == 0);
    for (const char *theirs : {"$T/theirs", "$T/theirlink"})
        QVERIFY(::lchown(real(theirs).constData(), 12345, 12345) == 0);
}

// Qt would not find a Shift-JIS name to remove it.
void TestSettingsLocation::cleanup()
{
    const AsRoot root;
    for (const char *folder : {"$T/kept", "$T/locked", "$T/sealed"})
        ::chmod(real(folder).constData(), 0755);
    ::nftw(m_base.constData(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    m_dir.reset();
}

void TestSettingsLocation::location_data()
{
    QTest::addColumn<QByteArray>("executable");
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("beside");

    QTest::newRow("folder that may be written")
        << QByteArray("$T/app/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/app/vindre.ini") << true;
    QTest::newRow("read-only folder holding the file")
        << QByteArray("$T/kept/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/kept/vindre.ini") << true;
    QTest::newRow("read-only folder holding a read-only file: XDG_CONFIG_HOME")
        << QByteArray("$T/locked/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/config/vindre/vindre.ini") << false;
    QTest::newRow("installed, in a folder that may be written: XDG_CONFIG_HOME")
        << QByteArray("$T/usr/bin/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/config/vindre/vindre.ini") << false;
    QTest::newRow("read-only folder: XDG_CONFIG_HOME")
        << QByteArray("$T/sealed/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/config/vindre/vindre.ini") << false;
    QTest::newRow("read-only folder: XDG_CONFIG_HOME empty")
        << QByteArray("$T/sealed/vindre") << QByteArray() << QByteArray("$T/home")
        << QByteArray("$T/home/.config/vindre/vindre.ini") << false;
    QTest::newRow("read-only folder: XDG_CONFIG_HOME relative")
        << QByteArray("$T/sealed/vindre") << QByteArray("config") << QByteArray("$T/home")
        << QByteArray("$T/home/.config/vindre/vindre.ini") << false;
    QTest::newRow("read-only folder, no home") << QByteArray("$T/sealed/vindre") << QByteArray() << QByteArray()
                                               << QByteArray() << false;
    QTest::newRow("program at the root of the disk")
        << QByteArray("/vindre") << QByteArray() << QByteArray("$T/home")
        << QByteArray("$T/home/.config/vindre/vindre.ini") << false;
    QTest::newRow("program not found") << QByteArray() << QByteArray("$T/config") << QByteArray("$T/home")
                                       << QByteArray() << false;
    QTest::newRow("relative program path: not the working folder")
        << QByteArray("bin/vindre") << QByteArray("$T/config") << QByteArray("$T/home") << QByteArray() << false;
    QTest::newRow("Shift-JIS folder name")
        << "$T/" + kShiftJisFolder + "/vindre" << QByteArray("$T/config") << QByteArray("$T/home")
        << "$T/" + kShiftJisFolder + "/vindre.ini" << true;
    QTest::newRow("root: root's file in the user's own folder")
        << QByteArray("$T/mine/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/mine/vindre.ini") << true;
    QTest::newRow("root: another user's file in a sticky folder open to all: XDG_CONFIG_HOME")
        << QByteArray("$T/shared/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/config/vindre/vindre.ini") << false;
    QTest::newRow("root: another user's folder open to all, no file: XDG_CONFIG_HOME")
        << QByteArray("$T/open/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/config/vindre/vindre.ini") << false;
    QTest::newRow("root: another user's link in a sticky folder: not followed")
        << QByteArray("$T/planted/vindre") << QByteArray("$T/config") << QByteArray("$T/home")
        << QByteArray("$T/config/vindre/vindre.ini") << false;
    QTest::newRow("root: XDG_CONFIG_HOME of the user's, in another user's folder: the account's")
        << QByteArray("$T/sealed/vindre") << QByteArray("$T/theirs/cfg") << QByteArray("$T/home")
        << QByteArray("$T/home/.config/vindre/vindre.ini") << false;
    QTest::newRow("root: XDG_CONFIG_HOME another user's link to the user's folder: the account's")
        << QByteArray("$T/sealed/vindre") << QByteArray("$T/theirlink") << QByteArray("$T/home")
        << QByteArray("$T/home/.config/vindre/vindre.ini") << false;
}

void TestSettingsLocation::location()
{
    QFETCH(QByteArray, executable);
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, file);
    QFETCH(bool, beside);
    if (unstaged())
        QSKIP("only root stages another user's files");

    SettingsLocation location(real(executable), real(configHome), real(home), real(home));
    QCOMPARE(location.isKnown(), !file.isEmpty());
    QCOMPARE(location.shownPath(), file.isEmpty() ? QString() : QFile::decodeName(real(file)));
    QCOMPARE(location.besideProgram(), beside);
}

void TestSettingsLocation::savedAndReadBack_data()
{
    QTest::addColumn<QByteArray>("executable");
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QByteArray>("file");

    QTest::newRow("Shift-JIS program folder")
        << "$T/" + kShiftJisFolder + "/vindre" << QByteArray("$T/config") << "$T/" + kShiftJisFolder + "/vindre.ini";
    QTest::newRow("configuration folder made at the first save")
        << QByteArray("$T/sealed/vindre") << QByteArray("$T/config/deeper") << QByteArray("$T/config/deeper/vindre/vindre.ini");
    QTest::newRow("configuration folder renamed after the start, another in its place")
        << QByteArray("$T/sealed/vindre") << QByteArray("$T/config") << QByteArray("$T/moved/vindre/vindre.ini");
    QTest::newRow("Shift-JIS configuration folder")
        << QByteArray("$T/sealed/vindre") << "$T/" + kShiftJisFolder + "/config"
        << "$T/" + kShiftJisFolder + "/config/vindre/vindre.ini";
    QTest::newRow("root: root's file in the user's own folder, replaced")
        << QByteArray("$T/mine/vindre") << QByteArray("$T/config") << QByteArray("$T/mine/vindre.ini");
}

void TestSettingsLocation::savedAndReadBack()
{
    QFETCH(QByteArray, executable);
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, file);
    const QByteArray home = real("$T/home");
    if (unstaged())
        QSKIP("only root stages another user's files");
    const bool renamed = QByteArray(QTest::currentDataTag()).contains("renamed");
    const auto makeConfig = [&] {
        return ::mkdir(real("$T/config").constData(), 0700) == 0
            && ::mkdir(real("$T/config/vindre").constData(), 0700) == 0;
    };
    QVERIFY(!renamed || makeConfig());
    const QList<QByteArray> made = missingFolders(m_base, real(file));
    const bool newFile = !QFileInfo::exists(QFile::decodeName(real(file)));

    int before = 0;
    const QString saving = messageOf([&] {
        SettingsLocation location(real(executable), real(configHome), home);
        before = TIniFile(location, SettingsLocation::Use::Reading).readInteger("Main", "X", 100);
        // What was reached at the start is written, whatever took its name since.
        QVERIFY(!renamed
                || (::rename(real("$T/config").constData(), real("$T/moved").constData()) == 0 && makeConfig()));
        TIniFile settings(location, SettingsLocation::Use::Writing);
        settings.writeInteger("Main", "X", 5);
        settings.updateFile();
    });
    QCOMPARE(saving, QStringLiteral("(no error)"));
    QCOMPARE(before, 100);
    QCOMPARE(readBytes(real(file)), QByteArray("[Main]\r\nX=5\r\n"));
    // Made as every program makes them: folders for the user alone, the file as the
    // user's umask has it; and all of them the user's.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const QByteArray &path : made + QList<QByteArray>{real(file)}) {
        struct stat info;
        QVERIFY(::stat(path.constData(), &info) == 0);
        if (path != real(file))
            QCOMPARE(info.st_mode & 07777, mode_t(0700));
        else if (newFile)
            QCOMPARE(info.st_mode & 07777, 0666 & ~mask);
        QCOMPARE(info.st_uid, ::geteuid());
    }

    SettingsLocation location(real(executable), real(configHome), home);
    TIniFile after(location, SettingsLocation::Use::Reading);
    QCOMPARE(after.readInteger("Main", "X", 100), renamed ? 100 : 5);
}

void TestSettingsLocation::refused_data()
{
    QTest::addColumn<QByteArray>("executable");
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QByteArray>("readOnlyFile");
    QTest::addColumn<QByteArray>("named");

    QTest::newRow("no place") << QByteArray() << QByteArray("$T/config") << QByteArray() << QByteArray();
    QTest::newRow("configuration folder cannot be made")
        << QByteArray("$T/sealed/vindre") << QByteArray("$T/sealed/config") << QByteArray()
        << QByteArray("$T/sealed/config/vindre/vindre.ini");
    QTest::newRow("read-only file in a Shift-JIS folder")
        << "$T/" + kShiftJisFolder + "/vindre" << QByteArray("$T/config") << "$T/" + kShiftJisFolder + "/vindre.ini"
        << "$T/" + kShiftJisFolder + "/vindre.ini";
    QTest::newRow("root: configuration folder not made in another user's folder open to all")
        << QByteArray("$T/sealed/vindre") << QByteArray("$T/open/cfg") << QByteArray()
        << QByteArray("$T/open/cfg/vindre/vindre.ini");
}

void TestSettingsLocation::refused()
{
    QFETCH(QByteArray, executable);
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, readOnlyFile);
    QFETCH(QByteArray, named);
    if (unstaged())
        QSKIP("only root stages another user's files");

    if (!readOnlyFile.isEmpty())
        QVERIFY(writeBytes(real(readOnlyFile), "[Main]\r\nX=1\r\n", 0444));

    SettingsLocation location(real(executable), real(configHome), real("$T/home"));
    const QString message = messageOf([&] {
        TIniFile settings(location, SettingsLocation::Use::Writing);
        settings.writeInteger("Main", "X", 5);
        settings.updateFile();
    });
    // The file as the user knows it, even where it is reached some other way.
    const QString expected = named.isEmpty()
        ? QStringLiteral("設定ファイル vindre.ini を置くフォルダが見つかりません")
        : QFile::decodeName(real(named)) + QStringLiteral(" に書き込めません");
    QCOMPARE(message, expected);
    if (!readOnlyFile.isEmpty())
        QCOMPARE(readBytes(real(readOnlyFile)), QByteArray("[Main]\r\nX=1\r\n"));
    QVERIFY(!QFileInfo::exists(QFile::decodeName(real("$T/open/cfg"))));
}

// Root with another user's HOME or XDG_CONFIG_HOME, as sudo -E leaves them: root's
// settings stay in the home of root's account, and nothing of root's is made in a
// folder of the user's.
void TestSettingsLocation::anotherUsersEnvironment_data()
{
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("file");

    const QByteArray rootsFile("$T/root/.config/vindre/vindre.ini");
    QTest::newRow("another user's HOME without ~/.config") << QByteArray() << QByteArray("$T/home") << rootsFile;
    QTest::newRow("another user's HOME with ~/.config") << QByteArray() << QByteArray("$T/home") << rootsFile;
    QTest::newRow("another user's HOME with ~/.config/vindre")
        << QByteArray() << QByteArray("$T/home") << rootsFile;
    QTest::newRow("another user's HOME with ~/.config and root's vindre folder left in it")
        << QByteArray() << QByteArray("$T/home") << rootsFile;
    QTest::newRow("another user's XDG_CONFIG_HOME") << QByteArray("$T/home/cfg") << QByteArray("$T/root") << rootsFile;
    QTest::newRow("another user's ~/.config, a link into a folder of root's")
        << QByteArray() << QByteArray("$T/home") << rootsFile;
    QTest::newRow("root's own XDG_CONFIG_HOME, made")
        << QByteArray("$T/root/cfg") << QByteArray("$T/home") << QByteArray("$T/root/cfg/vindre/vindre.ini");
}

void TestSettingsLocation::anotherUsersEnvironment()
{
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, file);

    const QByteArray row = QTest::currentDataTag();
    if (row.contains("with ~/.config"))
        QVERIFY(::mkdir(real("$T/home/.config").constData(), 0700) == 0);
    if (row.contains("~/.config/vindre"))
        QVERIFY(::mkdir(real("$T/home/.config/vindre").constData(), 0700) == 0);
    if (row.contains("link"))
        QVERIFY(::symlink(real("$T/root").constData(), real("$T/home/.config").constData()) == 0);

    const AsRoot root;
    if (!root.isRoot())
        QSKIP("only root runs with another user's environment here");
    // The user's folders in one of root's, as homes lie in /home.
    QVERIFY(::chown(m_base.constData(), 0, 0) == 0);
    const bool leftByRoot = row.contains("root's vindre folder");
    if (leftByRoot)
        QVERIFY(::mkdir(real("$T/home/.config/vindre").constData(), 0700) == 0);
    const QString saving = messageOf([&] {
        SettingsLocation location(real("$T/usr/bin/vindre"), real(configHome), real(home), real("$T/root"));
        TIniFile settings(location, SettingsLocation::Use::Writing);
        settings.writeInteger("Main", "X", 5);
        settings.updateFile();
    });
    QCOMPARE(saving, QStringLiteral("(no error)"));
    QCOMPARE(readBytes(real(file)), QByteArray("[Main]\r\nX=5\r\n"));
    struct stat info;
    QVERIFY(::stat(real("$T/root/.config").constData(), &info) != 0 || info.st_mode == (S_IFDIR | 0700));
    // Root's old folder stays as empty as it was.
    QVERIFY(!leftByRoot || ::rmdir(real("$T/home/.config/vindre").constData()) == 0);
    QCOMPARE(::nftw(real("$T/home").constData(), [](const char *, const struct stat *entry, int, FTW *) {
        return entry->st_uid == 0 ? 1 : 0;
    }, 16, FTW_PHYS), 0);
}

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
