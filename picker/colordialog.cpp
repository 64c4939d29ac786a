#include "picker/colordialog.h"

#include <QColorDialog>
#include <QScreen>
#include <QWidget>

ColorDialog::ColorDialog(QObject *parent)
    : QObject(parent)
{
}

// Centred across the owner's screen with a third of the free height above it: the
// chooser is much larger than the picker window, so centring it on that window would
// push it against the screen's edge.
void ColorDialog::placeOnScreen(QWidget *dialog, QWidget *owner)
{
    QScreen *screen = owner ? owner->screen() : dialog->screen();
    if (!screen)
        return;
    dialog->adjustSize();
    const QRect free = screen->availableGeometry();
    const QSize size = dialog->frameGeometry().size().expandedTo(dialog->size());
    dialog->move(free.x() + qMax(0, (free.width() - size.width()) / 2),
                 free.y() + qMax(0, (free.height() - size.height()) / 3));
}

bool ColorDialog::execute(QWidget *owner)
{
    // Qt's own chooser on every desktop: the same sixteen custom colours and the
    // screen colour picker everywhere. The custom colours are process-wide in Qt.
    QColorDialog dialog(toQColor(m_color), owner);
    dialog.setObjectName(QStringLiteral("ColorDialogWindow"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setOption(QColorDialog::ShowAlphaChannel, false);
    placeOnScreen(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QColor chosen = dialog.selectedColor();
    m_color = rgbToTColor(chosen.red(), chosen.green(), chosen.blue());
    return true;
}
