#include "color/contrast.h"

#include <cmath>

namespace {

// A channel as light, not as the number that encodes it.
double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(QRgb color)
{
    return 0.2126 * linear(qRed(color)) + 0.7152 * linear(qGreen(color)) + 0.0722 * linear(qBlue(color));
}

QString level(double ratio)
{
    if (ratio >= Contrast::kEnhanced)
        return QStringLiteral(" (AAA)");
    if (ratio >= Contrast::kBodyText)
        return QStringLiteral(" (AA)");
    if (ratio >= Contrast::kLargeText)
        return QStringLiteral(" (AA 大きな文字)");
    return QString();
}

QString against(const char *ground, double ratio)
{
    // A hair over the cut, so that 21 computed as 20.999999… still reads 21.00; the
    // level follows the ratio as it reads.
    const double cut = std::floor(ratio * 100 + 1e-9) / 100;
    return QStringLiteral("%1 %2:1%3").arg(QString::fromUtf8(ground), QString::number(cut, 'f', 2), level(cut));
}

} // namespace

namespace Contrast {

double ratio(QRgb a, QRgb b)
{
    const double first = luminance(a) + 0.05;
    const double second = luminance(b) + 0.05;
    return first > second ? first / second : second / first;
}

QString describe(QRgb color)
{
    return QStringLiteral("コントラスト比 ") + against("白地", ratio(color, qRgb(255, 255, 255))) + QStringLiteral(" ・ ")
        + against("黒地", ratio(color, qRgb(0, 0, 0)));
}

}
