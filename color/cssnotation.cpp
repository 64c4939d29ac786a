#include "color/cssnotation.h"

#include "color/csscolor.h"
#include "color/screencolor.h"

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

// The notations that go through a matrix are read back twice: as CSS Color 4
// computes them, clear of a step's edge by more than double precision strays; and as
// Chromium draws them. Chromium's light is CSS Color 4's times this matrix, to 1e-5
// (fitted to the linear sRGB Chromium 156 computes for 9,000 oklab(), oklch() and
// color(display-p3) colours; tests/color/browser.py fit gives it again, to 1e-6, from
// display-p3 alone); its encoding to 8 bits strays by up to 0.024 of a step more.
constexpr double kOwnMargin = 2e-5;
constexpr std::array<Channels, 3> kChromiumLight = {{
    {0.9998929, -0.0001915, 0.0000042},
    {0.0000182, 1.0000922, 0.0000101},
    {0.0000141, 0.0000131, 1.0001324},
}};
constexpr double kChromiumMargin = 3e-5;
constexpr double kChromiumEncodingMargin = 0.025;

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
// ten-thousandth of a step where the notation is sRGB's own (hsl(), hwb()); in light,
// for the others, as CSS Color 4 and as Chromium see it, never more than 45 % of
// the step.
FewestDecimals::Windows windowsOf(int notation, QRgb color)
{
    struct Bounds
    {
        double low;
        double high;
    };
    using Table = std::array<Bounds, 256>;
    const auto table = [](double margin, double stepShare) {
        Table bounds{};
        for (int n = 0; n < 256; ++n) {
            const double low = linear((n - 0.5) / 255);
            const double high = linear((n + 0.5) / 255);
            const double m = std::min(margin + stepShare * (high - low), 0.45 * (high - low));
            bounds[n] = {low + m, high - m};
        }
        return bounds;
    };
    static const Table own = table(kOwnMargin, 0);
    static const Table chromium = table(kChromiumMargin, kChromiumEncodingMargin);
    const int target[3] = {qRed(color), qGreen(color), qBlue(color)};
    const bool encoded = notation == 3 || notation == 9;
    FewestDecimals::Windows windows;
    windows[1].transform = kChromiumLight;
    for (int k = 0; k < 3; ++k) {
        if (encoded) {
            windows[0].low[k] = windows[1].low[k] = target[k] - 0.5 + kEncodedMargin;
            windows[0].high[k] = windows[1].high[k] = target[k] + 0.5 - kEncodedMargin;
            continue;
        }
        windows[0].low[k] = own[target[k]].low;
        windows[0].high[k] = own[target[k]].high;
        windows[1].low[k] = chromium[target[k]].low;
        windows[1].high[k] = chromium[target[k]].high;
    }
    if (encoded)
        windows[1].transform = windows[0].transform;
    return windows;
}

// Where the numbers aim: the colour's own light, moved as little as takes it where
// both CSS Color 4 and Chromium read it as the colour. Chromium's light strays most
// in the darkest steps, by up to half a step; there, the aim leaves the middle.
Channels aimOf(const FewestDecimals::Windows &windows, QRgb color)
{
    const Channels own = {linear(qRed(color) / 255.0), linear(qGreen(color) / 255.0), linear(qBlue(color) / 255.0)};
    const Channels seen = windows[1].seen(own);
    Channels aim = own;
    for (int k = 0; k < 3; ++k) {
        const double stray = seen[k] - own[k];
        const double low = std::max(windows[0].low[k], windows[1].low[k] - stray);
        const double high = std::min(windows[0].high[k], windows[1].high[k] - stray);
        if (low <= high && (own[k] < low || own[k] > high))
            aim[k] = (low + high) / 2;
    }
    return aim;
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

// Whether value / unit is a binary fraction that single precision holds exactly.
bool binaryFraction(double value, double unit)
{
    const double scaled = value / unit * (1 << 24);
    return scaled == std::floor(scaled);
}

bool inside(const Channels &light, const FewestDecimals::Windows &windows)
{
    for (const FewestDecimals::Window &window : windows) {
        const Channels seen = window.seen(light);
        for (int k = 0; k < 3; ++k) {
            if (!(seen[k] >= window.low[k] && seen[k] <= window.high[k]))
                return false;
        }
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
    const FewestDecimals::Windows windows = windowsOf(3, color);
    Hsl result;
    for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
        result.hue = FewestDecimals::rounded(hue, decimals);
        if (result.hue >= 360)
            result.hue -= 360;
        result.saturation = FewestDecimals::rounded(exact[1], decimals);
        result.lightness = FewestDecimals::rounded(exact[2], decimals);
        result.decimals = decimals;
        const Channels values = {result.hue, result.saturation, result.lightness};
        if (inside(lightOf(3, values), windows))
            break;
        // A channel exactly on a half reads back rounded up; browsers compute it just
        // below where the numbers are not binary fractions (measured: Chromium drew
        // 905 of 6,106 such hsl() texts a step lower), and exactly where they are
        // (all 73 drawn as written): hsl(30 100% 50%) stays #FF8000.
        Color written;
        written.space = ColorSpace::Hsl;
        written.channels = values;
        if (binaryFraction(result.hue, 30) && binaryFraction(result.saturation, 100)
            && binaryFraction(result.lightness, 100) && ScreenColor::of(written).rgb == color)
            break;
    }
    return result;
}

Numbers numbers(int notation, QRgb color)
{
    Q_ASSERT(notation >= 7 && notation <= Count);
    const ColorSpace space = spaceOf(notation);
    const FewestDecimals::Windows windows = windowsOf(notation, color);
    const Channels srgb = {qRed(color) / 255.0, qGreen(color) / 255.0, qBlue(color) / 255.0};
    Channels exact = notation == 9 ? ColorSpaces::fromSrgb(srgb, space)
                                   : ColorSpaces::fromLinearSrgb(aimOf(windows, color), space);
    const int hue = ColorSpaces::hueIndex(space);
    if (hue >= 0 && std::isnan(exact[hue]))
        exact[hue] = 0;
    if (notation == 7)
        exact[0] *= 100;
    Numbers result;
    result.decimals = FewestDecimals::search(exact, kMostNewDecimals, windows,
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
