#pragma once

namespace quillon {

/// How long work shows itself to the person: the busy pointer while the core
/// works, and a chance to repaint while an external program runs. Both do
/// nothing unless an implementation has something to show.
class BusyFeedback {
 public:
  virtual ~BusyFeedback() = default;
  /// The hourglass on (true) or back to the default pointer (false).
  virtual void SetBusy(bool) {}
  /// Called while an external program runs, so that windows can repaint.
  virtual void KeepAlive() {}
};

}  // namespace quillon
