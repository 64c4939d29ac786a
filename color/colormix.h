#pragma once

#include "color/colorspace.h"

// color-mix() of CSS Color 5: two colours interpolated in a colour space, with their
// opacity premultiplied, missing components taken from the other colour, and hues
// turned the way the hue method says.
namespace ColorMix {

enum class HueMethod { Shorter, Longer, Increasing, Decreasing };

// The first colour weighted by `first`, the second by `second`, both percentages
// from 0 to 100 as the text gives them (an omitted one already filled in). Weights
// summing to less than 100 make the result that much more transparent.
Color mix(const Color &a, double first, const Color &b, double second, ColorSpace space, HueMethod hue);

}
