#pragma once

#include <QRgb>
#include <QString>

// How readable a colour is as text on a white and on a black ground, as WCAG 2
// measures it.
namespace Contrast {

// What body text needs (WCAG 2, level AA).
constexpr double kBodyText = 4.5;

// The contrast ratio of two colours, from 1 to 21.
double ratio(QRgb a, QRgb b);

// Both ratios of the colour, each cut to two decimals rather than rounded, so that
// a ratio below 4.5 never reads as 4.50, and marked "(AA)" where it reaches 4.5:1:
// "白地 4.47:1 ・ 黒地 4.68:1 (AA)".
QString describe(QRgb color);

}
