#include "shell/quitrequest.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <windows.h>

namespace {

// A main window that counts its closes.
class Window : public QWidget
{
public:
    int closes = 0;
    bool requestSeen = false;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closes;
        requestSeen = QuitRequest::inProgress();
        event->accept();
    }
};

} // namespace

// Logoff and shutdown as Windows announces them to every top-level window.
class TestQuitRequest : public QObject
{
    Q_OBJECT

private slots:
    void endOfSession_data();
    void endOfSession();
};

void TestQuitRequest::endOfSession_data()
{
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("ends");
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("closes");

    // -1: no WM_ENDSESSION; 0 and 1, its wParam.
    QTest::newRow("logoff") << true << 1 << int(ENDSESSION_LOGOFF) << 1;
    QTest::newRow("shutdown") << true << 1 << 0 << 1;
    QTest::newRow("told without being asked") << false << 1 << 0 << 1;
    QTest::newRow("asked only") << true << -1 << 0 << 0;
    QTest::newRow("another program kept the session") << true << 0 << 0 << 0;
}

void TestQuitRequest::endOfSession()
{
    QFETCH(bool, asked);
    QFETCH(int, ends);
    QFETCH(int, reason);
    QFETCH(int, closes);

    Window window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QuitRequest request(&window);
    const HWND hwnd = reinterpret_cast<HWND>(window.winId());
    if (asked)
        QCOMPARE(SendMessageW(hwnd, WM_QUERYENDSESSION, 0, reason), LRESULT(TRUE));
    QCOMPARE(window.closes, 0);
    // Windows may end the process as soon as the message has been handled: the
    // window is closed, and its settings written, before SendMessage returns. It
    // comes while the program waits for events, as Windows sends it.
    int closesOnReturn = 0;
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        if (ends >= 0)
            SendMessageW(hwnd, WM_ENDSESSION, WPARAM(ends), reason);
        closesOnReturn = window.closes;
        loop.quit();
    });
    loop.exec();
    QCOMPARE(closesOnReturn, closes);
    QCOMPARE(window.isVisible(), closes == 0);
    QCOMPARE(window.requestSeen, closes > 0);
    QTest::qWait(50);
    QCOMPARE(window.closes, closes);
}

QTEST_MAIN(TestQuitRequest)
#include "tst_quitrequest_win.moc"
