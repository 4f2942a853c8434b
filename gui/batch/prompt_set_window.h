#pragma once

#include <QWidget>
#include <memory>

#include "gui/common/file_opener.h"
#include "gui/common/dialogs.h"
#include "gui/common/user_interface.h"
#include "core/session/main_state.h"
#include "core/registry/registry.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace quillon {

class frmSplashScreen;

/// The "Construct Orvane Prompts" window: pick one of the voicemail
/// system's active languages, optionally force the ENX prompt names, and
/// build a TTY prompt for every prompt of that language's prompt set
/// (PromptSetConstruction holds the rules). It is modeless and exists at
/// most once; each opening reads the registry again, and a registry without
/// active languages keeps the window from showing at all.
class frmImportOrvanePrompts : public QWidget {
  Q_OBJECT

 public:
  frmImportOrvanePrompts(MainState& state, Dialogs& dialogs, Registry& registry,
                         frmSplashScreen& splash, QWidget* parent = nullptr);
  ~frmImportOrvanePrompts() override;

  /// Fills the language list from "TUI Languages Loaded" and selects the
  /// first entry. False, after the no-languages message, when the value is
  /// empty: the window is then not to be shown.
  bool Form_Load();
  /// Shows the prompt folder of the selected language.
  void cmbLanguages_Click();
  /// Builds the prompt set of the selected language and offers the log.
  void cmdCreatePrompts_Click();
  /// Closes the window.
  void cmdExit_Click();

  /// Opens the log for viewing; the user's editor unless a test says otherwise.
  LogOpener open_log = OpenInUsersEditor;

 private:
  void BuildControls();
  QString SelectedCode() const;
  void ReportLoadError(const RuntimeError& error);

  MainState& state_;
  Registry& registry_;
  frmSplashScreen& splash_;
  std::unique_ptr<GuiUserInterface> ui_;

  QGroupBox* Frame1 = nullptr;
  QComboBox* cmbLanguages = nullptr;
  QLineEdit* txtPromptPath = nullptr;
  QCheckBox* chkForceENX = nullptr;
  QPushButton* cmdCreatePrompts = nullptr;
  QPushButton* cmdExit = nullptr;
};

}  // namespace quillon
