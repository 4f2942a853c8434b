#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "core/synthesis/alphabet.h"
#include "gui/common/dialogs.h"
#include "gui/common/gui_user_interface.h"

class QComboBox;
class QGroupBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillon {

class UserSettings;
class WavPlayer;

/// The "Construct Alphabet" window: rebuilds the clip set at one of the four
/// rates, and in one of the three sample formats. It is made afresh for every
/// opening and opens on the rate and format of the set in the program folder
/// (45.45 baud, 16-bit PCM when the folder describes none); it is modal: the
/// main window waits while it is open. A build ends with "Done." or with one
/// message that lists what failed (the build shows it through the window's
/// dialogs).
///
/// A character typed into the "Character" box can be heard: "Play" plays
/// the clip that sends it, as the clip set on disk holds it now. The window
/// opens with the design's client area (3465 x 2910 twips) and may grow; Esc
/// closes it and Enter presses the focused button.
class AlphabetWindow : public QDialog {
  Q_OBJECT

 public:
  /// `settings`, when given, keeps the window's size and place.
  AlphabetWindow(QString program_folder, Dialogs& dialogs, QWidget* parent = nullptr,
                 UserSettings* settings = nullptr);
  ~AlphabetWindow() override;

  /// Opens a fresh window modally over `parent` and returns when it closes;
  /// `replaced` runs each time a build puts a new clip set in place.
  static void ShowModal(QWidget* parent, const QString& program_folder, Dialogs& dialogs,
                        UserSettings* settings = nullptr,
                        const std::function<void()>& replaced = {});

  /// The rate of the first selected option, in the order shown; none when no
  /// option is selected (the working tic clips on disk are used then).
  std::optional<BaudRate> SelectedRate() const;
  /// The sample format chosen in "cmbFormat".
  SampleFormat SelectedFormat() const;

  /// Builds the clip set at the selected rate.
  void CreateAlphabet();
  /// Closes the window.
  void Exit();
  /// Plays the clip of the character in the "Character" box; a character
  /// without a clip is named in a message.
  void PlayCharacter();
  /// The clip that sends `character`, in the program folder; empty, with
  /// `err` saying why, when Baudot has none for it.
  QString ClipPath(const QString& character, QString* err) const;

 Q_SIGNALS:
  /// A build has put a new clip set in place.
  void ClipSetReplaced();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();

  QString program_folder_;
  std::optional<ClipSet> current_set_;  // the set in the program folder when the window opened
  std::unique_ptr<GuiUserInterface> ui_;
  AlphabetConstruction construction_;

  QGroupBox* options_frame_ = nullptr;
  std::array<QRadioButton*, kBaudRates.size()> options_{};  // rate45_button_ .. rate110_button_
  QComboBox* format_box_ = nullptr;
  QLineEdit* character_box_ = nullptr;
  QPushButton* play_button_ = nullptr;
  QPushButton* create_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
  WavPlayer* player_ = nullptr;
};

}  // namespace quillon
