#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <optional>

#include "gui/common/dialogs.h"
#include "gui/common/user_interface.h"
#include "core/synthesis/alphabet.h"

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace quillon {

/// The "Construct Alphabet" window: rebuilds the clip set at one of the four
/// rates. It is made afresh for every opening, so it always opens with 45.45
/// baud selected, and it is modal: the main window waits while it is open.
/// Every failure of a build shows its own message box and "Done." closes
/// each build (the build itself shows them through the window's dialogs).
class AlphabetWindow : public QDialog {
  Q_OBJECT

 public:
  AlphabetWindow(QString program_folder, Dialogs& dialogs, QWidget* parent = nullptr);
  ~AlphabetWindow() override;

  /// Opens a fresh window modally over `parent` and returns when it closes.
  static void ShowModal(QWidget* parent, const QString& program_folder, Dialogs& dialogs);

  /// The rate of the first selected option, in the order shown; none when no
  /// option is selected (the working tic clips on disk are used then).
  std::optional<BaudRate> SelectedRate() const;

  /// Builds the clip set at the selected rate.
  void CreateAlphabet();
  /// Closes the window.
  void Exit();

 private:
  void BuildControls();

  QString program_folder_;
  std::unique_ptr<GuiUserInterface> ui_;
  AlphabetConstruction construction_;

  QGroupBox* options_frame_ = nullptr;
  std::array<QRadioButton*, kBaudRates.size()> options_{};  // rate45_button_ .. rate110_button_
  QPushButton* create_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
};

}  // namespace quillon
