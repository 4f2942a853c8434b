#include "gui/common/twips.h"

#include <QWidget>
#include <cmath>

namespace quillon {
namespace {

constexpr double kTwipsPerPixelAt96Dpi = 15.0;
constexpr double kReferenceDpi = 96.0;

}  // namespace

int Twips(int twips, const QWidget* widget) {
  const double dpi = widget ? widget->logicalDpiX() : kReferenceDpi;
  return static_cast<int>(std::lround(twips / kTwipsPerPixelAt96Dpi * dpi / kReferenceDpi));
}

QRect TwipsRect(int left, int top, int width, int height, const QWidget* widget) {
  return QRect(Twips(left, widget), Twips(top, widget), Twips(width, widget),
               Twips(height, widget));
}

}  // namespace quillon
