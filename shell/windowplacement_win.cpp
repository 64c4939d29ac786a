#include "shell/windowplacement.h"
#include "shell/windowplacement_p.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <optional>

#include <windows.h>

// The program is aware of each monitor's own scale, so Windows places its windows in
// screen pixels: GetWindowRect and SetWindowPos speak of the outer frame's corner
// in the very pixels the settings file keeps.

namespace {

const char kPlacementName[] = "WindowPlacement-asked";

HWND nativeWindow(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    if (QGuiApplication::platformName() != QLatin1String("windows") || !handle || !handle->handle())
        return nullptr;
    return reinterpret_cast<HWND>(handle->winId());
}

// Where a window was asked to go, and where it went. Qt's own pixels at 150 % name
// only two screen pixels in three, so the native window is put there to the screen
// pixel. Before its first showing Qt moves it once more, by its own reckoning of the
// frame; until the window is on the screen every move is steered to the place asked.
class Placement : public QObject, public QAbstractNativeEventFilter
{
public:
    explicit Placement(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
        setObjectName(QLatin1String(kPlacementName));
    }

    ~Placement() override { steer(false); }

    void ask(const QPoint &corner, const QPoint &qtCorner)
    {
        m_asked = corner;
        m_qtCorner = qtCorner;
        m_landed.reset();
        if (m_window->isVisible() && m_window->windowHandle()->isExposed()) {
            place();
            m_landed = WindowPlacement::framePosition(m_window);
        } else {
            steer(true);
            place();
        }
    }

    bool refusedAt(const QPoint &current) const
    {
        return m_landed && *m_landed != m_asked && current == *m_landed;
    }

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const MSG *msg = static_cast<const MSG *>(message);
        if (msg->message == WM_WINDOWPOSCHANGING && msg->hwnd == nativeWindow(m_window)) {
            auto *position = reinterpret_cast<WINDOWPOS *>(msg->lParam);
            if (!(position->flags & SWP_NOMOVE)) {
                position->x = m_asked.x();
                position->y = m_asked.y();
            }
        }
        return false;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == m_window) {
            // Moved since by the program's own code: that place stands.
            if (m_window->pos() != m_qtCorner) {
                steer(false);
                return false;
            }
            // The native window exists now; it is watched until it is on the screen.
            m_window->windowHandle()->installEventFilter(this);
            place();
        } else if (event->type() == QEvent::Expose && watched == m_window->windowHandle()
                   && m_window->windowHandle()->isExposed()) {
            steer(false);
            m_landed = WindowPlacement::framePosition(m_window);
        }
        return false;
    }

private:
    void steer(bool on)
    {
        if (on == m_steering)
            return;
        m_steering = on;
        if (on) {
            m_window->installEventFilter(this);
            QCoreApplication::instance()->installNativeEventFilter(this);
            return;
        }
        m_window->removeEventFilter(this);
        if (QWindow *handle = m_window->windowHandle())
            handle->removeEventFilter(this);
        if (QCoreApplication *application = QCoreApplication::instance())
            application->removeNativeEventFilter(this);
    }

    void place()
    {
        if (const HWND hwnd = nativeWindow(m_window))
            SetWindowPos(hwnd, nullptr, m_asked.x(), m_asked.y(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    QWidget *m_window;
    QPoint m_asked;
    // The same place in Qt's pixels, as it was handed to Qt.
    QPoint m_qtCorner;
    std::optional<QPoint> m_landed;
    bool m_steering = false;
};

Placement *placementOf(const QWidget *window)
{
    return window->findChild<Placement *>(QLatin1String(kPlacementName), Qt::FindDirectChildrenOnly);
}

} // namespace

namespace WindowPlacement {

void moveFrame(QWidget *window, const QPoint &corner)
{
    window->move(fromScreenPixels(corner));
    Placement *placement = placementOf(window);
    if (!placement)
        placement = new Placement(window);
    placement->ask(corner, window->pos());
}

QPoint framePosition(const QWidget *window)
{
    RECT frame = {};
    if (const HWND hwnd = nativeWindow(window); hwnd && GetWindowRect(hwnd, &frame))
        return QPoint(frame.left, frame.top);
    return qtFramePosition(window);
}

QMargins frameMargins(const QWidget *window)
{
    RECT frame = {};
    RECT client = {};
    POINT corner = {};
    if (const HWND hwnd = nativeWindow(window);
        hwnd && GetWindowRect(hwnd, &frame) && GetClientRect(hwnd, &client) && ClientToScreen(hwnd, &corner)) {
        return QMargins(corner.x - frame.left, corner.y - frame.top, frame.right - corner.x - client.right,
                        frame.bottom - corner.y - client.bottom);
    }
    return qtFrameMargins(window);
}

bool placedElsewhere(const QWidget *window)
{
    const Placement *placement = placementOf(window);
    return placement && placement->refusedAt(framePosition(window));
}

}
