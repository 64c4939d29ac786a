#include "picker/colordialog.h"

#include <QColorDialog>

ColorDialog::ColorDialog(QObject *parent)
    : QObject(parent)
{
}

bool ColorDialog::execute(QWidget *owner)
{
    // Qt's own chooser on every desktop: the same sixteen custom colours and the
    // screen colour picker everywhere. The custom colours are process-wide in Qt.
    QColorDialog dialog(toQColor(m_color), owner);
    dialog.setObjectName(QStringLiteral("ColorDialogWindow"));
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setOption(QColorDialog::ShowAlphaChannel, false);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QColor chosen = dialog.selectedColor();
    m_color = rgbToTColor(chosen.red(), chosen.green(), chosen.blue());
    return true;
}
