#include "shell/quitrequest.h"

#include <QCloseEvent>
#include <QTemporaryFile>
#include <QTest>
#include <QWidget>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace {

// A main window that counts its closes, and may refuse them.
class Window : public QWidget
{
public:
    int closes = 0;
    bool refuse = false;
    bool requestSeen = false;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closes;
        requestSeen = QuitRequest::inProgress();
        event->setAccepted(!refuse);
    }
};

volatile sig_atomic_t g_ownHandlerRan = 0;

extern "C" void ownHandler(int)
{
    g_ownHandlerRan = 1;
}

// What the code under test writes to standard error while it runs.
class StandardErrorCapture
{
public:
    StandardErrorCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~StandardErrorCapture() { restore(); }

    QString text()
    {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll());
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};

} // namespace

class TestQuitRequest : public QObject
{
    Q_OBJECT

private slots:
    void closesTheWindow_data();
    void closesTheWindow();
    void onlyTheFirstRequestCounts();
    void refusedCloseIsReported();
    void ignoredSignalStaysIgnored();
    void earlierHandlerComesBack();
};

void TestQuitRequest::closesTheWindow_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGINT") << SIGINT;
}

void TestQuitRequest::closesTheWindow()
{
    QFETCH(int, signalNumber);

    Window window;
    window.show();
    QuitRequest request(&window);
    QVERIFY(!QuitRequest::inProgress());
    ::raise(signalNumber);
    QTRY_COMPARE(window.closes, 1);
    QVERIFY(!window.isVisible());
    // The close knew it was not the user's.
    QVERIFY(window.requestSeen);
}

void TestQuitRequest::onlyTheFirstRequestCounts()
{
    Window window;
    window.show();
    QuitRequest request(&window);
    ::raise(SIGTERM);
    ::raise(SIGINT);
    QTRY_COMPARE(window.closes, 1);
    request.endProgram(nullptr);
    QTest::qWait(50);
    QCOMPARE(window.closes, 1);
}

void TestQuitRequest::refusedCloseIsReported()
{
    Window window;
    window.refuse = true;
    window.show();
    QuitRequest request(&window);
    StandardErrorCapture capture;
    ::raise(SIGTERM);
    QTRY_COMPARE(window.closes, 1);
    QCOMPARE(capture.text(), QStringLiteral("vindre: ending without saving the settings\n"));
}

void TestQuitRequest::ignoredSignalStaysIgnored()
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction before = {};
    QVERIFY(::sigaction(SIGHUP, &ignore, &before) == 0);

    Window window;
    window.show();
    {
        QuitRequest request(&window);
        ::raise(SIGHUP);
        QTest::qWait(100);
    }
    QCOMPARE(window.closes, 0);
    QVERIFY(window.isVisible());
    ::sigaction(SIGHUP, &before, nullptr);
}

void TestQuitRequest::earlierHandlerComesBack()
{
    struct sigaction own = {};
    own.sa_handler = ownHandler;
    struct sigaction before = {};
    QVERIFY(::sigaction(SIGTERM, &own, &before) == 0);

    Window window;
    window.show();
    {
        QuitRequest request(&window);
    }
    g_ownHandlerRan = 0;
    ::raise(SIGTERM);
    QTest::qWait(50);
    QCOMPARE(int(g_ownHandlerRan), 1);
    QCOMPARE(window.closes, 0);
    ::sigaction(SIGTERM, &before, nullptr);
}

QTEST_MAIN(TestQuitRequest)
#include "tst_quitrequest.moc"
