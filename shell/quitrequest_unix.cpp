#include "shell/quitrequest.h"

#include "shell/guard.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
constexpr int kSignalCount = int(sizeof kSignals / sizeof kSignals[0]);

// The signal handler only writes a byte into this pipe; the event loop does the rest.
volatile sig_atomic_t g_signalWriteEnd = -1;
struct sigaction g_previous[kSignalCount];
bool g_installed[kSignalCount] = {};

extern "C" void onQuitSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // A full pipe needs no more bytes: a request is already waiting in it.
    [[maybe_unused]] const ssize_t written = ::write(g_signalWriteEnd, &byte, 1);
    errno = savedErrno;
}

// SIGTERM, SIGHUP and SIGINT, and the session manager's request to save.
class SignalListener : public QObject
{
public:
    explicit SignalListener(QuitRequest *request)
        : QObject(request)
        , m_request(request)
    {
        if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) == 0) {
            m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
            connectHandler(m_notifier, &QSocketNotifier::activated, this, &SignalListener::signalArrived);
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
            connectHandler(application, &QGuiApplication::commitDataRequest, request, &QuitRequest::endProgram);
#endif
    }

    ~SignalListener() override
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
    }

private:
    void signalArrived(QObject *Sender)
    {
        char bytes[64];
        while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
        }
        m_request->endProgram(Sender);
    }

    QuitRequest *m_request;
    QSocketNotifier *m_notifier = nullptr;
    int m_pipe[2] = {-1, -1};
};

} // namespace

void QuitRequest::listen()
{
    new SignalListener(this);
}
