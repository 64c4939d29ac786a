#include "color/colormix.h"

#include <cmath>

namespace {

// Components of different spaces that stand for the same thing: a component
// missing in a colour stays missing in the space it is mixed in.
enum class Analogue { None, Red, Green, Blue, Lightness, Colorfulness, Hue, OpponentA, OpponentB };

Analogue analogue(ColorSpace space, int index)
{
    switch (space) {
    case ColorSpace::Lab:
    case ColorSpace::Oklab:
        return index == 0 ? Analogue::Lightness : index == 1 ? Analogue::OpponentA : Analogue::OpponentB;
    case ColorSpace::Lch:
    case ColorSpace::Oklch:
        return index == 0 ? Analogue::Lightness : index == 1 ? Analogue::Colorfulness : Analogue::Hue;
    case ColorSpace::Hsl:
        return index == 0 ? Analogue::Hue : index == 1 ? Analogue::Colorfulness : Analogue::Lightness;
    case ColorSpace::Hwb:
        return index == 0 ? Analogue::Hue : Analogue::None;
    default:
        return index == 0 ? Analogue::Red : index == 1 ? Analogue::Green : Analogue::Blue;
    }
}

Color carriedInto(const Color &color, ColorSpace space)
{
    Color result = ColorSpaces::convert(color, space);
    if (color.space == space)
        return result;
    for (int from = 0; from < 3; ++from) {
        if (!color.missing[from])
            continue;
        const Analogue kind = analogue(color.space, from);
        for (int to = 0; to < 3 && kind != Analogue::None; ++to) {
            if (analogue(space, to) == kind)
                result.missing[to] = true;
        }
    }
    return result;
}

double normalized(double hue)
{
    hue = std::fmod(hue, 360.0);
    return hue < 0 ? hue + 360 : hue;
}

void fixHues(double &h1, double &h2, ColorMix::HueMethod method)
{
    h1 = normalized(h1);
    h2 = normalized(h2);
    const double d = h2 - h1;
    switch (method) {
    case ColorMix::HueMethod::Shorter:
        if (d > 180)
            h1 += 360;
        else if (d < -180)
            h2 += 360;
        break;
    case ColorMix::HueMethod::Longer:
        if (d > 0 && d < 180)
            h1 += 360;
        else if (d > -180 && d <= 0)
            h2 += 360;
        break;
    case ColorMix::HueMethod::Increasing:
        if (d < 0)
            h2 += 360;
        break;
    case ColorMix::HueMethod::Decreasing:
        if (d > 0)
            h1 += 360;
        break;
    }
}

} // namespace

namespace ColorMix {

Color mix(const Color &a, double first, const Color &b, double second, ColorSpace space, HueMethod method)
{
    const double sum = first + second;
    const double multiplier = sum < 100 ? sum / 100 : 1;
    const double t = sum > 0 ? second / sum : 0.5;

    Color x = carriedInto(a, space);
    Color y = carriedInto(b, space);
    Color result;
    result.space = space;
    // A component missing on one side is the other's; on both, it stays missing.
    for (int i = 0; i < 4; ++i) {
        double &xi = i < 3 ? x.channels[i] : x.alpha;
        double &yi = i < 3 ? y.channels[i] : y.alpha;
        if (x.missing[i] && !y.missing[i])
            xi = yi;
        else if (y.missing[i] && !x.missing[i])
            yi = xi;
        result.missing[i] = x.missing[i] && y.missing[i];
    }
    const double alphaX = result.missing[3] ? 1 : x.alpha;
    const double alphaY = result.missing[3] ? 1 : y.alpha;
    const int hue = ColorSpaces::hueIndex(space);
    if (hue >= 0 && !result.missing[hue])
        fixHues(x.channels[hue], y.channels[hue], method);

    const double alpha = alphaX * (1 - t) + alphaY * t;
    for (int i = 0; i < 3; ++i) {
        if (i == hue) {
            result.channels[i] = normalized(x.channels[i] * (1 - t) + y.channels[i] * t);
            continue;
        }
        const double mixed = x.channels[i] * alphaX * (1 - t) + y.channels[i] * alphaY * t;
        result.channels[i] = alpha != 0 ? mixed / alpha : mixed;
    }
    result.alpha = (result.missing[3] ? 1 : alpha) * multiplier;
    return result;
}

}
