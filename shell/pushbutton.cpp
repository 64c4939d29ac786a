#include "shell/pushbutton.h"

#include <QKeyEvent>

PushButton::PushButton(QWidget *parent)
    : QPushButton(parent)
{
}

// Qt gives Enter to a button only when it may be a dialog's default button; that
// would also draw the focused button as the default one.
void PushButton::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}
