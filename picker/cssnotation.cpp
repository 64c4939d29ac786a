#include "picker/cssnotation.h"

#include "color/csscolor.h"

#include <algorithm>
#include <cmath>

namespace {

// The most decimals hsl() is ever given; one is all any colour needs, with the
// conversion browsers use.
constexpr int kMostDecimals = 2;

double rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

// As short as the value allows: no trailing zeros, no point without decimals.
QString number(double value, int decimals)
{
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
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

} // namespace

namespace CssNotation {

Hsl hsl(QRgb color)
{
    const double r = qRed(color) / 255.0;
    const double g = qGreen(color) / 255.0;
    const double b = qBlue(color) / 255.0;
    const double most = std::max({r, g, b});
    const double least = std::min({r, g, b});
    const double lightness = (most + least) / 2;
    const double range = most - least;
    double hue = 0;
    double saturation = 0;
    if (range > 0) {
        saturation = (most - lightness) / std::min(lightness, 1 - lightness);
        if (most == r)
            hue = (g - b) / range + (g < b ? 6 : 0);
        else if (most == g)
            hue = (b - r) / range + 2;
        else
            hue = (r - g) / range + 4;
        hue *= 60;
    }
    Hsl result;
    for (int decimals = 0; decimals <= kMostDecimals; ++decimals) {
        result.hue = rounded(hue, decimals);
        if (result.hue >= 360)
            result.hue -= 360;
        result.saturation = rounded(saturation * 100, decimals);
        result.lightness = rounded(lightness * 100, decimals);
        result.decimals = decimals;
        if (CssColor::fromHsl(result.hue, result.saturation, result.lightness) == qRgb(qRed(color), qGreen(color), qBlue(color)))
            break;
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
    default:
        break;
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
