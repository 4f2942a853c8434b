#pragma once

#include <QRect>

class QWidget;

namespace quillon {

/// Window geometry is given in twips (1/1440 inch): 15 twips make one pixel
/// at 96 dpi, scaled by the logical dpi of the screen `widget` is on (or the
/// primary screen when it has none yet).
int Twips(int twips, const QWidget* widget);

/// A rectangle given as left, top, width and height in twips.
QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget);

}  // namespace quillon
