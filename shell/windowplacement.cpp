#include "shell/windowplacement.h"
#include "shell/windowplacement_p.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace WindowPlacement {

// A screen's corner is the same number in screen pixels and in Qt's; from there on
// Qt's pixels are its device pixel ratio times larger, as Qt maps them itself.
QPoint fromScreenPixels(const QPoint &corner)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *candidate : screens) {
        if (inScreenPixels(candidate->geometry(), candidate).contains(corner))
            screen = candidate;
    }
    if (!screen)
        return corner;
    const QPoint origin = screen->geometry().topLeft();
    return origin + (QPointF(corner - origin) / screen->devicePixelRatio()).toPoint();
}

// Before a window is on the screen only Qt knows its place and frame.
QPoint qtFramePosition(const QWidget *window)
{
    const QPoint corner = window->pos();
    const QScreen *screen = window->screen();
    if (!screen)
        return corner;
    const QPoint origin = screen->geometry().topLeft();
    return origin + (QPointF(corner - origin) * screen->devicePixelRatio()).toPoint();
}

QMargins qtFrameMargins(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    const QMargins margins = handle ? handle->frameMargins() : QMargins();
    const qreal ratio = window->devicePixelRatioF();
    return QMargins(qRound(margins.left() * ratio), qRound(margins.top() * ratio), qRound(margins.right() * ratio),
                    qRound(margins.bottom() * ratio));
}

QRect inScreenPixels(const QRect &area, const QScreen *screen)
{
    const QPoint origin = screen->geometry().topLeft();
    const qreal ratio = screen->devicePixelRatio();
    return QRect(origin + (QPointF(area.topLeft() - origin) * ratio).toPoint(),
                 QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)));
}

bool onSomeScreen(const QPoint &corner, const QSize &size)
{
    // Wide arithmetic: a stored corner may be any 32-bit number.
    const qint64 left = corner.x();
    const qint64 top = corner.y();
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        const QRect area = inScreenPixels(screen->geometry(), screen);
        const qreal ratio = screen->devicePixelRatio();
        const qint64 right = left + qRound(size.width() * ratio);
        const qint64 bottom = top + qRound(size.height() * ratio);
        if (left < qint64(area.x()) + area.width() && right > area.x()
            && top < qint64(area.y()) + area.height() && bottom > area.y())
            return true;
    }
    return false;
}

bool positionKnown()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}
