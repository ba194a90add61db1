#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace sr5n {

// The windows are drawn for a compact 8-point face at fixed sizes. A desktop
// that gives the program a larger face (its font setting, qt6ct) makes every
// drawn size larger by as much as the text grows, so that nothing is cut; the
// desktop's scaling (QT_SCALE_FACTOR, the font DPI) enlarges the face and the
// sizes alike and leaves the factor at 1.

// The face the windows are drawn for.
QFont DesignFont();
// How much wider and taller than the design face's the texts of `font` are:
// 1 for the design face or a smaller one.
qreal DesignScale(const QFont &font);
// The drawn `size` (pixels for the design face) for the face of `widget`.
int Scaled(const QWidget *widget, int size);
QSize Scaled(const QWidget *widget, QSize size);
QRect Scaled(const QWidget *widget, const QRect &rect);

// Fixes the size of `window` at the drawn `size` for its face, or at what its
// layout needs when that is more; again whenever its face changes.
void FixDrawnSize(QWidget *window, QSize size);

} // namespace sr5n
