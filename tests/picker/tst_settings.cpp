#include "picker/main.h"
#include "shell/quitrequest.h"
#include "tests/inisupport.h"
#include "tests/testsupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Set in the copy of this program that runs as an unprivileged user.
const char kChildVariable[] = "VINDRE_UNPRIVILEGED_CHILD";

bool inUnprivilegedChild()
{
    return qEnvironmentVariableIsSet(kChildVariable);
}

QString settingsPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vindre.ini");
}

const QByteArray kStored = mainSection("X=199\r\nY=397\r\nColorR=255\r\nColorG=128\r\nColorB=0\r\nClipTransLower=1\r\n");

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { prepareApplication(); }
    void init();
    void cleanup();

    void reading_data();
    void reading();
    void writtenBack_data();
    void writtenBack();
    void closeWritesWhatTheWindowShows();
    void quitRequestWrites();
    void refusedWrite_data();
    void refusedWrite();

private:
    void openWindow(const QByteArray &file);
    void refusedWriteInChild(bool bySignal, bool endWithoutSaving);
    QScrollBar *bar(const char *name) const { return VND_MAIN->findChild<QScrollBar *>(name); }
    QString text(const char *label) const { return VND_MAIN->findChild<QLabel *>(label)->text(); }
    QAction *action(const char *name) const { return VND_MAIN->findChild<QAction *>(name); }
};

void TestSettings::init()
{
    // The child finds its file prepared, and may not remove it.
    if (!inUnprivilegedChild())
        QFile::remove(settingsPath());
}

void TestSettings::cleanup()
{
    Application::destroyForm(VND_MAIN);
    if (!inUnprivilegedChild())
        QFile::remove(settingsPath());
}

// A null file means none on the disk.
void TestSettings::openWindow(const QByteArray &file)
{
    if (!file.isNull())
        QVERIFY(writeFileBytes(settingsPath(), file));
    Application::createForm(VND_MAIN);
}

void TestSettings::reading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("lower");

    QTest::newRow("no file") << QByteArray() << QPoint(100, 100) << "#000000" << false;
    QTest::newRow("stored") << kStored << QPoint(199, 397) << "#FF8000" << true;
    QTest::newRow("300, -5 and abc")
        << mainSection("ColorR=300\r\nColorG=-5\r\nColorB=abc\r\n") << QPoint(100, 100) << "#FF0000" << false;
    QTest::newRow("0x80, $80 and 12px")
        << mainSection("ColorR=0x80\r\nColorG=$80\r\nColorB=12px\r\n") << QPoint(100, 100) << "#808000" << false;
    QTest::newRow("true reads false") << mainSection("ClipTransLower=true\r\n") << QPoint(100, 100) << "#000000" << false;
    QTest::newRow("2 reads true") << mainSection("ClipTransLower=2\r\n") << QPoint(100, 100) << "#000000" << true;
    QTest::newRow("X abc") << mainSection("X=abc\r\nY=50\r\n") << QPoint(100, 50) << "#000000" << false;
    QTest::newRow("another spelling")
        << QByteArray("[main]\nx = 30\ncolorb = 255\n") << QPoint(30, 100) << "#0000FF" << false;
    QTest::newRow("partly off the screen") << mainSection("X=-100\r\nY=-50\r\n") << QPoint(-100, -50) << "#000000" << false;
    QTest::newRow("wholly right of every screen")
        << mainSection("X=5000\r\nY=397\r\n") << QPoint(100, 100) << "#000000" << false;
    QTest::newRow("wholly above every screen")
        << mainSection("X=199\r\nY=-1000\r\n") << QPoint(100, 100) << "#000000" << false;
    QTest::newRow("largest integers")
        << mainSection("X=2147483647\r\nY=2147483647\r\n") << QPoint(100, 100) << "#000000" << false;
    // One pixel on the screen is enough to reach the window by.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const auto at = [](int x, int y) {
        return mainSection("X=" + QByteArray::number(x) + "\r\nY=" + QByteArray::number(y) + "\r\n");
    };
    QTest::newRow("in the last column") << at(screen.right(), 50) << QPoint(screen.right(), 50) << "#000000" << false;
    QTest::newRow("right of the last column") << at(screen.right() + 1, 50) << QPoint(100, 100) << "#000000" << false;
    QTest::newRow("in the last row") << at(50, screen.bottom()) << QPoint(50, screen.bottom()) << "#000000" << false;
    QTest::newRow("below the last row") << at(50, screen.bottom() + 1) << QPoint(100, 100) << "#000000" << false;
    // The window 346 wide, 86 of it on the screen; also run at 200 % (tests/CMakeLists.txt),
    // where X and Y are twice Qt's pixels and so is the window's width.
    const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
    QTest::newRow("three quarters left of the screen")
        << at(-qRound(260 * ratio), qRound(50 * ratio)) << QPoint(-260, 50) << "#000000" << false;
}

void TestSettings::reading()
{
    QFETCH(QByteArray, file);
    QFETCH(QPoint, position);
    QFETCH(QString, code);
    QFETCH(bool, lower);

    openWindow(file);
    QCOMPARE(VND_MAIN->pos(), position);
    QCOMPARE(text("L_Color"), code);
    QCOMPARE(action("M_Clip13")->text(), code);
    QCOMPARE(action("M_ClipTransLower")->isChecked(), lower);
    // The display was refreshed for what was read.
    QCOMPARE(text("L_ColorR"), QString::number(bar("SC_R")->value()));
}

void TestSettings::writtenBack_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("no file")
        << QByteArray()
        << mainSection("X=100\r\nY=100\r\nColorR=0\r\nColorG=0\r\nColorB=0\r\nClipTransLower=0\r\n");
    QTest::newRow("unchanged") << kStored << kStored;
    QTest::newRow("clamped and replaced values")
        << mainSection("X=abc\r\nY=397\r\nColorR=300\r\nColorG=-5\r\nColorB=abc\r\nClipTransLower=true\r\n")
        << mainSection("X=100\r\nY=397\r\nColorR=255\r\nColorG=0\r\nColorB=0\r\nClipTransLower=0\r\n");
    QTest::newRow("2 as 1, hexadecimal as decimal")
        << mainSection("X=$10\r\nY=0x20\r\nColorR=$80\r\nColorG=0\r\nColorB=0\r\nClipTransLower=2\r\n")
        << mainSection("X=16\r\nY=32\r\nColorR=128\r\nColorG=0\r\nColorB=0\r\nClipTransLower=1\r\n");
    QTest::newRow("off every screen")
        << mainSection("X=5000\r\nY=397\r\nColorR=0\r\nColorG=0\r\nColorB=0\r\nClipTransLower=0\r\n")
        << mainSection("X=100\r\nY=100\r\nColorR=0\r\nColorG=0\r\nColorB=0\r\nClipTransLower=0\r\n");
    QTest::newRow("other sections and keys kept")
        << QByteArray("[Other]\r\nA=1\r\n\r\n[Main]\r\nColorR=5\r\nMine=yes\r\n")
        << QByteArray("[Other]\r\nA=1\r\n\r\n[Main]\r\nColorR=5\r\nMine=yes\r\nX=100\r\nY=100\r\n"
                      "ColorG=0\r\nColorB=0\r\nClipTransLower=0\r\n");
}

void TestSettings::writtenBack()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    openWindow(before);
    VND_MAIN->show();
    QVERIFY(VND_MAIN->close());
    QVERIFY(!VND_MAIN->isVisible());
    QCOMPARE(fileBytes(settingsPath()), after);
}

void TestSettings::closeWritesWhatTheWindowShows()
{
    openWindow(QByteArray());
    VND_MAIN->show();
    bar("SC_R")->setValue(10);
    bar("SC_G")->setValue(11);
    bar("SC_B")->setValue(12);
    action("M_ClipTransLower")->trigger();
    VND_MAIN->move(300, 200);

    MessageBoxCatcher catcher;
    QVERIFY(VND_MAIN->close());
    QVERIFY(catcher.boxes.isEmpty());
    QCOMPARE(fileBytes(settingsPath()),
             mainSection("X=300\r\nY=200\r\nColorR=10\r\nColorG=11\r\nColorB=12\r\nClipTransLower=1\r\n"));

    // The next start comes back to all of it.
    Application::destroyForm(VND_MAIN);
    openWindow(QByteArray());
    QCOMPARE(VND_MAIN->pos(), QPoint(300, 200));
    QCOMPARE(text("L_Color"), QStringLiteral("#0A0B0C"));
    QVERIFY(action("M_ClipTransLower")->isChecked());
}

void TestSettings::quitRequestWrites()
{
    openWindow(QByteArray());
    VND_MAIN->show();
    bar("SC_G")->setValue(200);

    MessageBoxCatcher catcher;
    QuitRequest request(VND_MAIN);
    ::raise(SIGTERM);
    QTRY_VERIFY(!VND_MAIN->isVisible());
    QVERIFY(catcher.boxes.isEmpty());
    QCOMPARE(fileBytes(settingsPath()),
             mainSection("X=100\r\nY=100\r\nColorR=0\r\nColorG=200\r\nColorB=0\r\nClipTransLower=0\r\n"));
}

// Root may write anything, so these run in a copy of this program, as the user
// "nobody" when the tests run as root, in a folder of its own.
void TestSettings::refusedWrite_data()
{
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<bool>("bySignal");
    QTest::addColumn<bool>("endWithoutSaving");

    QTest::newRow("read-only file") << false << false << false;
    QTest::newRow("read-only folder") << true << false << false;
    QTest::newRow("read-only file at SIGTERM") << false << true << false;
    QTest::newRow("read-only folder, ended without saving") << true << false << true;
}

void TestSettings::refusedWrite()
{
    QFETCH(bool, readOnlyFolder);
    QFETCH(bool, bySignal);
    QFETCH(bool, endWithoutSaving);

    if (inUnprivilegedChild()) {
        refusedWriteInChild(bySignal, endWithoutSaving);
        return;
    }

    uid_t uid = ::geteuid();
    gid_t gid = ::getegid();
    QStringList command;
    if (uid == 0) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("running as root, with no user \"nobody\" to run as: root writes read-only files");
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("running as root, without setpriv to run as another user: root writes read-only files");
        uid = nobody->pw_uid;
        gid = nobody->pw_gid;
        command << setpriv << QStringLiteral("--reuid=%1").arg(uid) << QStringLiteral("--regid=%1").arg(gid)
                << QStringLiteral("--clear-groups") << QStringLiteral("--");
    }

    QTemporaryDir base;
    QVERIFY(base.isValid());
    QVERIFY(::chmod(QFile::encodeName(base.path()).constData(), 0755) == 0);
    const QString appDir = QDir(base.path()).canonicalPath() + QStringLiteral("/app");
    QVERIFY(QDir().mkdir(appDir));
    const QString program = appDir + QLatin1Char('/') + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), program));
    const QString ini = appDir + QStringLiteral("/vindre.ini");
    QVERIFY(writeFileBytes(ini, kStored));

    const auto path = [](const QString &name) { return QFile::encodeName(name); };
    QVERIFY(::chown(path(appDir).constData(), uid, gid) == 0);
    QVERIFY(::chown(path(ini).constData(), uid, gid) == 0);
    QVERIFY(::chmod(path(program).constData(), 0755) == 0);
    QVERIFY(::chmod(path(ini).constData(), readOnlyFolder ? 0644 : 0444) == 0);
    QVERIFY(::chmod(path(appDir).constData(), readOnlyFolder ? 0555 : 0755) == 0);

    QProcess child;
    command << program << QStringLiteral("refusedWrite:%1").arg(QString::fromLatin1(QTest::currentDataTag()));
    child.setProgram(command.takeFirst());
    child.setArguments(command);
    child.setWorkingDirectory(appDir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kChildVariable), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    child.setProcessEnvironment(environment);
    child.start();
    QVERIFY2(child.waitForFinished(90000), "the unprivileged copy did not finish");
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    const QString all = output + errors;

    ::chmod(path(appDir).constData(), 0755);
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(all));
    const QString passed = QStringLiteral("PASS   : TestSettings::refusedWrite(%1)")
                               .arg(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY2(output.contains(passed), qPrintable(all));

    // Seen from outside too: the file as it was, and nothing half-written beside it.
    QCOMPARE(fileBytes(ini), kStored);
    QCOMPARE(QDir(appDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 2);
    if (bySignal)
        QVERIFY2(errors.contains(QStringLiteral("vindre: %1 に書き込めません").arg(ini)), qPrintable(all));
}

void TestSettings::refusedWriteInChild(bool bySignal, bool endWithoutSaving)
{
    const QString ini = settingsPath();
    QCOMPARE(fileBytes(ini), kStored);
    openWindow(QByteArray());
    VND_MAIN->show();
    // What the file holds was read all the same.
    QCOMPARE(VND_MAIN->pos(), QPoint(199, 397));
    QCOMPARE(text("L_Color"), QStringLiteral("#FF8000"));

    MessageBoxCatcher catcher;
    if (bySignal) {
        // Ended by the system: the failure goes to standard error, and the window closes.
        QuitRequest request(VND_MAIN);
        ::raise(SIGTERM);
        QTRY_VERIFY(!VND_MAIN->isVisible());
        QVERIFY(catcher.boxes.isEmpty());
    } else if (endWithoutSaving) {
        catcher.press = QStringLiteral("終了(&X)");
        QVERIFY(VND_MAIN->close());
        QVERIFY(!VND_MAIN->isVisible());
        QCOMPARE(catcher.boxes.size(), 1);
    } else {
        // Every close tries again and fails again; the window stays and works.
        for (int attempt = 1; attempt <= 2; ++attempt) {
            QVERIFY(!VND_MAIN->close());
            QVERIFY(VND_MAIN->isVisible());
            QCOMPARE(catcher.boxes.size(), attempt);
            QCOMPARE(catcher.boxes.last().text, QDir::toNativeSeparators(ini) + QStringLiteral(" に書き込めません."));
            QCOMPARE(catcher.boxes.last().caption, Application::title());
            QCOMPARE(catcher.boxes.last().icon, QMessageBox::Critical);
        }
        bar("SC_G")->setValue(0);
        QCOMPARE(text("L_Color"), QStringLiteral("#FF0000"));
    }
    QCOMPARE(fileBytes(ini), kStored);
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
