#pragma once

#include <QWidget>
#include <memory>

#include "core/batch/batch_job.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quillon {

/// The progress window of the batches: "Prompts processed:", the count and
/// "of" the total, a bar and "Cancel". One exists per program run and both
/// batch windows use it. It keeps its last count while hidden; the next run
/// changes it with its first prompt.
///
/// While a run lasts the window is modal to the whole program: the batch
/// holds the user-interface thread, and lets events through only between
/// prompts and while wavcat joins one, so the window repaints and hears
/// Cancel, Esc and its close button (each stops the run after the prompt in
/// progress) while no other window takes input. It is painted before the
/// first prompt, and each count is painted at once.
class ProgressWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ProgressWindow(QWidget* parent = nullptr);
  ~ProgressWindow() override;

  /// Places the window 1500 twips right of and 2000 twips below the
  /// top-left corner of `batch_window`, brings it to the front, shows it and
  /// waits (a second at most) until it is painted.
  void ShowBeside(QWidget* batch_window);
  /// Shows `count` in plain decimal (and on the bar) and repaints it at once.
  void ShowCount(qint64 count);
  /// The count shown now.
  QString CountText() const;
  /// The total shown now: "of 120".
  QString TotalText() const;
  /// Asks the running job to stop after the prompt in progress.
  void Cancel();
  bool cancelled() const { return cancelled_; }
  /// The watcher of a run from `batch_window`: the hourglass on that window
  /// and this window beside it, modal, while the run lasts; the count after
  /// every prompt; Cancel heard between prompts and while wavcat runs.
  std::unique_ptr<JobMonitor> MonitorFor(QWidget* batch_window);

  /// Where the window goes relative to the batch window, in twips.
  static constexpr int kLeftOffsetTwips = 1500;
  static constexpr int kTopOffsetTwips = 2000;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  class Monitor;
  void Begin(qint64 total);
  void End();

  QGroupBox* text_frame_ = nullptr;
  QLabel* caption_label_ = nullptr;
  QLabel* count_label_ = nullptr;
  QLabel* total_label_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
  bool running_ = false;
  bool cancelled_ = false;
};

/// Lays out a batch window: its frame on top, "Create Prompts" at the left
/// and "Exit" at the right below it.
void LayOutBatchWindow(QWidget* window, QGroupBox* frame, QPushButton* create, QPushButton* exit);

}  // namespace quillon
