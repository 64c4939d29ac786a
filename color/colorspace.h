#pragma once

#include <array>
#include <optional>
#include <string_view>

// The colour spaces of CSS Color 4, and one colour in any of them, as a style sheet
// holds it before it is drawn: unclamped, with its opacity and its missing ("none")
// components.
enum class ColorSpace {
    Srgb, // r, g, b from 0 to 1
    SrgbLinear,
    DisplayP3,
    DisplayP3Linear,
    A98Rgb,
    ProphotoRgb,
    Rec2020,
    XyzD50,
    XyzD65,
    Lab, // L 0..100, a, b
    Lch, // L 0..100, C, h in degrees
    Oklab, // L 0..1, a, b
    Oklch, // L 0..1, C, h in degrees
    Hsl, // h in degrees, s and l 0..100
    Hwb, // h in degrees, w and b 0..100
};

using Channels = std::array<double, 3>;

struct Color
{
    ColorSpace space = ColorSpace::Srgb;
    Channels channels{};
    double alpha = 1;
    // Three channels, then the opacity.
    std::array<bool, 4> missing{};
};

namespace ColorSpaces {

// The space's name in color(), "xyz" standing for xyz-d65; nothing for the spaces
// that have functions of their own.
std::optional<ColorSpace> predefined(std::string_view name);
// The space's name in color-mix()'s "in": every space.
std::optional<ColorSpace> interpolation(std::string_view name);

// The index of the hue, or -1 where the space has none.
int hueIndex(ColorSpace space);

// The colour in another space, its missing components taken as zero. Where the
// new space has a hue the colour leaves undetermined (a grey, in a polar space),
// the hue is missing.
Color convert(const Color &color, ColorSpace to);

// Gamma-encoded sRGB, unclamped, the missing components taken as zero.
Channels toSrgb(const Color &color);

// Linear-light sRGB, unclamped, the missing components taken as zero.
Channels toLinearSrgb(const Color &color);

// The colour of linear-light sRGB in another space.
Channels fromLinearSrgb(const Channels &light, ColorSpace to);

// The colour of gamma-encoded sRGB in another space, as convert() gives it.
Channels fromSrgb(const Channels &srgb, ColorSpace to);

}
