#pragma once

#include <QRgb>
#include <QStringView>

#include <optional>

// The colour a piece of text names, as a web author copies it: a colour code (#RGB,
// #RRGGBB, #RGBA, #RRGGBBAA, or six hexadecimal digits alone), rgb(), rgba(), hsl()
// or hsla(), a named colour, or one of these as the value of a CSS declaration
// ("color: rgb(255 128 0);") or of an HTML attribute (COLOR="#FF8000"). Case does not
// matter, nor does whitespace around the text. Transparency is dropped.
namespace ColorText {

// Longer texts, whitespace included, are not looked at.
constexpr int MaxLength = 256;

// The colour, opaque; nothing when the text names none.
std::optional<QRgb> read(QStringView text);

}
