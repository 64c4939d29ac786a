#pragma once

#include "color/colorspace.h"

#include <QRgb>
#include <QString>
#include <QStringView>

#include <optional>

// The colour a piece of text names, as a web author copies it: a colour code (#RGB,
// #RRGGBB, #RGBA, #RRGGBBAA, or six hexadecimal digits alone), a named colour, any
// colour function of CSS Color 4 and 5 with math in its components, relative
// colours and color-mix() of colours written out; alone, as the value of a CSS
// declaration ("color: rgb(255 128 0) !important;"), of a Sass or LESS variable, of an
// HTML attribute (COLOR="#FF8000"), or as the one colour of a shorthand ("border: 1px
// solid #dee2e6;"). Comments, case and whitespace around do not matter. Transparency
// is dropped.
namespace ColorText {

// Longer texts, whitespace included, are not looked at.
constexpr int MaxLength = 256;

struct Reading
{
    // The colour, opaque, as a browser draws it on an sRGB screen; nothing when the
    // text names none.
    std::optional<QRgb> color;
    // The colour lay outside sRGB and was clipped to it.
    bool outsideSrgb = false;
    // The colour as the text wrote it, whitespace collapsed: "oklch(70% 0.3 150)".
    QString written;
    // sRGB, gamma-encoded and unclamped, before it was rounded to 8 bits.
    Channels srgb{};
    // Why there is no colour, in one line, where the text holds one only a page could
    // resolve or more than one; empty otherwise.
    QString reason;
};

Reading interpret(QStringView text);

// The colour alone.
std::optional<QRgb> read(QStringView text);

}
