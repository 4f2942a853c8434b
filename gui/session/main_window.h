#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "gui/common/clipboard.h"
#include "gui/common/dialogs.h"
#include "gui/common/text_pane.h"
#include "gui/common/user_interface.h"
#include "core/session/main_state.h"
#include "core/registry/registry.h"
#include "core/translation/dictionary.h"

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace quillon {

/// The main window: the text to convert, the output file, the diagnostic
/// pane, "Create WAV File", and through its menus every other job. It exists
/// once per run and owns the MainState that the batch windows drive; its
/// widgets always show that state (typing updates the state, and
/// MainState::SetTexts updates the widgets).
///
/// Further windows plug in through SetWindowOpener: an entry without an
/// opener stays out of the menu, so no entry ever opens an empty window.
/// "Construct Orvane Prompts" and the separator below it stay hidden even
/// with an opener; Action(Entry::OrvanePrompts) gives the entry to whoever
/// decides how a user reaches it. "Create Alphabet", "Edit Dictionary" and
/// "Reload Dictionary" are attached by the window itself. Ending the program (Exit, the Exit entry,
/// closing the window) ends the event loop at once, without closing other windows first.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  /// The menu entries whose work lives outside this window.
  enum class Entry {
    CreateAlphabet,
    EditDictionary,
    ReloadDictionary,
    OrvanePrompts,
    ImportPromptsFromCSV,
    Help,
    About,
  };

  /// What the window needs from outside.
  struct Options {
    QString program_folder;             ///< clips, tables and logs live here
    Dialogs* dialogs = nullptr;         ///< message boxes and file dialogs (required)
    Registry* registry = nullptr;       ///< keeps the dictionary path (required)
    std::function<void()> end_program;  ///< empty: QCoreApplication::exit(0)
  };

  /// The questions start-up asks of the system; tests inject the answers.
  struct StartupChecks {
    std::function<void()> lower_priority;     ///< lowers the process priority
    std::function<bool()> is_remote_session;  ///< true: refuse to run
  };
  /// The real checks: SetProcessPriority and IsRemoteSession.
  static StartupChecks SystemStartupChecks();

  /// The refusal shown in a remote desktop session.
  static const QString kRemoteSessionMessage;

  explicit MainWindow(Options options, QWidget* parent = nullptr);
  ~MainWindow() override;

  /// Start-up, in order: lower the priority, refuse a remote session (the
  /// message, then false: the caller ends without showing the window), clear
  /// the batch flag, load the dictionary. True when the window may show.
  bool Load(const StartupChecks& checks);

  /// Lets `open` run when the user chooses `entry`, and shows the entry
  /// (except the hidden "Construct Orvane Prompts"). An empty function takes
  /// the entry out of the menu again.
  void SetWindowOpener(Entry entry, std::function<void()> open);
  /// The menu entry itself.
  QAction* Action(Entry entry) const;

  MainState& State() { return *state_; }
  UserInterface& Ui() { return *ui_; }
  Dialogs& GetDialogs() { return *options_.dialogs; }
  const DictionaryTables& Dictionary() const { return dictionary_; }
  const QString& ProgramFolder() const { return options_.program_folder; }

  // The handlers, as the buttons and menu entries run them.
  void Browse();
  void BuildWav();
  void Exit();
  void ExitFromMenu();
  void ToggleTranslation();
  /// Reads the dictionary and the character table again (also at start-up).
  void LoadDictionary();
  /// Opens the dictionary file in the user's editor, without waiting.
  void EditDictionary();
  /// Shows the clip set in the status bar ("Clip set: 45.45 baud, 8 kHz
  /// 16-bit PCM"), or why it cannot be used.
  void ShowClipSet();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  QAction* AddEntry(QMenu* menu, const char* name, const QString& caption);
  QAction* AddSeparator(QMenu* menu, const char* name);
  void RunOpener(Entry entry);
  void UpdateMenuVisibility();
  void ShowStateTexts();
  void TakeInputText();
  void EndProgram();

  Options options_;
  std::unique_ptr<GuiUserInterface> ui_;
  std::unique_ptr<MainState> state_;
  std::unique_ptr<TextEditPane> pane_;
  DictionaryTables dictionary_;
  QtWaveClipboard clipboard_;
  bool showing_state_ = false;  // widgets are being set from the state

  QGroupBox* output_frame_ = nullptr;
  QLineEdit* output_path_box_ = nullptr;
  QPushButton* browse_button_ = nullptr;
  QGroupBox* text_frame_ = nullptr;
  QPlainTextEdit* text_box_ = nullptr;
  QGroupBox* diag_frame_ = nullptr;
  QPlainTextEdit* diag_box_ = nullptr;
  QPushButton* build_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
  QLabel* clip_set_label_ = nullptr;

  QMenu* file_menu_ = nullptr;
  QMenu* help_menu_ = nullptr;
  QAction* translate_action_ = nullptr;
  QAction* exit_action_ = nullptr;
  QAction* prompt_set_separator_ = nullptr;
  static constexpr int kEntryCount = 7;
  std::array<QAction*, kEntryCount> entries_{};
  std::array<std::function<void()>, kEntryCount> openers_{};
};

/// The text of a plain-text box as the construction reads it: each line
/// break the box holds becomes CR LF, the line end of the text box it stands
/// for, so that two typed lines are sent with a blank between them.
QString WithCrLf(const QString& box_text);

/// The reverse, for showing a text in a plain-text box.
QString WithoutCrLf(const QString& text);

}  // namespace quillon
