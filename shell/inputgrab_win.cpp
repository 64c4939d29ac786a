#include "shell/inputgrab.h"

#include "shell/screenpixels.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>

#include <windows.h>

// Windows gives the mouse to the window that captures it, clicks included wherever
// they fall, but tells it of moves only over the program's own windows: the pointer
// is looked at on every refresh of the screen as well, so that a move over another
// program's window, or a jump, is told all the same. The keyboard comes to the
// program's active window, and Qt hands it on to the window that holds it.

namespace {

// About one refresh of a 60 Hz screen.
constexpr int kLookIntervalMs = 16;

} // namespace

InputGrab::InputGrab(QObject *parent)
    : QObject(parent)
{
}

InputGrab::~InputGrab()
{
    release();
}

bool InputGrab::hold(QWindow *window)
{
    const auto hwnd = reinterpret_cast<HWND>(window->winId());
    if (m_window || !hwnd || !IsWindowVisible(hwnd))
        return false;
    // A button held down in another program, dragging there: its window has the
    // mouse, and taking it away would break that drag.
    GUITHREADINFO foreground = {};
    foreground.cbSize = sizeof foreground;
    if (GetGUIThreadInfo(0, &foreground) && foreground.hwndCapture
        && GetWindowThreadProcessId(foreground.hwndCapture, nullptr) != GetCurrentThreadId())
        return false;
    SetCapture(hwnd);
    if (GetCapture() != hwnd || !window->setKeyboardGrabEnabled(true)) {
        if (GetCapture() == hwnd)
            ReleaseCapture();
        return false;
    }
    m_window = WId(hwnd);
    qApp->installNativeEventFilter(this);
    // Windows asks a window that holds the mouse for no cursor: it sets its own now.
    SendMessageW(hwnd, WM_SETCURSOR, WPARAM(hwnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));

    auto *look = new QTimer(this);
    look->setInterval(kLookIntervalMs);
    connect(look, &QTimer::timeout, this, [this, last = ScreenPixels::pointer()]() mutable {
        const std::optional<QPoint> pointer = ScreenPixels::pointer();
        if (pointer && pointer != last)
            emit moved(*pointer);
        last = pointer;
    });
    look->start();
    return true;
}

void InputGrab::release()
{
    if (!m_window)
        return;
    const auto hwnd = reinterpret_cast<HWND>(m_window);
    m_window = 0;
    delete findChild<QTimer *>();
    qApp->removeNativeEventFilter(this);
    for (QWindow *window : QGuiApplication::allWindows()) {
        if (window->handle() && window->winId() == WId(hwnd))
            window->setKeyboardGrabEnabled(false);
    }
    if (GetCapture() == hwnd)
        ReleaseCapture();
}

bool InputGrab::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (!m_window || eventType != "windows_generic_MSG")
        return false;
    const MSG *msg = static_cast<const MSG *>(message);
    // Another window took the mouse: the user switched away (Alt+Tab, the Windows
    // key), or the window was hidden.
    if (msg->message == WM_CAPTURECHANGED && msg->hwnd == reinterpret_cast<HWND>(m_window)
        && reinterpret_cast<HWND>(msg->lParam) != msg->hwnd) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!m_window)
                    return;
                release();
                emit lost();
            },
            Qt::QueuedConnection);
    }
    return false;
}
