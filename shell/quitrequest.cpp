#include "shell/quitrequest.h"

#include "shell/guard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {

QuitRequest *g_current = nullptr;

// A frame takes one refresh of the screen; a compositor may send none at all for a
// window out of sight.
constexpr int kLongestFrameWaitMs = 500;

} // namespace

QuitRequest::QuitRequest(QWidget *mainWindow, QObject *parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
{
    Q_ASSERT(!g_current);
    g_current = this;

    listen();
}

QuitRequest::~QuitRequest()
{
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
