#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/common/report.h"
#include "core/common/user_interface.h"
#include "core/synthesis/wavcat_command.h"
#include "core/translation/translation_stage.h"
#include "platform/file_system.h"

namespace quillon {

/// A check of a built WAV file against the text it was built from: a receiver that
/// hears the file as a TTY would and compares what it prints with the text sent. The
/// construction runs it on every WAV it builds before the file takes the output's place.
class BuiltWavCheck {
 public:
  virtual ~BuiltWavCheck() = default;
  /// True when `wav_path` reads back as `sent_text` (ConstructionResult::new_text), with
  /// the report line ("Verified: ...") in `line`. False when it does not, or cannot be
  /// read, with the reason in `problem` ("Verification failed: character 12: sent "P",
  /// received "Q""). A check that cannot listen to the set at all passes with a line that
  /// says so ("Not verified: ..."), and the result is not counted as verified.
  virtual bool Check(const QString& wav_path, const QString& sent_text, QString* line,
                     QString* problem) = 0;
  /// Says, before the file is joined, which clips of the program folder it will hold, in
  /// order, for `sent_text`. A check may start receiving them at once, while wavcat joins
  /// them, and then, in Check, hold the file to exactly those samples.
  virtual void Expect(const QStringList& clips, const QString& sent_text) {
    (void)clips;
    (void)sent_text;
  }
};

/// The receiver of the construction's report lines, the pane it clears and
/// the places its results go. MainState provides all of them.
struct ConstructionContext {
  QString text;                  ///< the text to convert (txtInputText)
  QString output_path;           ///< the WAV file to write (txtOutputFileName)
  bool translate = true;         ///< the translation switch
  bool batch_mode = false;       ///< reports go to the batch log
  QString program_folder;        ///< the clip set lives here
  QStringList protected_inputs;  ///< files of the running batch the output must not replace
  QString clip_set;  ///< the checked set, "45.45 baud, 8 kHz 16-bit PCM"; reported when set
  DiagnosticOutput* diag = nullptr;         ///< WriteLine
  UserInterface* ui = nullptr;              ///< messages and the busy pointer
  TranslationStage* translation = nullptr;  ///< null: no tables, text unchanged
  WaveClipboard* clipboard = nullptr;       ///< null: no clipboard export
  std::function<void()> clear_pane;         ///< clears the diagnostic pane
  BuiltWavCheck* check = nullptr;           ///< null: the WAV is not read back
  /// A batch's names of its output folders; null: the output's folder is read
  /// whenever its name must be found in another case.
  FolderNames* output_names = nullptr;
};

/// How a construction ended.
struct ConstructionResult {
  enum class Status {
    EmptyText,  ///< nothing to convert; nothing happened
    Built,      ///< the WAV file was written
    Skipped,    ///< the dictionary marked the text as one not to build
    Failed      ///< the WAV file was not built; `errors` says why
  };
  Status status = Status::EmptyText;
  QString new_text;       ///< the text as sent, after translation and markers
  int wavcat_runs = 0;    ///< how many joining runs took place
  bool verified = false;  ///< the check read the WAV back as sent
  QStringList errors;     ///< the "(error):" lines reported

  bool built() const { return status == Status::Built; }
};

/// Turns one text into one TTY WAV file: upper-cases it, translates it,
/// walks it with the Baudot shift logic, and joins the clips with `wavcat`,
/// in chunks of 801 characters. Each call starts with the shift state
/// unknown and a new command line. Failures are reported as report lines
/// and end in Status::Failed; the function never throws.
///
/// A long text is joined chunk by chunk into files of a folder of its own
/// (each chunk holds only its own stretch of the text), and the last run
/// joins the chunks and the rest into the output: the bytes written grow
/// with the text, not with its square. The folder is removed once the
/// output is built and kept when a run fails, so that the report can name
/// it. With a check in the context, the last run writes a file of its own
/// beside the output, the check reads it back, and only a file that passes
/// replaces the output; one that fails is deleted and the output is left as
/// it was. While it runs, a build holds the clip set's folder shared, so that an
/// alphabet rebuild (which holds it exclusively) never changes the set under
/// it.
class TextToWav {
 public:
  ConstructionResult Build(const ConstructionContext& context);

  /// Characters joined by one run before its output becomes a chunk file.
  static constexpr int kCharactersPerChunk = 801;
  /// The file name of chunk `number` (counted from 1).
  static QString ChunkFileName(int number);
  /// The longest text, in characters, that translation may turn a text of
  /// `original` characters into: a hundred times the original (at least
  /// 10,000 characters) and never more than 1,000,000. A dictionary whose
  /// entries feed each other cannot make a build run away with the disk.
  static qsizetype TranslationBound(qsizetype original);

 private:
  class Pass;
};

}  // namespace quillon
