#include "process/displaychoice.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

const char *const kVariables[] = {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"};

// A display number where no X server runs.
const QByteArray kNoXServer = QByteArrayLiteral(":9731");

} // namespace

// A compositor is stood in for by a socket that accepts connections; no X server
// answers in these tests.
class TestDisplayChoice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void choice_data();
    void choice();
    void display_data();
    void display();

private:
    void setEnvironment(const QByteArrayList &environment);
    static std::vector<char *> argv(QByteArrayList &arguments);

    QTemporaryDir m_runtime;
    int m_compositor = -1;
};

void TestDisplayChoice::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(m_runtime.filePath(QStringLiteral("wayland-test")));
    QVERIFY(path.size() < qsizetype(sizeof address.sun_path));
    std::memcpy(address.sun_path, path.constData(), path.size());
    m_compositor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(m_compositor != -1);
    QVERIFY(::bind(m_compositor, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    QVERIFY(::listen(m_compositor, 16) == 0);
}

void TestDisplayChoice::cleanupTestCase()
{
    ::close(m_compositor);
}

void TestDisplayChoice::choice_data()
{
    QTest::addColumn<QByteArrayList>("environment");
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<bool>("found");
    // The plugin the program puts first for Qt, which a -platform of the user's
    // overrides; empty when it adds none.
    QTest::addColumn<QByteArray>("plugin");

    const QByteArray noX = "DISPLAY=" + kNoXServer;
    const QByteArray compositor = "WAYLAND_DISPLAY=wayland-test";
    QTest::newRow("nothing set") << QByteArrayList{} << QByteArrayList{} << false << QByteArray();
    QTest::newRow("no X server at DISPLAY") << QByteArrayList{noX} << QByteArrayList{} << false << QByteArray();
    QTest::newRow("no compositor at WAYLAND_DISPLAY")
        << QByteArrayList{"WAYLAND_DISPLAY=wayland-none"} << QByteArrayList{} << false << QByteArray();
    QTest::newRow("Wayland alone") << QByteArrayList{compositor} << QByteArrayList{} << true << QByteArray("wayland");
    QTest::newRow("Wayland, no X server at DISPLAY")
        << QByteArrayList{compositor, noX} << QByteArrayList{} << true << QByteArray("wayland");
    QTest::newRow("QT_QPA_PLATFORM offscreen")
        << QByteArrayList{noX, "QT_QPA_PLATFORM=offscreen"} << QByteArrayList{} << true << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM xcb, no X server")
        << QByteArrayList{noX, compositor, "QT_QPA_PLATFORM=xcb"} << QByteArrayList{} << false << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM XCB, no X server")
        << QByteArrayList{noX, compositor, "QT_QPA_PLATFORM=XCB"} << QByteArrayList{} << false << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM list, one usable")
        << QByteArrayList{noX, "QT_QPA_PLATFORM=xcb;offscreen"} << QByteArrayList{} << true << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM wayland")
        << QByteArrayList{compositor, "QT_QPA_PLATFORM=wayland"} << QByteArrayList{} << true << QByteArray();
    QTest::newRow("-platform offscreen") << QByteArrayList{noX} << QByteArrayList{"-platform", "offscreen"} << true
                                         << QByteArray("xcb");
    QTest::newRow("--platform offscreen") << QByteArrayList{noX} << QByteArrayList{"--platform", "offscreen"} << true
                                          << QByteArray("xcb");
    QTest::newRow("-platform over QT_QPA_PLATFORM")
        << QByteArrayList{noX, "QT_QPA_PLATFORM=offscreen"} << QByteArrayList{"-platform", "xcb"} << false
        << QByteArray();
    QTest::newRow("-platform with plugin options")
        << QByteArrayList{noX} << QByteArrayList{"-platform", "xcb:nograb"} << false << QByteArray("xcb");
    QTest::newRow("-platform without a value") << QByteArrayList{noX} << QByteArrayList{"-platform"} << false
                                               << QByteArray();
    QTest::newRow("Wayland, -platform with an empty value")
        << QByteArrayList{compositor} << QByteArrayList{"-platform", ""} << false << QByteArray("xcb");
    QTest::newRow("Wayland, -platform without its value")
        << QByteArrayList{compositor} << QByteArrayList{"-style", "fusion", "-platform"} << true << QByteArray("wayland");

    // Plugin names as Qt takes them, and ones it has not: never its abort.
    QTest::newRow("Wayland, -platform of no plugin")
        << QByteArrayList{compositor} << QByteArrayList{"-platform", "bogus"} << false << QByteArray("xcb");
    QTest::newRow("Wayland, QT_QPA_PLATFORM of no plugin")
        << QByteArrayList{compositor, "QT_QPA_PLATFORM=bogus"} << QByteArrayList{} << false << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM list, one plugin there")
        << QByteArrayList{noX, "QT_QPA_PLATFORM=bogus;OFFSCREEN"} << QByteArrayList{} << true << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM with empty parts")
        << QByteArrayList{noX, "QT_QPA_PLATFORM=;:offscreen"} << QByteArrayList{} << true << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM with a blank before the name")
        << QByteArrayList{noX, "QT_QPA_PLATFORM= offscreen"} << QByteArrayList{} << false << QByteArray();
    // Before "-platform wayland", -title is no option, and Qt takes the plugin named.
    QTest::newRow("Wayland, -platform after -title")
        << QByteArrayList{compositor} << QByteArrayList{"-title", "-platform", "bogus"} << false << QByteArray("wayland");
}

void TestDisplayChoice::setEnvironment(const QByteArrayList &environment)
{
    for (const char *name : kVariables)
        qunsetenv(name);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    for (const QByteArray &setting : environment)
        qputenv(setting.left(setting.indexOf('=')).constData(), setting.mid(setting.indexOf('=') + 1));
}

std::vector<char *> TestDisplayChoice::argv(QByteArrayList &arguments)
{
    arguments.prepend("vindre");
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    return argv;
}

void TestDisplayChoice::choice()
{
    QFETCH(QByteArrayList, environment);
    QFETCH(QByteArrayList, arguments);
    QFETCH(bool, found);
    QFETCH(QByteArray, plugin);

    setEnvironment(environment);
    std::vector<char *> argv = this->argv(arguments);
    DisplayChoice choice(int(arguments.size()), argv.data());
    QCOMPARE(choice.found(), found);
    QByteArrayList given;
    for (int i = 0; i < choice.argc(); ++i)
        given.append(choice.argv()[i]);
    QCOMPARE(choice.argv()[choice.argc()], nullptr);
    QByteArrayList expected = arguments;
    if (!plugin.isEmpty())
        expected = QByteArrayList{arguments.first(), "-platform", plugin} + arguments.mid(1);
    QCOMPARE(given, expected);
}

// The X display probed, and served by the clipboard keeper, is the one Qt opens:
// Qt's options before the xcb plugin's take their values first.
void TestDisplayChoice::display_data()
{
    QTest::addColumn<QByteArrayList>("environment");
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArray>("display");

    const QByteArray noX = "DISPLAY=" + kNoXServer;
    QTest::newRow("-display") << QByteArrayList{noX} << QByteArrayList{"-display", ":1"} << QByteArray(":1");
    QTest::newRow("--display") << QByteArrayList{noX} << QByteArrayList{"--display", ":1"} << QByteArray(":1");
    QTest::newRow("the last -display") << QByteArrayList{noX} << QByteArrayList{"-display", ":1", "-display", ":2"}
                                       << QByteArray(":2");
    QTest::newRow("-display without a value") << QByteArrayList{noX} << QByteArrayList{"-display"} << kNoXServer;
    QTest::newRow("-display empty") << QByteArrayList{noX} << QByteArrayList{"-display", ""} << kNoXServer;
    QTest::newRow("-title takes -display as its value")
        << QByteArrayList{noX} << QByteArrayList{"-title", "-display", ":1"} << kNoXServer;
    QTest::newRow("--qwindowicon takes -display as its value")
        << QByteArrayList{noX} << QByteArrayList{"--qwindowicon", "-display", ":1"} << kNoXServer;
    QTest::newRow("-name takes -display as its value")
        << QByteArrayList{noX} << QByteArrayList{"-name", "-display", ":1"} << kNoXServer;
    QTest::newRow("-style comes too late to take it")
        << QByteArrayList{noX} << QByteArrayList{"-style", "-display", ":1"} << QByteArray(":1");
    QTest::newRow("-title is no option before a plugin list that starts with another")
        << QByteArrayList{noX, "QT_QPA_PLATFORM=wayland;xcb"} << QByteArrayList{"-title", "-display", ":1"}
        << QByteArray(":1");
}

void TestDisplayChoice::display()
{
    QFETCH(QByteArrayList, environment);
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArray, display);

    setEnvironment(environment);
    std::vector<char *> argv = this->argv(arguments);
    DisplayChoice choice(int(arguments.size()), argv.data());
    QCOMPARE(choice.display(), display);
}

QTEST_GUILESS_MAIN(TestDisplayChoice)
#include "tst_displaychoice.moc"
