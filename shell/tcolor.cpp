#include "shell/tcolor.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

QPalette::ColorRole roleOfSystemColor(quint32 index)
{
    switch (index) {
    case 5: // window background
        return QPalette::Base;
    case 6: // window frame
        return QPalette::Shadow;
    case 8: // window text
        return QPalette::WindowText;
    case 9: // caption text
    case 14: // highlight text
        return QPalette::HighlightedText;
    case 13: // highlight
        return QPalette::Highlight;
    case 16: // button shadow
        return QPalette::Dark;
    case 18: // button text
        return QPalette::ButtonText;
    case 20: // button highlight
        return QPalette::Light;
    case 23: // tooltip text
        return QPalette::ToolTipText;
    case 24: // tooltip background
        return QPalette::ToolTipBase;
    case 15: // button face
    default:
        return QPalette::Window;
    }
}

} // namespace

QColor toQColor(TColor color)
{
    if (color & TColors::clSystemColor)
        return QGuiApplication::palette().color(roleOfSystemColor(color & 0xFF));
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}
