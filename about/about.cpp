#include "about/about.h"
#include "ui_about.h"

#include "shell/application.h"
#include "shell/windowmanager.h"

#include <QCloseEvent>
#include <QEvent>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QWindow>

TVND_ABOUT *VND_ABOUT = nullptr;

namespace {

// _NET_WM_WINDOW_TYPE_TOOLBAR among the window types of Qt's X11 backend.
constexpr int kX11ToolbarType = 0x08;

// The banner: a black field in a light-grey hairline frame, the maker's name small
// in its lower-right corner. Drawn here rather than shipped as a picture, so it
// is lettered in the interface's own font, and sharp at the screen's own scale.
QPixmap banner(const QString &maker, qreal ratio)
{
    const QColor lightGrey(181, 181, 181);
    const QRect field(0, 0, 200, 40);
    QImage image(field.size() * ratio, QImage::Format_RGB888);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::black);

    QPainter painter(&image);
    painter.setPen(lightGrey);
    painter.drawRect(field.adjusted(0, 0, -1, -1));

    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.drawText(field.adjusted(0, 0, -5, -4), Qt::AlignRight | Qt::AlignBottom, maker);
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

TVND_ABOUT::TVND_ABOUT(QWidget *owner)
    : QDialog(owner)
    , ui(std::make_unique<Ui::TVND_ABOUT>())
{
    ui->setupUi(this);
    setFixedSize(size());
    ui->Label1->setText(Application::title());
}

// Most starts never open this window, so what only its showing needs waits for the
// first one: a second native window, the questions to the window manager, a bold and
// a small font, the banner's drawing.
void TVND_ABOUT::prepare()
{
    if (windowHandle())
        return;
    // Openbox alone still offers to iconify a dialog whatever its Motif hints say, and
    // iconifying it takes the main window along; it offers that to no toolbar-typed
    // window. Elsewhere a toolbar gets no title bar and no close box (metacity and the
    // rest of the GNOME family), which would leave the user shut in this modal window,
    // so the type is added only under openbox. Qt's X11 backend puts the types of this
    // property first in _NET_WM_WINDOW_TYPE, ahead of the dialog type it adds itself,
    // and reads it when the flags below reach the native window.
    create();
    if (WindowManager::name() == QLatin1String("Openbox"))
        windowHandle()->setProperty("_q_xcb_wm_window_type", kX11ToolbarType);
    // No minimise or maximise box, and a size the user cannot change: the window only
    // ever shows this one fixed layout. The dialog type, the Motif functions and the
    // owner it is shown for say so to every window manager; on Windows the dialog
    // frame, without which it would draw a sizing border.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    ui->Image2->setPixmap(banner(ui->Label2->text(), devicePixelRatioF()));
    for (QLabel *label : findChildren<QLabel *>()) {
        if (label != ui->Image2)
            label->adjustSize();
    }
}

TVND_ABOUT::~TVND_ABOUT() = default;

// Closing ends the showing and hides the window; an accepted close would also make Qt
// drop the native window, and the next showing is meant to bring back this one.
void TVND_ABOUT::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (!isVisible())
        event->ignore();
}

// A window manager that iconifies the window whatever its hints say would hide the
// one window that takes input while it is shown; it comes straight back.
void TVND_ABOUT::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && isMinimized())
                showNormal();
        });
    }
}

// Only the close box and the window menu close it; Escape is not a way out here.
void TVND_ABOUT::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}
