#include "shell/screenpixels.h"

#include <QGuiApplication>
#include <QScreen>

namespace ScreenPixels {

QPointF fromScreen(QPoint position)
{
    // Qt scales each monitor about its top-left corner, which stays where it is.
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        const QRect native(logical.topLeft(), logical.size() * screen->devicePixelRatio());
        if (native.contains(position))
            return QPointF(logical.topLeft()) + QPointF(position - logical.topLeft()) / screen->devicePixelRatio();
    }
    const QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? QPointF(position) / primary->devicePixelRatio() : QPointF(position);
}

QPoint toScreen(QPointF position)
{
    for (QScreen *screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        if (QRectF(logical).contains(position))
            return logical.topLeft() + ((position - logical.topLeft()) * screen->devicePixelRatio()).toPoint();
    }
    const QScreen *primary = QGuiApplication::primaryScreen();
    return (primary ? position * primary->devicePixelRatio() : position).toPoint();
}

}
