#pragma once

#include <QColor>
#include <QPalette>

class QLabel;

namespace sr5n {

// Contrast of two colours as the common accessibility rules measure it: from
// 1 (the same luminance) to 21 (black on white).
double ContrastRatio(const QColor &a, const QColor &b);

// The contrast text needs to be readable: 4.5 to 1.
inline constexpr double ReadableContrast = 4.5;

// The contrast a control (a check box's outline) needs against what surrounds
// it, and that disabled texts keep where the palette allows: 3 to 1.
inline constexpr double ControlContrast = 3.0;

// `colour` when it reads on `background`; otherwise the same hue made lighter
// (on a dark background) or darker (on a light one) until it does.
QColor ReadableOn(const QColor &colour, const QColor &background);

// `colour` when it has `ratio` against `background`; otherwise the first
// colour on the way from `colour` to `toward` that has, or `toward` itself.
QColor ContrastingOn(const QColor &colour, const QColor &background, double ratio,
                     const QColor &toward);

// `preferred` when it reads on `background`; otherwise black or white,
// whichever reads better.
QColor ReadableText(const QColor &preferred, const QColor &background);

// The colour `share` (0 to 1) of the way from `from` to `to`.
QColor Blend(const QColor &from, const QColor &to, double share);

// Shows a label's text in an accent colour (a heading's blue, a link's
// colour), made readable on the label's background, also after the
// application's palette changed.
void SetAccentColour(QLabel *label, const QColor &colour);

// A dark palette of the kind a dark desktop theme gives, for checking the
// windows under it.
QPalette DarkPalette();

} // namespace sr5n
