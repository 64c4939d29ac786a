#include "picker/screenpicker.h"

#include "picker/loupe.h"
#include "picker/screencolorportal.h"
#include "shell/exception.h"
#include "shell/guard.h"
#include "shell/inputgrab.h"
#include "shell/screenpixels.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

namespace {

const char kCannotRead[] = "この画面からは色を拾えません";
const char kHeldElsewhere[] = "ほかのプログラムがマウスかキーボードを占有しているため、画面から色を拾えません";

} // namespace

ScreenPicker::ScreenPicker(QWidget *owner)
    : QObject(owner)
    , m_owner(owner)
    , m_grab(new InputGrab(this))
{
    connect(m_grab, &InputGrab::moved, this, &ScreenPicker::follow);
    // As Escape ends it: the window that held pointer and keyboard was taken away.
    connect(m_grab, &InputGrab::lost, this, &ScreenPicker::finish);
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
    m_loupe->showAround(*pointer);
    // The loupe's window holds pointer and keyboard: every click and key comes to us,
    // wherever the pointer is, our own windows included.
    if (!m_grab->hold(m_loupe->windowHandle())) {
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
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton)
            take(ScreenPixels::toScreen(mouse->globalPosition()));
        else if (mouse->button() == Qt::RightButton)
            finish();
        return true;
    }
    case QEvent::KeyPress:
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Escape:
            finish();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            takeUnderPointer();
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
    // The loupe follows the moves the grab reports.
    case QEvent::MouseMove:
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

void ScreenPicker::follow(QPoint position)
{
    m_loupe->showAround(position);
}

void ScreenPicker::movePointer(int right, int down)
{
    const std::optional<QPoint> pointer = ScreenPixels::pointer();
    if (!pointer)
        return;
    ScreenPixels::movePointer(*pointer + QPoint(right, down));
    if (const std::optional<QPoint> moved = ScreenPixels::pointer())
        follow(*moved);
}

void ScreenPicker::takeUnderPointer()
{
    if (const std::optional<QPoint> pointer = ScreenPixels::pointer())
        take(*pointer);
    else
        finish();
}

void ScreenPicker::take(QPoint position)
{
    finish();
    QTimer::singleShot(m_loupe->settling(position), this, [this, position] {
        const QImage pixel = ScreenPixels::read(QRect(position, QSize(1, 1)));
        if (pixel.isNull())
            return;
        m_color = pixel.pixel(0, 0);
        emit picked();
    });
}

void ScreenPicker::finish()
{
    if (!m_picking)
        return;
    m_picking = false;
    qApp->removeEventFilter(this);
    m_grab->release();
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
