#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "core/common/report.h"
#include "core/common/user_interface.h"
#include "core/session/batch_log.h"
#include "core/synthesis/clip_set.h"
#include "core/synthesis/text_to_wav.h"
#include "core/verification/wav_check.h"

namespace quillon {

/// Where the main state's results go; a null member means "nowhere": no
/// pane outside a batch, no clipboard export, no translation.
struct MainStateOutputs {
  DiagnosticPane* pane = nullptr;
  WaveClipboard* clipboard = nullptr;
  TranslationStage* translation = nullptr;
};

/// The state the main window holds and every batch drives: the text to
/// convert, the output path, the translation switch and, while a batch runs,
/// its open log. It exists once per program run. The window mirrors its
/// widgets into it; the command line and the tests use it without any window.
///
/// Batch mode is exactly the time between BeginBatch and EndBatch: reports
/// then go into the batch log, and the construction leaves the pane, the
/// clipboard and the closing message alone.
///
/// Nothing is built from a clip set that fails its check (CheckClipSet): a
/// construction outside a batch checks the set first and refuses with a
/// message; a batch checks it once before it starts (CheckClipSetForBatch)
/// and its constructions build from the set that passed.
///
/// With verification on (the default), every WAV built is read back by the
/// receiver (ReceiverWavCheck) before it takes the output's place, and a
/// batch's check of the set also receives every clip (ReceiverDecodeStep), so
/// that a clip copied over another's is refused before the first prompt.
class MainState : public DiagnosticOutput {
 public:
  using Outputs = MainStateOutputs;

  MainState(QString program_folder, UserInterface& ui, Outputs outputs = {});

  /// "~/TTYOutput.wav": the output path a new main window starts with.
  static QString DefaultOutputPath();

  /// Reports one line: into the open batch log, four blanks before it, while
  /// a batch runs; into the pane otherwise.
  void WriteLine(const QString& line) override;

  /// Turns the text into the WAV file at the output path, once the clip set
  /// has passed its check; a set that fails it is refused (Status::Failed,
  /// the refusal shown outside a batch and logged in one).
  ConstructionResult BuildWav();

  /// Checks the program folder's clip set, with the decode step when one
  /// is plugged in.
  ClipSetCheck CheckClipSet() const;
  /// Checks the clip set for the batch about to begin; its constructions
  /// then use this result until EndBatch. False with the refusal message.
  bool CheckClipSetForBatch(QString* refusal);
  /// A further check of every clip (a receiver); empty: none.
  void SetClipDecodeStep(ClipDecodeStep step) { decode_ = std::move(step); }
  /// Turns the reading back of every built WAV on or off.
  void SetVerify(bool verify) { verify_ = verify; }
  bool verify() const { return verify_; }

  const QString& text() const { return text_; }
  const QString& output_path() const { return output_path_; }
  bool translate() const { return translate_; }
  bool batch_mode() const { return batch_log_ != nullptr; }
  BatchLog* batch_log() const { return batch_log_; }
  const QString& program_folder() const { return program_folder_; }
  UserInterface& ui() const { return ui_; }

  void SetText(const QString& text) { text_ = text; }
  void SetOutputPath(const QString& path) { output_path_ = path; }
  void SetTranslate(bool translate) { translate_ = translate; }
  /// Sets the two text boxes, as the batches do before each prompt, and
  /// tells the window (see OnTextsChanged) so that it shows them.
  void SetTexts(const QString& text, const QString& output_path);
  /// Runs `changed` after every SetTexts; an empty function stops that.
  void OnTextsChanged(std::function<void()> changed) { texts_changed_ = std::move(changed); }

  /// Enters batch mode with `log` open; reports go there until EndBatch.
  /// No prompt of the batch may replace the log or one of `inputs` (the
  /// files the batch reads).
  void BeginBatch(BatchLog& log, const QStringList& inputs = {}) {
    batch_log_ = &log;
    batch_inputs_ = inputs;
    batch_output_names_ = std::make_unique<FolderNames>();
  }
  /// Replaces the files the running batch reads (a prompt set moves on from
  /// one prompt file to the next).
  void SetBatchInputs(const QStringList& inputs) { batch_inputs_ = inputs; }
  /// A file of the running batch's output folders found without regard to
  /// case, from the batch's reading of the folder (ResolveCaseInsensitive
  /// outside a batch).
  QString ResolveBatchFile(const QString& path) {
    return batch_output_names_ ? batch_output_names_->Resolve(path) : ResolveCaseInsensitive(path);
  }
  /// Notes a file that the running batch made in one of its output folders
  /// other than by building a prompt (a copy of a recording).
  void NoteBatchFile(const QString& path) {
    if (batch_output_names_) batch_output_names_->Add(path);
  }
  void EndBatch() {
    batch_log_ = nullptr;
    batch_inputs_.clear();
    batch_clip_set_.reset();
    batch_check_.reset();
    batch_output_names_.reset();
  }

 private:
  ConstructionResult RefuseBuild(const QString& refusal);

  const QString program_folder_;
  UserInterface& ui_;
  const Outputs outputs_;
  QString text_;
  QString output_path_ = DefaultOutputPath();
  bool translate_ = true;
  BatchLog* batch_log_ = nullptr;
  QStringList batch_inputs_;
  std::function<void()> texts_changed_;
  ClipDecodeStep decode_;
  bool verify_ = true;
  std::optional<ClipSet> batch_clip_set_;  // checked before the running batch began
  // The running batch's receiver check: what it reads of the clip set (clip lengths, the
  // lead-in) it reads once for every prompt of the batch.
  std::unique_ptr<ReceiverWavCheck> batch_check_;
  // The names in the running batch's output folders, read once for the batch.
  std::unique_ptr<FolderNames> batch_output_names_;
  TextToWav construction_;
};

}  // namespace quillon
