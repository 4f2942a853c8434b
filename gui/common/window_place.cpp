#include "gui/common/window_place.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "gui/common/settings.h"

namespace quillon {
namespace {

QScreen* ScreenOf(const QWidget* window) {
  QScreen* screen = window->screen();
  return screen ? screen : QGuiApplication::primaryScreen();
}

// The frame the window manager puts around `window`: the real one once the
// window has been shown with a frame, the allowance before.
QSize FrameOf(const QWidget* window) {
  const QSize frame = window->frameGeometry().size() - window->size();
  if (frame.width() > 0 || frame.height() > 0) return frame;
  return QSize(kFrameAllowanceWidth, kFrameAllowanceHeight);
}

}  // namespace

WindowPlaceKeeper::WindowPlaceKeeper(QWidget* window, UserSettings* settings)
    : QObject(window), window_(window), settings_(settings) {
  window->installEventFilter(this);
}

void WindowPlaceKeeper::Remember() {
  if (settings_) settings_->SetWindowGeometry(window_->objectName(), window_->saveGeometry());
}

bool WindowPlaceKeeper::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && (event->type() == QEvent::Hide || event->type() == QEvent::Close) &&
      window_->isWindow() && window_->testAttribute(Qt::WA_WState_Created))
    Remember();
  return false;
}

WindowPlaceKeeper* KeepWindowPlace(QWidget* window, UserSettings* settings) {
  const QByteArray geometry =
      settings ? settings->WindowGeometry(window->objectName()) : QByteArray();
  // restoreGeometry pulls a place that lies off every screen back onto one.
  if (geometry.isEmpty() || !window->restoreGeometry(geometry)) FitOnScreen(window);
  return new WindowPlaceKeeper(window, settings);
}

void FitOnScreen(QWidget* window) {
  const QRect area = ScreenOf(window)->availableGeometry();
  const QSize frame = FrameOf(window);
  const QSize room = area.size() - frame;
  const QSize size = window->size().boundedTo(room).expandedTo(window->minimumSize());
  if (size != window->size()) window->resize(size);
  QPoint place = window->pos();
  place.setX(std::clamp(place.x(), area.left(),
                        std::max(area.left(), area.right() + 1 - size.width() - frame.width())));
  place.setY(std::clamp(place.y(), area.top(),
                        std::max(area.top(), area.bottom() + 1 - size.height() - frame.height())));
  if (place != window->pos()) window->move(place);
}

void PlaceBeside(QWidget* window, const QWidget* anchor) {
  const QRect area = ScreenOf(anchor)->availableGeometry();
  const QRect next_to = anchor->frameGeometry();
  const QSize frame = FrameOf(window);
  const int width = std::min(window->width(), area.width() - frame.width());
  const int right_room = area.right() - next_to.right() - frame.width();
  const int left_room = next_to.left() - area.left() - frame.width();
  int x = 0;
  if (right_room >= width) {
    x = next_to.right() + 1;
  } else if (left_room >= width) {
    x = next_to.left() - width - frame.width();
  } else if (left_room > right_room && left_room > 0) {
    x = area.left();  // over the anchor's left side
  } else {
    x = area.right() + 1 - width - frame.width();  // over the anchor's right side
  }
  const int y = std::max(area.top(), next_to.top());
  const int height = std::min(window->height(), area.bottom() + 1 - y - frame.height());
  window->resize(width, std::max(height, window->minimumHeight()));
  window->move(x, y);
}

}  // namespace quillon
