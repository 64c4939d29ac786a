#include "shell/windowplacement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

const char kFilterName[] = "WindowPlacement-firstShow";

// Qt takes a position given before the first showing as the frame's corner, but only
// while nothing else touches the window's geometry before it is mapped: a resize on
// the way (a layout settling, the size adjusted on showing) turns it into the client
// area's corner, and on X11 the frame then lands up and left of it by the frame's
// size; a position saved at close and restored at the next start would creep by that
// much every run. So just before the window is mapped, with its size settled, the
// position is handed over once more as the frame's: the size first, since a resize
// afterwards would undo it.
class FirstShowFramePosition : public QObject
{
public:
    explicit FirstShowFramePosition(QWidget *window)
        : QObject(window)
    {
        setObjectName(QLatin1String(kFilterName));
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::Show) {
            auto *window = static_cast<QWidget *>(watched);
            if (QWindow *handle = window->windowHandle()) {
                handle->resize(window->size());
                handle->setFramePosition(window->pos());
            }
            window->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

// A screen's corner is the same number in screen pixels and in Qt's; from there on
// Qt's pixels are its device pixel ratio times larger, as Qt maps them itself.
QRect inScreenPixels(const QScreen *screen)
{
    const QRect area = screen->geometry();
    const qreal ratio = screen->devicePixelRatio();
    return QRect(area.topLeft(), QSize(qRound(area.width() * ratio), qRound(area.height() * ratio)));
}

QPoint fromScreenPixels(const QPoint &corner)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *candidate : screens) {
        if (inScreenPixels(candidate).contains(corner))
            screen = candidate;
    }
    if (!screen)
        return corner;
    const QPoint origin = screen->geometry().topLeft();
    return origin + (QPointF(corner - origin) / screen->devicePixelRatio()).toPoint();
}

} // namespace

namespace WindowPlacement {

void moveFrame(QWidget *window, const QPoint &corner)
{
    window->move(fromScreenPixels(corner));
    if (!window->isVisible()
        && !window->findChild<QObject *>(QLatin1String(kFilterName), Qt::FindDirectChildrenOnly))
        new FirstShowFramePosition(window);
}

QPoint framePosition(const QWidget *window)
{
    const QPoint corner = window->pos();
    const QScreen *screen = window->screen();
    if (!screen)
        return corner;
    const QPoint origin = screen->geometry().topLeft();
    return origin + (QPointF(corner - origin) * screen->devicePixelRatio()).toPoint();
}

bool onSomeScreen(const QPoint &corner, const QSize &size)
{
    // Wide arithmetic: a stored corner may be any 32-bit number.
    const qint64 left = corner.x();
    const qint64 top = corner.y();
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens) {
        const QRect area = inScreenPixels(screen);
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
