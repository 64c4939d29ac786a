#include "picker/screenpicker.h"

#include "picker/loupe.h"
#include "picker/screencolorportal.h"
#include "shell/exception.h"
#include "shell/guard.h"
#include "shell/screenpixels.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace {

const char kCannotRead[] = "この画面からは色を拾えません";
const char kHeldElsewhere[] = "ほかのプログラムがマウスかキーボードを占有しているため、画面から色を拾えません";

} // namespace

ScreenPicker::ScreenPicker(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
{
}

ScreenPicker::~ScreenPicker()
{
    finish();
}

void ScreenPicker::start()
{
    if (m_picking)
        return;
    if (ScreenColorPortal::sessionPresent()) {
        if (!m_portal) {
            m_portal = new ScreenColorPortal(this);
            connect(m_portal, &ScreenColorPortal::picked, this, &ScreenPicker::portalPicked);
            connect(m_portal, &ScreenColorPortal::unavailable, this, &ScreenPicker::portalUnavailable);
        }
        m_portal->pick(m_owner->window()->windowHandle());
        return;
    }
    startOnScreen();
}

void ScreenPicker::startOnScreen()
{
    const std::optional<QPoint> pointer = ScreenPixels::pointer();
    if (!pointer)
        throw Exception(QString::fromUtf8(kCannotRead));
    if (!m_loupe)
        m_loupe = std::make_unique<Loupe>();
    m_pointer = *pointer;
    m_loupe->showAround(m_pointer);
    // The loupe's window holds pointer and keyboard: every click and key comes to us,
    // wherever the pointer is, our own windows included.
    QWindow *window = m_loupe->windowHandle();
    const bool pointerHeld = ScreenPixels::holdPointer(window->winId());
    const bool keyboardHeld = pointerHeld && window->setKeyboardGrabEnabled(true);
    if (!keyboardHeld) {
        if (pointerHeld)
            ScreenPixels::releasePointer();
        m_loupe->hide();
        throw Exception(QString::fromUtf8(kHeldElsewhere));
    }
    m_picking = true;
    // Qt hands key events to its focus window, not to the one holding the keyboard.
    qApp->installEventFilter(this);
}

bool ScreenPicker::eventFilter(QObject *, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        follow();
        return true;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            take();
        else if (static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            finish();
        return true;
    case QEvent::KeyPress:
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Escape:
            finish();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            take();
            break;
        case Qt::Key_Left:
            movePointer(-1, 0);
            break;
        case Qt::Key_Right:
            movePointer(1, 0);
            break;
        case Qt::Key_Up:
            movePointer(0, -1);
            break;
        case Qt::Key_Down:
            movePointer(0, 1);
            break;
        default:
            break;
        }
        return true;
    case QEvent::ShortcutOverride:
        // No shortcut of the windows below fires while the keys are ours.
        event->accept();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

void ScreenPicker::follow()
{
    if (const std::optional<QPoint> pointer = ScreenPixels::pointer())
        m_pointer = *pointer;
    m_loupe->showAround(m_pointer);
}

void ScreenPicker::movePointer(int right, int down)
{
    ScreenPixels::movePointer(m_pointer + QPoint(right, down));
    follow();
}

void ScreenPicker::take()
{
    // Where the loupe last showed the pointer, so never under the loupe itself.
    const QImage pixel = ScreenPixels::read(QRect(m_pointer, QSize(1, 1)));
    finish();
    if (pixel.isNull())
        return;
    m_color = pixel.pixel(0, 0);
    emit picked();
}

void ScreenPicker::finish()
{
    if (!m_picking)
        return;
    m_picking = false;
    qApp->removeEventFilter(this);
    QWindow *window = m_loupe->windowHandle();
    window->setKeyboardGrabEnabled(false);
    ScreenPixels::releasePointer();
    m_loupe->hide();
}

void ScreenPicker::portalPicked(const QColor &color)
{
    m_color = color.rgb();
    emit picked();
}

void ScreenPicker::portalUnavailable()
{
    // Programs on XWayland may still read what X11 clients show.
    Guard::run([this] { startOnScreen(); });
}
