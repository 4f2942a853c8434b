#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "core/registry/registry.h"
#include "core/session/wav_builder.h"
#include "core/translation/dictionary.h"
#include "gui/common/clipboard.h"
#include "gui/common/dialogs.h"
#include "gui/common/file_opener.h"
#include "gui/common/gui_user_interface.h"
#include "gui/common/text_pane.h"

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace quillon {

class ReadOnlyBox;
class UserSettings;
class WavPlayer;
class WindowPlaceKeeper;

/// The main window: the text to convert, the output file, the diagnostic
/// pane, "Create WAV File", and through its menus every other job. It exists
/// once per run. Its widgets hold the text and the output path; "Create WAV
/// File" hands them to its WavBuilder as one request and does around that
/// call what the window does: the hourglass, the cleared pane, the report in
/// it, the clipboard and "Done.". The batch windows build with the same
/// builder (the program folder, the dictionary tables, the Verify entry) and
/// its translation switch, and never touch this window's text or pane.
///
/// Further windows plug in through SetWindowOpener: an entry without an
/// opener stays out of the menu, so no entry ever opens an empty window.
/// "Construct Orvane Prompts" and the separator below it stay hidden even
/// with an opener; Action(Entry::OrvanePrompts) gives the entry to whoever
/// decides how a user reaches it. "Create Alphabet", "Edit Dictionary", "Edit
/// Character Replacements" and "Reload Dictionary" are attached by the window
/// itself. Ending the program (Exit, the Exit entry, closing the window) ends
/// the event loop at once, without closing other windows first.
///
/// The window opens with the design's client area of 9810 x 4950 twips (or
/// its remembered size and place) and grows with its layout: the text and
/// the diagnostic pane take the extra room, the buttons keep to the edges.
/// The keyboard reaches everything: focus starts in the text, Tab goes
/// through the controls from the top of the window to the bottom, Ctrl+Return
/// in the text builds, Enter presses the focused button, every frame, button
/// and menu entry has an access key that lands on the control it names, F1
/// opens Help, Ctrl+Q ends the program and Ctrl+P plays the file built last.
/// "Play" stays disabled until this window has built the file that the
/// output path names. The output path is only ever chosen with "Browse..."
/// (or by a batch): its box looks read-only and, typed into, says so in the
/// status bar. Every control has an accessible name and description.
///
/// Files dropped from a file manager: a text file dropped on the window
/// fills the text box (undoably: Ctrl+Z brings the old text back); a CSV
/// file (".csv") goes to the CSV opener, when one is attached.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  /// The menu entries whose work lives outside this window.
  enum class Entry {
    CreateAlphabet,
    EditDictionary,
    EditCharReplacements,
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
    /// What the user's windows remember; null: nothing is remembered, and
    /// the window starts with the first-run output path.
    UserSettings* settings = nullptr;
    /// Opens the dictionary for editing.
    FileOpener open_in_editor = OpenInUsersEditor;
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

  /// Lets `open` run with the path of a CSV file dropped on the window; an
  /// empty function refuses such drops.
  void SetCsvFileOpener(std::function<void(const QString& path)> open);
  /// What a file dropped on the window does: a CSV file goes to the CSV
  /// opener, any other file is read into the text box. False, after a
  /// message, when the file cannot be used.
  bool DropFile(const QString& path);

  /// Lets `open` run when the user chooses `entry`, and shows the entry
  /// (except the hidden "Construct Orvane Prompts"). An empty function takes
  /// the entry out of the menu again.
  void SetWindowOpener(Entry entry, std::function<void()> open);
  /// The menu entry itself.
  QAction* Action(Entry entry) const;

  /// What the window and the batch windows build with.
  const WavBuilder& Builder() const { return builder_; }
  /// The check mark of "Apply Dictionary Translation to Input Text".
  bool TranslationOn() const;
  /// The text to convert as the construction reads it (line ends as CR LF).
  QString Text() const;
  const QString& OutputPath() const { return output_path_; }
  /// Fills the text box and the output path, as a user would.
  void SetTexts(const QString& text, const QString& output_path);
  UserInterface& Ui() { return *ui_; }
  Dialogs& GetDialogs() { return *options_.dialogs; }
  const DictionaryTables& Dictionary() const { return dictionary_; }
  const QString& ProgramFolder() const { return options_.program_folder; }
  /// What the user's windows remember; null when nothing is.
  UserSettings* Settings() const { return options_.settings; }

  // The handlers, as the buttons and menu entries run them.
  void Browse();
  void BuildWav();
  void Exit();
  void ExitFromMenu();
  void ToggleTranslation();
  /// Reads the dictionary and the character table again (also at start-up).
  void LoadDictionary();
  /// "Reload Dictionary": LoadDictionary, then the status bar says how many
  /// entries were read from which files.
  void ReloadDictionary();
  /// Opens the dictionary file in the user's editor, without waiting; says
  /// where the file is when no editor can be started.
  void EditDictionary();
  /// The same for the character-replacement table beside the dictionary.
  void EditCharReplacements();
  /// Shows the clip set in the status bar ("Clip set: 45.45 baud, 8 kHz
  /// 16-bit PCM"), or why it cannot be used.
  void ShowClipSet();
  /// Plays the file this window built last, when the output path still names it.
  void Play();
  /// Stops playing.
  void StopPlaying();
  /// True when "Play" has a file to play.
  bool CanPlay() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  QAction* AddEntry(QMenu* menu, const char* name, const QString& caption);
  QAction* AddSeparator(QMenu* menu, const char* name);
  void RunOpener(Entry entry);
  void UpdateMenuVisibility();
  void UpdatePlayButtons();
  void EndProgram();
  void DescribeControls();
  void SayOutputIsChosenWithBrowse();
  bool ReadTextFile(const QString& path);

  Options options_;
  std::unique_ptr<GuiUserInterface> ui_;
  std::unique_ptr<TextEditPane> pane_;
  DictionaryTables dictionary_;
  WavBuilder builder_;
  QtWaveClipboard clipboard_;
  QString output_path_;
  WavPlayer* player_ = nullptr;
  QString built_path_;  // the file this window built last; empty before the first
  WindowPlaceKeeper* place_ = nullptr;

  QGroupBox* output_frame_ = nullptr;
  ReadOnlyBox* output_path_box_ = nullptr;
  QPushButton* browse_button_ = nullptr;
  QGroupBox* text_frame_ = nullptr;
  QPlainTextEdit* text_box_ = nullptr;
  QGroupBox* diag_frame_ = nullptr;
  QPlainTextEdit* diag_box_ = nullptr;
  QPushButton* build_button_ = nullptr;
  QPushButton* play_button_ = nullptr;
  QPushButton* stop_button_ = nullptr;
  QPushButton* exit_button_ = nullptr;
  QLabel* clip_set_label_ = nullptr;

  QMenu* file_menu_ = nullptr;
  QMenu* help_menu_ = nullptr;
  QAction* translate_action_ = nullptr;
  QAction* verify_action_ = nullptr;
  QAction* exit_action_ = nullptr;
  QAction* prompt_set_separator_ = nullptr;
  static constexpr int kEntryCount = 8;
  std::array<QAction*, kEntryCount> entries_{};
  std::array<std::function<void()>, kEntryCount> openers_{};
  std::function<void(const QString&)> open_csv_file_;
};

/// The text of a plain-text box as the construction reads it: each line
/// break the box holds becomes CR LF, the line end of the text box it stands
/// for, so that two typed lines are sent with a blank between them.
QString WithCrLf(const QString& box_text);

/// The reverse, for showing a text in a plain-text box.
QString WithoutCrLf(const QString& text);

}  // namespace quillon
