#pragma once

#include "color/colorspace.h"
#include "color/fewestdecimals.h"

#include <QRgb>
#include <QString>

#include <optional>

// The colour as today's style sheets write it, numbered 1..Count as in the menu:
// rgb() and hsl() with spaces and with commas, the three-digit code, the name, then
// oklch(), oklab(), hwb() and color(display-p3 …).
namespace CssNotation {

constexpr int Count = 10;

// What hsl() needs to name a colour: the fewest decimals with which all three
// numbers, rounded, give that colour back through CSS's own conversion.
struct Hsl
{
    double hue = 0; // 0 <= hue < 360
    double saturation = 0; // percent
    double lightness = 0; // percent
    int decimals = 0;
};
Hsl hsl(QRgb color);

// The numbers of one of the notations 7..10 and how many decimals each is written
// with, the fewest with which each reads back as the colour.
struct Numbers
{
    Channels values{};
    FewestDecimals::Decimals decimals{};
};
Numbers numbers(int notation, QRgb color);

// Notation number notation of the colour; nothing where the colour has none: no
// three-digit code, or no name naming it exactly (of two names, the first in
// alphabetical order counts).
std::optional<QString> text(int notation, QRgb color);

// What the item of a notation the colour lacks says instead: the kind of notation.
QString missing(int notation);

}
