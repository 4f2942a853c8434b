#pragma once

#include <QWidget>

#include "core/batch/batch_session.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace quillon {

/// The progress window of the batches: "Prompts processed:" and the count.
/// One exists per program run and both batch windows use it. It keeps its
/// last count while hidden; the next run changes it with its first prompt.
/// The count is repainted at once when it changes, because a batch holds the
/// user-interface thread and no ordinary repaint would get through.
class ProgressWindow : public QWidget {
  Q_OBJECT

 public:
  explicit ProgressWindow(QWidget* parent = nullptr);

  /// Places the window 1500 twips right of and 2000 twips below the
  /// top-left corner of `batch_window`, brings it to the front and shows it.
  void ShowBeside(QWidget* batch_window);
  /// Shows `count` in plain decimal and repaints it at once.
  void ShowCount(qint64 count);
  /// The count shown now.
  QString CountText() const;
  /// The progress hooks of a run from `batch_window`: the hourglass on that
  /// window and this window beside it while the run lasts, the count after
  /// every prompt.
  BatchProgress ProgressFor(QWidget* batch_window);

  /// Where the window goes relative to the batch window, in twips.
  static constexpr int kLeftOffsetTwips = 1500;
  static constexpr int kTopOffsetTwips = 2000;

 private:
  QGroupBox* text_frame_ = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* count_label_ = nullptr;
};

/// Lays out a batch window: its frame on top, "Create Prompts" at the left
/// and "Exit" at the right below it.
void LayOutBatchWindow(QWidget* window, QGroupBox* frame, QPushButton* create, QPushButton* exit);

}  // namespace quillon
