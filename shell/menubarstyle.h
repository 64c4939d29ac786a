#pragma once

#include <QProxyStyle>

// The application's style for a menu bar, but one that shows where the keyboard is:
// while the bar holds the keyboard (after Alt alone, or Escape out of one of its
// menus), its active title is drawn as it is while its menu is open. Fusion marks a
// title only with its menu open, so the bar took the keys with nothing to show for it.
class MenuBarStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit MenuBarStyle(QObject *parent = nullptr);

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
};
