#pragma once

#include <QWidget>
#include <memory>

#include "core/session/main_state.h"
#include "gui/common/dialogs.h"
#include "gui/common/file_opener.h"
#include "gui/common/user_interface.h"

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace quillon {

class ProgressWindow;
class UserSettings;

/// The "Import From CSV" window: choose a "FILE, TEXT" file, press "Create
/// Prompts", and every row is built through the main window's construction
/// (CsvPromptImport holds the rules). It is modeless and exists at most once;
/// closing it discards the chosen path. A run holds the window until it
/// ends; the progress window shows the count meanwhile. A path typed into
/// the box is checked for the heading before a run, as a chosen one is when
/// it is chosen, and the main window gets back the text and output path the
/// user left in it. With settings, the window opens with the CSV file of the
/// last run (or choice) in its box and keeps its size and place; Esc closes
/// it.
class CsvImportWindow : public QWidget {
  Q_OBJECT

 public:
  CsvImportWindow(MainState& state, Dialogs& dialogs, ProgressWindow& splash,
                  QWidget* parent = nullptr, UserSettings* settings = nullptr);
  ~CsvImportWindow() override;

  /// Chooses the CSV file; a file without the heading is refused with a
  /// message, Cancel and an unreadable file keep the previous path silently.
  void Browse();
  /// Checks the file in the box and, when it starts with the heading, runs
  /// the batch over it and offers the log at the end.
  void CreatePrompts();
  /// Closes the window.
  void Exit();

  /// Opens the log for viewing; the user's editor unless a test says otherwise.
  LogOpener open_log = OpenInUsersEditor;

 private:
  void BuildControls();
  bool CheckTypedPath();

  MainState& state_;
  UserSettings* settings_;
  ProgressWindow& splash_;
  std::unique_ptr<GuiUserInterface> ui_;

  QGroupBox* text_frame_ = nullptr;
  QLineEdit* csv_path_box_ = nullptr;
  QPushButton* browse_button_ = nullptr;
  QPushButton* create_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
};

}  // namespace quillon
