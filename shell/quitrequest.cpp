#include "shell/quitrequest.h"

#include "shell/guard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

// The signal handler only writes a byte into this pipe; the event loop does the rest.
volatile sig_atomic_t g_signalWriteEnd = -1;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount] = {};
QuitRequest *g_current = nullptr;

// A frame takes one refresh of the screen; a compositor may send none at all for a
// window out of sight.
constexpr int kLongestFrameWaitMs = 500;

extern "C" void onQuitSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // A full pipe needs no more bytes: a request is already waiting in it.
    [[maybe_unused]] const ssize_t written = ::write(g_signalWriteEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

QuitRequest::QuitRequest(QWidget *mainWindow, QObject *parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
{
    Q_ASSERT(!g_current);
    g_current = this;

    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
        connectHandler(m_notifier, &QSocketNotifier::activated, this, &QuitRequest::signalArrived);
        g_signalWriteEnd = m_pipe[1];

        struct sigaction action = {};
        action.sa_handler = onQuitSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int i = 0; i < kSignalCount; ++i) {
            struct sigaction current = {};
            ::sigaction(kSignals[i], nullptr, &current);
            // Started under nohup or the like: the signal stays ignored, as was asked.
            if (current.sa_handler == SIG_IGN)
                continue;
            g_installed[i] = ::sigaction(kSignals[i], &action, &g_previous[i]) == 0;
        }
    }

#if QT_CONFIG(sessionmanager)
    if (auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connectHandler(application, &QGuiApplication::commitDataRequest, this, &QuitRequest::endProgram);
#endif
}

QuitRequest::~QuitRequest()
{
    for (int i = 0; i < kSignalCount; ++i) {
        if (g_installed[i])
            ::sigaction(kSignals[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
    g_signalWriteEnd = -1;
    delete m_notifier;
    for (int &end : m_pipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
    g_current = nullptr;
}

bool QuitRequest::inProgress()
{
    return g_current && g_current->m_ending;
}

void QuitRequest::report(const QString &message)
{
    std::fprintf(stderr, "vindre: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}

void QuitRequest::signalArrived(QObject *Sender)
{
    char bytes[64];
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
    }
    endProgram(Sender);
}

void QuitRequest::endProgram(QObject *)
{
    if (m_ending)
        return;
    m_ending = true;
    // Qt's Wayland plugin (6.4) lets the thread that receives a window's frame callback
    // destroy it while the main thread, hiding the window, destroys it too: the double
    // destroy aborts the program. A request that comes right after a window was shown
    // finds its first frame in flight, so there each window is closed only once its
    // next update request has come, which Qt delivers after the frame has landed.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        const QWindowList windows = QGuiApplication::topLevelWindows();
        for (QWindow *window : windows) {
            if (!window->isVisible())
                continue;
            m_framesAwaited.insert(window);
            window->installEventFilter(this);
            window->requestUpdate();
        }
    }
    if (m_framesAwaited.isEmpty())
        closeWindows();
    else
        QTimer::singleShot(kLongestFrameWaitMs, this, &QuitRequest::closeWindows);
}

bool QuitRequest::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::UpdateRequest && m_framesAwaited.remove(watched)) {
        watched->removeEventFilter(this);
        if (m_framesAwaited.isEmpty())
            closeWindows();
        // Painted now, the window would send a new frame on its way.
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void QuitRequest::closeWindows()
{
    if (m_closed)
        return;
    m_closed = true;
    m_framesAwaited.clear();
    if (m_mainWindow) {
        m_mainWindow->close();
        // A close already under way (its error box still up) is not started again.
        if (m_mainWindow->isVisible())
            report(QStringLiteral("ending without saving the settings"));
    }
    // Ends every loop, a dialog's too: with a dialog still up the program would
    // otherwise go on without its main window.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::quit();
}
