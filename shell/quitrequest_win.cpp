#include "shell/quitrequest.h"

#include "shell/guard.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

#include <windows.h>

namespace {

// Logoff and shutdown. Windows asks first (WM_QUERYENDSESSION, which Qt answers yes)
// and then says the session ends (WM_ENDSESSION); the process may be ended as soon
// as that message has been handled, so the window is closed, and the settings
// written, before it returns. A session that another program kept from ending
// leaves this one running.
class SessionEndListener : public QObject, public QAbstractNativeEventFilter
{
public:
    explicit SessionEndListener(QuitRequest *request)
        : QObject(request)
        , m_request(request)
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }

    ~SessionEndListener() override
    {
        if (QCoreApplication *application = QCoreApplication::instance())
            application->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (eventType == "windows_generic_MSG" && msg->message == WM_ENDSESSION && msg->wParam)
            Guard::run([this] { m_request->endProgram(this); });
        // Qt still sees it, and ends its own loop.
        return false;
    }

private:
    QuitRequest *m_request;
};

} // namespace

void QuitRequest::listen()
{
    new SessionEndListener(this);
}
