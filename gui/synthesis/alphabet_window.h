#pragma once

#include <QDialog>
#include <array>
#include <memory>
#include <optional>

#include "gui/common/dialogs.h"
#include "gui/common/user_interface.h"
#include "core/synthesis/alphabet.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace quillon {

/// The "Construct Alphabet" window: rebuilds the clip set at one of the four
/// rates, and in one of the three sample formats. It is made afresh for every
/// opening and opens on the rate and format of the set in the program folder
/// (45.45 baud, 16-bit PCM when the folder describes none); it is modal: the
/// main window waits while it is open. A build ends with "Done." or with one
/// message that lists what failed (the build shows it through the window's
/// dialogs).
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
  /// The sample format chosen in "cmbFormat".
  SampleFormat SelectedFormat() const;

  /// Builds the clip set at the selected rate.
  void CreateAlphabet();
  /// Closes the window.
  void Exit();

 private:
  void BuildControls();

  QString program_folder_;
  std::optional<ClipSet> current_set_;  // the set in the program folder when the window opened
  std::unique_ptr<GuiUserInterface> ui_;
  AlphabetConstruction construction_;

  QGroupBox* options_frame_ = nullptr;
  std::array<QRadioButton*, kBaudRates.size()> options_{};  // rate45_button_ .. rate110_button_
  QLabel* format_label_ = nullptr;
  QComboBox* format_box_ = nullptr;
  QPushButton* create_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
};

}  // namespace quillon
