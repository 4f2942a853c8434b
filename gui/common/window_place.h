#pragma once

#include <QObject>
#include <QPointer>

#include "gui/common/settings.h"

class QWidget;

namespace quillon {

/// Keeps a window's size and place for its user. KeepWindowPlace gives the
/// window its remembered geometry at once (or, the first time, fits the size
/// it was built with onto the screen); from then on the keeper, a child of
/// the window, remembers the geometry whenever the window hides or closes.
/// Remember() does it on demand, for a window that ends the program while it
/// is still shown.
class WindowPlaceKeeper : public QObject {
 public:
  WindowPlaceKeeper(QWidget* window, UserSettings* settings);

  /// Writes the window's geometry under its object name.
  void Remember();

  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  QPointer<UserSettings> settings_;  // may end before the window
};

/// Restores `window`'s remembered geometry (none when `settings` is null or
/// holds none: the window is fitted onto its screen instead) and keeps it
/// remembered from now on. The window's object name is the key.
WindowPlaceKeeper* KeepWindowPlace(QWidget* window, UserSettings* settings);

/// Room left around a window for the window manager's frame and title bar,
/// in device-independent pixels, while the real frame is not known yet.
inline constexpr int kFrameAllowanceWidth = 16;
inline constexpr int kFrameAllowanceHeight = 48;

/// Shrinks `window` (never below its minimum size) so that it and its frame
/// fit the available area of its screen, and moves it onto that area.
void FitOnScreen(QWidget* window);

/// Moves `window` beside `anchor` on the anchor's screen, tops aligned:
/// right of it when there is room, otherwise left of it. The window keeps
/// its width (a narrowed window would be no use): when neither side has
/// room enough, it goes to the edge of the screen on the roomier side and
/// covers as little of the anchor as it must.
void PlaceBeside(QWidget* window, const QWidget* anchor);

}  // namespace quillon
