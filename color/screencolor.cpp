#include "color/screencolor.h"

#include <algorithm>
#include <cmath>

namespace ScreenColor {

int channel(double value)
{
    // NaN, which arithmetic with infinities can leave, is no light at all.
    if (!(value > 0))
        return 0;
    const double scaled = std::min(value, 1.0) * 255;
    const double below = std::floor(scaled);
    if (float(scaled) == float(below + 0.5))
        return int(below) + 1;
    return int(std::floor(scaled + 0.5));
}

Drawn of(const Color &color)
{
    const Channels srgb = ColorSpaces::toSrgb(color);
    Drawn drawn;
    drawn.srgb = srgb;
    drawn.clipped = std::any_of(srgb.begin(), srgb.end(), [](double c) {
        return !(c * 255 >= -0.5 && c * 255 <= 255.5);
    });
    drawn.rgb = qRgb(channel(srgb[0]), channel(srgb[1]), channel(srgb[2]));
    return drawn;
}

}
