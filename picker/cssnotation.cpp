#include "picker/cssnotation.h"

#include "color/csscolor.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// The most decimals hsl() is ever given.
constexpr int kMostDecimals = 3;
// The most any number of the newer notations is given.
constexpr int kMostNewDecimals = 6;

// More than single precision strays from exact arithmetic in sRGB's own notations.
constexpr double kEncodedMargin = 1e-4;
// More than Chromium's matrices and single precision stray from CSS Color 4's in the
// others: up to 1.75e-4 of full light (measured).
constexpr double kLinearMargin = 2e-4;

// As short as the value allows: no trailing zeros, no point without decimals.
QString number(double value, int decimals)
{
    char digits[48];
    char *end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals).ptr;
    if (decimals > 0) {
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
    }
    const qsizetype size = end - digits;
    if (size == 2 && digits[0] == '-' && digits[1] == '0')
        return QStringLiteral("0");
    return QString::fromLatin1(digits, size);
}

QString hslText(QRgb color, const char *separator)
{
    const CssNotation::Hsl h = CssNotation::hsl(color);
    const QString between = QLatin1String(separator);
    return QStringLiteral("hsl(") + number(h.hue, h.decimals) + between + number(h.saturation, h.decimals)
        + QStringLiteral("%") + between + number(h.lightness, h.decimals) + QStringLiteral("%)");
}

QString rgbText(QRgb color, const char *separator)
{
    const QString between = QLatin1String(separator);
    return QStringLiteral("rgb(") + QString::number(qRed(color)) + between + QString::number(qGreen(color))
        + between + QString::number(qBlue(color)) + QStringLiteral(")");
}

ColorSpace spaceOf(int notation)
{
    switch (notation) {
    case 3:
        return ColorSpace::Hsl;
    case 7:
        return ColorSpace::Oklch;
    case 8:
        return ColorSpace::Oklab;
    case 9:
        return ColorSpace::Hwb;
    default:
        return ColorSpace::DisplayP3;
    }
}

double linear(double c)
{
    return std::fabs(c) <= 0.04045 ? c / 12.92 : std::copysign(std::pow((std::fabs(c) + 0.055) / 1.055, 2.4), c);
}

// What the colour's 8-bit values allow the notation's numbers to give, less a margin
// at both ends so that a browser's own arithmetic reads them as that colour too: a
// ten-thousandth of a step where the notation is sRGB's own (hsl(), hwb()); up to
// 2e-4 of full light, never more than 45 % of the step, where it goes through a
// matrix.
FewestDecimals::Window windowOf(int notation, QRgb color)
{
    struct Bounds
    {
        double low;
        double high;
    };
    static const std::array<Bounds, 256> linearBounds = [] {
        std::array<Bounds, 256> bounds{};
        for (int n = 0; n < 256; ++n) {
            const double low = linear((n - 0.5) / 255);
            const double high = linear((n + 0.5) / 255);
            const double margin = std::min(kLinearMargin, 0.45 * (high - low));
            bounds[n] = {low + margin, high - margin};
        }
        return bounds;
    }();
    const int target[3] = {qRed(color), qGreen(color), qBlue(color)};
    const bool encoded = notation == 3 || notation == 9;
    FewestDecimals::Window window;
    for (int k = 0; k < 3; ++k) {
        window.low[k] = encoded ? target[k] - 0.5 + kEncodedMargin : linearBounds[target[k]].low;
        window.high[k] = encoded ? target[k] + 0.5 - kEncodedMargin : linearBounds[target[k]].high;
    }
    return window;
}

// What the numbers give, in the window's terms: sRGB's 0..255 or linear light.
Channels lightOf(int notation, const Channels &values)
{
    Color c;
    c.space = spaceOf(notation);
    c.channels = values;
    // oklch()'s lightness is written as a percentage.
    if (notation == 7)
        c.channels[0] /= 100;
    if (notation == 3 || notation == 9) {
        const Channels srgb = ColorSpaces::toSrgb(c);
        return {srgb[0] * 255, srgb[1] * 255, srgb[2] * 255};
    }
    return ColorSpaces::toLinearSrgb(c);
}

bool inside(const Channels &light, const FewestDecimals::Window &window)
{
    for (int k = 0; k < 3; ++k) {
        if (!(light[k] >= window.low[k] && light[k] <= window.high[k]))
            return false;
    }
    return true;
}

} // namespace

namespace CssNotation {

Hsl hsl(QRgb color)
{
    const Channels exact = ColorSpaces::fromSrgb({qRed(color) / 255.0, qGreen(color) / 255.0, qBlue(color) / 255.0},
                                                 ColorSpace::Hsl);
    const double hue = std::isnan(exact[0]) ? 0 : exact[0];
    const FewestDecimals::Window window = windowOf(3, color);
    Hsl result;
    for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
        result.hue = FewestDecimals::rounded(hue, decimals);
        if (result.hue >= 360)
            result.hue -= 360;
        result.saturation = FewestDecimals::rounded(exact[1], decimals);
        result.lightness = FewestDecimals::rounded(exact[2], decimals);
        result.decimals = decimals;
        if (inside(lightOf(3, {result.hue, result.saturation, result.lightness}), window))
            break;
    }
    return result;
}

Numbers numbers(int notation, QRgb color)
{
    Q_ASSERT(notation >= 7 && notation <= Count);
    const ColorSpace space = spaceOf(notation);
    Channels exact = ColorSpaces::fromSrgb({qRed(color) / 255.0, qGreen(color) / 255.0, qBlue(color) / 255.0}, space);
    const int hue = ColorSpaces::hueIndex(space);
    if (hue >= 0 && std::isnan(exact[hue]))
        exact[hue] = 0;
    if (notation == 7)
        exact[0] *= 100;
    Numbers result;
    result.decimals = FewestDecimals::search(exact, kMostNewDecimals, windowOf(notation, color),
                                             [&](const Channels &values) { return lightOf(notation, values); });
    result.values = FewestDecimals::rounded(exact, result.decimals);
    if (hue >= 0) {
        // A hue rounded up to a full turn is no turn at all; a grey's is 0.
        if (result.values[hue] >= 360)
            result.values[hue] -= 360;
        if (notation == 7 && result.values[1] == 0)
            result.values[hue] = 0;
        if (notation == 9 && result.values[1] + result.values[2] >= 100)
            result.values[hue] = 0;
    }
    return result;
}

std::optional<QString> text(int notation, QRgb color)
{
    Q_ASSERT(notation >= 1 && notation <= Count);
    switch (notation) {
    case 1:
        return rgbText(color, " ");
    case 2:
        return rgbText(color, ", ");
    case 3:
        return hslText(color, " ");
    case 4:
        return hslText(color, ", ");
    case 5:
        if (qRed(color) % 17 != 0 || qGreen(color) % 17 != 0 || qBlue(color) % 17 != 0)
            return std::nullopt;
        return QStringLiteral("#%1%2%3")
            .arg(qRed(color) / 17, 0, 16)
            .arg(qGreen(color) / 17, 0, 16)
            .arg(qBlue(color) / 17, 0, 16)
            .toUpper();
    case 6:
        break;
    default: {
        const Numbers n = numbers(notation, color);
        const QString a = number(n.values[0], n.decimals[0]);
        const QString b = number(n.values[1], n.decimals[1]);
        const QString c = number(n.values[2], n.decimals[2]);
        switch (notation) {
        case 7:
            return QStringLiteral("oklch(%1% %2 %3)").arg(a, b, c);
        case 8:
            return QStringLiteral("oklab(%1 %2 %3)").arg(a, b, c);
        case 9:
            return QStringLiteral("hwb(%1 %2% %3%)").arg(a, b, c);
        default:
            return QStringLiteral("color(display-p3 %1 %2 %3)").arg(a, b, c);
        }
    }
    }
    // In alphabetical order: the first that names the colour is the one to use.
    const quint32 rgb = color & 0xFFFFFF;
    for (const CssColor::NamedColor &named : CssColor::namedColors()) {
        if (named.rgb == rgb)
            return QString::fromLatin1(named.name);
    }
    return std::nullopt;
}

QString missing(int notation)
{
    return notation == 5 ? QStringLiteral("3桁の #RGB（この色にはなし）") : QStringLiteral("色の名前（この色にはなし）");
}

}
