#pragma once

#include <QRgb>

#include <array>
#include <optional>
#include <string_view>

// Colours as style sheets write them: the named colours and the conversions behind
// rgb() and hsl(), with the clamping and rounding that browsers apply, so a colour
// taken from a page is the one the page shows.
namespace CssColor {

struct NamedColor
{
    const char *name;
    quint32 rgb; // 0xRRGGBB
};

constexpr int NamedCount = 148;

// Every named colour, in alphabetical order, both spellings of gray and grey
// included. "transparent" is not among them: it names no colour, only its absence.
const std::array<NamedColor, NamedCount> &namedColors();

// The colour, opaque, of a name given in lower case.
std::optional<QRgb> named(std::string_view name);

// hsl() as a browser draws it: the hue in degrees, any value (it turns around the
// circle); saturation and lightness in percent, clamped to 0..100. Rounded only once
// converted.
QRgb fromHsl(double hue, double saturation, double lightness);

}
