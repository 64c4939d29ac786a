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

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (eventType != "windows_generic_MSG" || msg->message != WM_ENDSESSION || !msg->wParam)
            return false;
        Guard::run([this] { m_request->endProgram(this); });
        // The window the message came to may have gone with the close, and Qt would
        // still look it up: the message is handled here, for every window, and the
        // loops end with the close.
        *result = 0;
        return true;
    }

private:
    QuitRequest *m_request;
};

} // namespace

void QuitRequest::listen()
{
    new SessionEndListener(this);
}
