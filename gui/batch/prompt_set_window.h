#pragma once

#include <QWidget>
#include <memory>

#include "core/registry/registry.h"
#include "gui/common/dialogs.h"
#include "gui/common/file_opener.h"
#include "gui/common/gui_user_interface.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace quillon {

class MainWindow;
class ProgressWindow;
class ReadOnlyBox;
class UserSettings;

/// The "Construct Orvane Prompts" window: pick one of the voicemail
/// system's active languages, optionally force the ENX prompt names, and
/// build a TTY prompt for every prompt of that language's prompt set
/// (PromptSetConstruction holds the rules). It is modeless and exists at
/// most once; each opening reads the registry again, and a registry without
/// active languages keeps the window from showing at all. A run builds with
/// the main window's builder and translation switch and leaves the main
/// window's own text, path and pane alone. With
/// settings, the window opens on the language whose prompt folder the last
/// run used and keeps its size and place; Esc closes it.
class PromptSetWindow : public QWidget {
  Q_OBJECT

 public:
  PromptSetWindow(const MainWindow& main, Dialogs& dialogs, Registry& registry,
                  ProgressWindow& splash, QWidget* parent = nullptr,
                  UserSettings* settings = nullptr);
  ~PromptSetWindow() override;

  /// Fills the language list from "TUI Languages Loaded" and selects the
  /// language of the remembered prompt folder, or else the first entry. False, after the
  /// no-languages message, when the value is empty: the window is then not to be shown.
  bool Load();
  /// Shows the prompt folder of the selected language.
  void ChooseLanguageFromList();
  /// Builds the prompt set of the selected language and offers the log.
  void CreatePrompts();
  /// Closes the window.
  void Exit();

  /// Opens the log for viewing; the user's editor unless a test says otherwise.
  LogOpener open_log = OpenInUsersEditor;

 private:
  void BuildControls();
  QString SelectedCode() const;
  int RememberedLanguageIndex() const;
  void ReportLoadError(const RuntimeError& error);

  const MainWindow& main_;
  UserSettings* settings_;
  Registry& registry_;
  ProgressWindow& splash_;
  std::unique_ptr<GuiUserInterface> ui_;

  QGroupBox* text_frame_ = nullptr;
  QComboBox* language_box_ = nullptr;
  ReadOnlyBox* prompt_path_box_ = nullptr;
  QCheckBox* force_enx_box_ = nullptr;
  QPushButton* create_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
};

}  // namespace quillon
