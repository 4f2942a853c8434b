#pragma once

#include <QObject>
#include <QPointer>

#include "core/registry/registry.h"
#include "gui/common/file_opener.h"
#include "gui/session/main_window.h"

namespace quillon {

class CsvImportWindow;
class PromptSetWindow;
class ProgressWindow;

/// The batch windows of the main window: "Import prompt text from CSV" and
/// "Construct Orvane Prompts" open them, each at most once and modeless,
/// and both share one progress window.
///
/// "Construct Orvane Prompts" stays hidden when the main window loads. It
/// appears, with its separator, once the user asks for it with Ctrl+Shift+O
/// (which also opens the window), or when the File menu opens while the
/// registry store holds the voicemail system's "TUI Languages Loaded" value,
/// that is, once an administrator has pointed Quillon at that system.
class BatchWindows : public QObject {
  Q_OBJECT

 public:
  /// The key that reveals and opens the prompt-set window.
  static constexpr char kRevealShortcut[] = "Ctrl+Shift+O";

  /// Attaches to `main`'s menu entries; lives as long as `main`, which
  /// becomes its parent. `registry` must outlive it.
  BatchWindows(MainWindow& main, Registry& registry);
  ~BatchWindows() override;

  void OpenCsvImport();
  /// Opens the prompt-set window; when there are no active languages it
  /// says so and does not open.
  void OpenPromptSet();
  /// Shows "Construct Orvane Prompts" and its separator in the File menu.
  void RevealPromptSetEntry();

  /// The open windows; null when closed or never opened.
  CsvImportWindow* csv_window() const;
  PromptSetWindow* prompt_set_window() const;
  ProgressWindow& Splash() const { return *splash_; }

  /// Opens a log for viewing; passed on to every batch window opened later.
  LogOpener open_log = OpenInUsersEditor;

 private:
  void RevealIfVoicemailConfigured();

  MainWindow& main_;
  Registry& registry_;
  ProgressWindow* splash_ = nullptr;
  QPointer<CsvImportWindow> csv_;
  QPointer<PromptSetWindow> prompt_set_;
};

}  // namespace quillon
