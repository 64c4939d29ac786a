#pragma once

#include "color/colorspace.h"

#include <QRgb>

// The colour as a browser draws it on an sRGB screen, 8 bits a channel: each
// channel outside sRGB clipped on its own, as Chromium clips it (no gamut mapping),
// and rounded to the nearest value, halves upwards.
namespace ScreenColor {

struct Drawn
{
    QRgb rgb = 0xff000000; // opaque
    // The colour lay outside sRGB, further than rounding to 8 bits hides: a channel
    // was clipped.
    bool clipped = false;
    // Gamma-encoded sRGB before it was clipped and rounded.
    Channels srgb{};
};

Drawn of(const Color &color);

// One gamma-encoded channel, 0 to 1 in sRGB: clipped, then rounded to 0..255. A
// value that single precision cannot tell from a half counts as the half, so that
// hsl(0 80% 50%) is #E61A1A as its decimals say, whatever the arithmetic left.
int channel(double value);

}
