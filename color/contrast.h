#pragma once

#include <QRgb>
#include <QString>

// How readable a colour is as text on a white and on a black ground, as WCAG 2
// measures it.
namespace Contrast {

// What large text needs (WCAG 2, level AA): 18 points, or 14 points bold.
constexpr double kLargeText = 3.0;
// What body text needs (level AA).
constexpr double kBodyText = 4.5;
// What body text needs at level AAA.
constexpr double kEnhanced = 7.0;

// The contrast ratio of two colours, from 1 to 21.
double ratio(QRgb a, QRgb b);

// Both ratios of the colour, each cut to two decimals rather than rounded, so that
// a ratio below a level never reads as reaching it, and marked with the level it
// reaches: "(AAA)" from 7:1, "(AA)" from 4.5:1, "(AA 大きな文字)" from 3:1, enough
// for large text only: "コントラスト比 白地 4.47:1 (AA 大きな文字) ・ 黒地 4.68:1 (AA)".
QString describe(QRgb color);

}
