#include "shell/exception.h"
#include "settings/inifile.h"
#include "settings/settingslocation.h"

#include <QFile>
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
    void init();
    void cleanup();

    void location_data();
    void location();
    void savedAndReadBack_data();
    void savedAndReadBack();
    void refused_data();
    void refused();

private:
    // "$T" stands for the test's own temporary folder.
    QByteArray real(QByteArray path) const { return path.replace("$T", m_base); }

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
    QVERIFY(::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) == 0);
    QVERIFY(::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) == 0);
}

// $T/app may be written; $T/kept may not, and holds a settings file; $T/locked may
// not, and holds a read-only one; $T/sealed may not, and holds none; $T/<Shift-JIS>
// may be written; $T/home is a home folder; $T/usr is an installation.
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
}

// Qt would not find a Shift-JIS name to remove it.
void TestSettingsLocation::cleanup()
{
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
}

void TestSettingsLocation::location()
{
    QFETCH(QByteArray, executable);
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, file);
    QFETCH(bool, beside);

    SettingsLocation location(real(executable), real(configHome), real(home));
    QCOMPARE(location.isKnown(), !file.isEmpty());
    QCOMPARE(location.shownPath(), file.isEmpty() ? QString() : QFile::decodeName(real(file)));
    QCOMPARE(location.besideProgram(), beside);
    if (file.isEmpty())
        QCOMPARE(location.pathForReading(), QByteArray());
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
    QTest::newRow("Shift-JIS configuration folder")
        << QByteArray("$T/sealed/vindre") << "$T/" + kShiftJisFolder + "/config"
        << "$T/" + kShiftJisFolder + "/config/vindre/vindre.ini";
}

void TestSettingsLocation::savedAndReadBack()
{
    QFETCH(QByteArray, executable);
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, file);
    const QByteArray home = real("$T/home");

    int before = 0;
    const QString saving = messageOf([&] {
        SettingsLocation location(real(executable), real(configHome), home);
        before = TIniFile(location.pathForReading()).readInteger("Main", "X", 100);
        TIniFile settings(location.pathForWriting());
        settings.writeInteger("Main", "X", 5);
        settings.updateFile();
    });
    QCOMPARE(saving, QStringLiteral("(no error)"));
    QCOMPARE(before, 100);
    QCOMPARE(readBytes(real(file)), QByteArray("[Main]\r\nX=5\r\n"));
    if (real(file).startsWith(real(configHome))) {
        struct stat info;
        QVERIFY(::stat(real(file).left(real(file).lastIndexOf('/')).constData(), &info) == 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
    }

    SettingsLocation location(real(executable), real(configHome), home);
    TIniFile after(location.pathForReading());
    QCOMPARE(after.readInteger("Main", "X", 100), 5);
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
}

void TestSettingsLocation::refused()
{
    QFETCH(QByteArray, executable);
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, readOnlyFile);
    QFETCH(QByteArray, named);

    if (!readOnlyFile.isEmpty())
        QVERIFY(writeBytes(real(readOnlyFile), "[Main]\r\nX=1\r\n", 0444));

    SettingsLocation location(real(executable), real(configHome), real("$T/home"));
    const QString message = messageOf([&] {
        TIniFile settings(location.pathForWriting());
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
}

QTEST_GUILESS_MAIN(TestSettingsLocation)
#include "tst_settingslocation.moc"
