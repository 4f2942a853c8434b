#pragma once

#include <QString>
#include <functional>

#include "core/common/user_interface.h"
#include "core/session/batch_log.h"
#include "core/common/report.h"
#include "core/synthesis/text_to_wav.h"

namespace quillon {

/// The state the main window holds and every batch drives: the text to
/// convert, the output path, the translation switch, the batch flag with its
/// open log, and the construction with the shift state and command line it
/// keeps. It exists once per program run. The window mirrors its widgets into
/// it; the command line and the tests use it without any window.
class MainState : public DiagnosticOutput {
 public:
  MainState(QString program_folder, UserInterface& ui);

  /// "~/TTYOutput.wav": the output path a new main window starts with.
  static QString DefaultOutputPath();

  /// Reports one line: into the open batch log, four blanks before it, while
  /// a batch runs; into the pane otherwise.
  void DiagOutput(const QString& strString) override;

  /// Turns txtInputText into the WAV file txtOutputFileName.
  ConstructionResult cmdConstructWavFromString_Click();

  /// Sets the two text boxes, as the batches do before each prompt, and
  /// tells the window so that it shows them.
  void SetTexts(const QString& input_text, const QString& output_file_name);

  QString txtInputText;
  QString txtOutputFileName = DefaultOutputPath();
  bool mnuApplyTranslationTable = true;
  bool bBatchMode = false;
  BatchLog* nLogFile = nullptr;  ///< the running batch's open log

  const QString program_folder;
  UserInterface& ui;
  DiagnosticPane* pane = nullptr;             ///< null: lines outside a batch go nowhere
  WaveClipboard* clipboard = nullptr;         ///< null: no clipboard export
  TranslationStage* translation = nullptr;    ///< null: translation leaves the text as it is
  std::function<void()> texts_changed;        ///< called by SetTexts

 private:
  TextToWavConstruction construction_;
};

}  // namespace quillon
