#include "picker/colordialog.h"
#include "picker/screencolorportal.h"

#include "shell/windowplacement.h"

#include <QColorDialog>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <QWindow>

namespace {

// Qt keeps the chooser's custom colours in a settings file of its own that every Qt
// program shares, read when the chooser is first used and written back once one has
// been set, cancelled or not. Here they last for the run, starting white, and the
// program stores nothing in the user's home: Qt's per-user settings, which nothing
// else here uses, are pointed below a file that is not a folder, where nothing can be
// read and nothing created, not even by root. Before the chooser's first use.
void keepCustomColoursForTheRun()
{
    static const bool done = [] {
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
        return true;
    }();
    Q_UNUSED(done);
}

// Under Wayland the dialog's own screen picking reads nothing, so its button asks the
// desktop portal instead; where no portal can pick, the dialog picks as before.
void pickScreenColorThroughPortal(QColorDialog *dialog)
{
    static const char ownPicking[] = "_q_pickScreenColor";
    if (!ScreenColorPortal::sessionPresent()
        || dialog->metaObject()->indexOfMethod(QByteArray(ownPicking) + "()") < 0)
        return;
    // Found by its caption in the dialog's own translation, whatever the language.
    const QString caption = QColorDialog::tr("&Pick Screen Color");
    QPushButton *button = nullptr;
    for (QPushButton *candidate : dialog->findChildren<QPushButton *>()) {
        if (candidate->text() == caption)
            button = candidate;
    }
    if (!button)
        return;
    QObject::disconnect(button, &QAbstractButton::clicked, dialog, nullptr);
    auto *portal = new ScreenColorPortal(dialog);
    QObject::connect(button, &QAbstractButton::clicked, portal,
                     [portal, dialog] { portal->pick(dialog->windowHandle()); });
    QObject::connect(portal, &ScreenColorPortal::picked, dialog, &QColorDialog::setCurrentColor);
    QObject::connect(portal, &ScreenColorPortal::unavailable, dialog,
                     [dialog] { QMetaObject::invokeMethod(dialog, ownPicking); });
}

} // namespace

ColorDialog::ColorDialog(QObject *parent)
    : QObject(parent)
{
    keepCustomColoursForTheRun();
}

// Centred across the owner's screen with a third of the free height above it: the
// chooser is much larger than the picker window, so centring it on that window would
// push it against the screen's edge. What is centred is the outer frame; it is not
// known before the first showing, and the owner's, drawn by the same window manager
// for a window that cannot be resized either, stands in for it. All in screen pixels,
// where the place is put.
void ColorDialog::placeOnScreen(QWidget *dialog, QWidget *owner)
{
    QScreen *screen = owner ? owner->screen() : dialog->screen();
    if (!screen)
        return;
    dialog->adjustSize();
    const QRect free = WindowPlacement::inScreenPixels(screen->availableGeometry(), screen);
    const QSize size = WindowPlacement::inScreenPixels(QRect(QPoint(), dialog->size()), screen).size().grownBy(
        owner ? WindowPlacement::frameMargins(owner->window()) : QMargins());
    WindowPlacement::moveFrame(dialog, QPoint(free.x() + qMax(0, (free.width() - size.width()) / 2),
                                              free.y() + qMax(0, (free.height() - size.height()) / 3)));
}

bool ColorDialog::execute(QWidget *owner)
{
    // Qt's own chooser on every desktop: the same sixteen custom colours and the
    // screen colour picker everywhere. The custom colours are process-wide in Qt.
    QColorDialog dialog(toQColor(m_color), owner);
    dialog.setObjectName(QStringLiteral("ColorDialogWindow"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setOption(QColorDialog::ShowAlphaChannel, false);
    pickScreenColorThroughPortal(&dialog);
    placeOnScreen(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QColor chosen = dialog.selectedColor();
    m_color = rgbToTColor(chosen.red(), chosen.green(), chosen.blue());
    return true;
}
