#include "shell/menubarstyle.h"

#include <QStyleOptionMenuItem>
#include <QWidget>

MenuBarStyle::MenuBarStyle(QObject *parent)
{
    setParent(parent);
}

void MenuBarStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    // The bar takes the focus only for the keyboard; a title merely under the pointer
    // stays as the style draws it.
    const auto *item = qstyleoption_cast<const QStyleOptionMenuItem *>(option);
    if (element == CE_MenuBarItem && item && (item->state & State_Selected) && widget && widget->hasFocus()) {
        QStyleOptionMenuItem active = *item;
        active.state |= State_Sunken;
        QProxyStyle::drawControl(element, &active, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}
