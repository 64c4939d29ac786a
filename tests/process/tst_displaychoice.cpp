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

private:
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
    // The plugin the program asks Qt for; empty when it leaves the choice to Qt.
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
    QTest::newRow("QT_QPA_PLATFORM list, one usable")
        << QByteArrayList{noX, "QT_QPA_PLATFORM=xcb;offscreen"} << QByteArrayList{} << true << QByteArray();
    QTest::newRow("QT_QPA_PLATFORM wayland")
        << QByteArrayList{compositor, "QT_QPA_PLATFORM=wayland"} << QByteArrayList{} << true << QByteArray();
    QTest::newRow("-platform offscreen") << QByteArrayList{noX} << QByteArrayList{"-platform", "offscreen"} << true
                                         << QByteArray();
    QTest::newRow("--platform offscreen") << QByteArrayList{noX} << QByteArrayList{"--platform", "offscreen"} << true
                                          << QByteArray();
    QTest::newRow("-platform over QT_QPA_PLATFORM")
        << QByteArrayList{noX, "QT_QPA_PLATFORM=offscreen"} << QByteArrayList{"-platform", "xcb"} << false
        << QByteArray();
    QTest::newRow("-platform with plugin options")
        << QByteArrayList{noX} << QByteArrayList{"-platform", "xcb:nograb"} << false << QByteArray();
    QTest::newRow("-platform without a value") << QByteArrayList{noX} << QByteArrayList{"-platform"} << false
                                               << QByteArray();
    QTest::newRow("Wayland, -platform with an empty value")
        << QByteArrayList{compositor} << QByteArrayList{"-platform", ""} << false << QByteArray();
    QTest::newRow("Wayland, -platform without its value")
        << QByteArrayList{compositor} << QByteArrayList{"-style", "fusion", "-platform"} << true << QByteArray("wayland");
}

void TestDisplayChoice::choice()
{
    QFETCH(QByteArrayList, environment);
    QFETCH(QByteArrayList, arguments);
    QFETCH(bool, found);
    QFETCH(QByteArray, plugin);

    for (const char *name : kVariables)
        qunsetenv(name);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    for (const QByteArray &setting : environment)
        qputenv(setting.left(setting.indexOf('=')).constData(), setting.mid(setting.indexOf('=') + 1));

    arguments.prepend("vindre");
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

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

QTEST_GUILESS_MAIN(TestDisplayChoice)
#include "tst_displaychoice.moc"
