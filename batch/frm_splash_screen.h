#pragma once

#include <QWidget>

class QGroupBox;
class QLabel;

namespace quillon {

/// The progress window of the batches: "Prompts processed:" and the count.
/// One exists per program run and both batch windows use it. It keeps its
/// last count while hidden; the next run changes it with its first prompt.
/// The count is repainted at once when it changes, because a batch holds the
/// user-interface thread and no ordinary repaint would get through.
class frmSplashScreen : public QWidget {
  Q_OBJECT

 public:
  explicit frmSplashScreen(QWidget* parent = nullptr);

  /// Places the window 1500 twips right of and 2000 twips below the
  /// top-left corner of `batch_window`, brings it to the front and shows it.
  void ShowBeside(QWidget* batch_window);
  /// Shows `count` in plain decimal and repaints it at once.
  void ShowCount(qint64 count);
  /// The count shown now.
  QString CountText() const;

  /// Where the window goes relative to the batch window, in twips.
  static constexpr int kLeftOffsetTwips = 1500;
  static constexpr int kTopOffsetTwips = 2000;

 private:
  QGroupBox* Frame1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* lblPromptCount = nullptr;
};

}  // namespace quillon
