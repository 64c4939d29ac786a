#pragma once

#include <QColor>
#include <QtGlobal>

// A colour as the window code and the settings speak of it: 0x00BBGGRR, red in the
// low byte. With the top bit set the low bits name a system colour instead.
using TColor = quint32;

namespace TColors {
constexpr TColor clBlack = 0x00000000;
constexpr TColor clRed = 0x000000FF;
constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clWhite = 0x00FFFFFF;
constexpr TColor clSystemColor = 0x80000000;
constexpr TColor clWindowText = clSystemColor | 8;
constexpr TColor clBtnFace = clSystemColor | 15;
constexpr TColor clInfoBk = clSystemColor | 24;
}

constexpr TColor rgbToTColor(int red, int green, int blue)
{
    return TColor(red) + TColor(green) * 256 + TColor(blue) * 65536;
}

// Resolves system colours through the application palette.
QColor toQColor(TColor color);
