#pragma once

#include <QColor>

namespace quillon {

/// The contrast ratio of two colours as WCAG 2 defines it, from 1 (the same
/// luminance) to 21 (black on white); opacity is not taken into account.
/// Text reads well at 4.5 or more.
double ContrastRatio(const QColor& a, const QColor& b);

/// The contrast that normal text needs (WCAG 2, level AA).
inline constexpr double kReadableContrast = 4.5;

}  // namespace quillon
