#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/common/report.h"
#include "core/synthesis/clip_set.h"
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
  /// True when `wav_path` reads back as `sent_text` (BuildResult::new_text), with
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

/// One WAV to build: the text, the file to write and whether the dictionary
/// translates the text first.
struct BuildRequest {
  QString text;         ///< the text to convert (txtInputText); must not be empty
  QString output_path;  ///< the WAV file to write (txtOutputFileName)
  bool translate = true;
};

/// What a build works with besides its request, set up by whoever holds the
/// clip set for it (BuildSession): the program folder with the checked clip
/// set, the tables, the check of the result, and the files it must not write.
struct BuildEnvironment {
  QString program_folder;  ///< the clip set lives here
  QString clip_set;        ///< "45.45 baud, 8 kHz 16-bit PCM"; reported when set
  /// The checked set the clips come from; null: the length of the WAV is not
  /// bounded before the run.
  const ClipSet* set = nullptr;
  QStringList protected_files;              ///< files of a running job that no output may replace
  TranslationStage* translation = nullptr;  ///< null: no tables, text unchanged
  BuiltWavCheck* check = nullptr;           ///< null: the WAV is not read back
  /// A job's names of its output folders; null: the output's folder is read
  /// whenever its name must be found in another case.
  FolderNames* output_names = nullptr;
  /// The output folders a job has cleared of what killed runs left there
  /// (by identity); null: each build clears its folder.
  QSet<QString>* swept_folders = nullptr;
  /// Runs every few milliseconds while wavcat runs, so that a window can
  /// repaint (and a job's Cancel be heard); empty: nothing runs.
  std::function<void()> idle;
};

/// How a build ended.
struct BuildResult {
  enum class Status {
    EmptyText,  ///< nothing to convert; nothing happened and nothing was reported
    Built,      ///< the WAV file was written
    Skipped,    ///< the dictionary marked the text as one not to build
    Failed,     ///< the WAV file was not built; `errors` says why
    Refused     ///< the clip set cannot be built from; `errors` says why, nothing was reported
  };
  Status status = Status::EmptyText;
  QString new_text;       ///< the text as sent, after translation and markers
  QString written;        ///< the file written, as it is named on disk (when built)
  int wavcat_runs = 0;    ///< how many joining runs took place
  bool verified = false;  ///< the check read the WAV back as sent
  QStringList errors;     ///< the "(error)" lines reported, or the refusal

  bool built() const { return status == Status::Built; }
};

/// The message an interactive front end shows when the text box is empty.
extern const QString kEmptyTextMessage;
/// The message that closes a build in a window or on the command line:
/// "Done.", the dictionary's skip, or why the WAV was not built; for an empty
/// text, kEmptyTextMessage; for a refused clip set, the refusal.
QString ClosingMessage(const BuildResult& result);

/// Turns one text into one TTY WAV file: upper-cases it, translates it,
/// walks it with the Baudot shift logic, and joins the clips with `wavcat`,
/// in chunks of 801 characters. Each call starts with the shift state
/// unknown and a new command line. Every report line goes to `report`;
/// failures end in Status::Failed; the function never throws and never
/// speaks to the person in front of the program (no message, no pointer, no
/// pane, no clipboard): the front ends do that around it. A text with no
/// character a TTY can send (only unknown or refused ones) builds nothing
/// and fails with a line that says so; a text of blanks is built.
///
/// A long text is joined chunk by chunk into files of a folder of its own
/// (each chunk holds only its own stretch of the text), and the last run
/// joins the chunks and the rest into the output: the bytes written grow
/// with the text, not with its square. The folder is removed once the
/// output is built and kept when a run fails, so that the report can name
/// it. With a check in the context, the last run writes a file of its own
/// beside the output, the check reads it back, and only a file that passes
/// replaces the output; one that fails is deleted and the output is left as
/// it was. The caller holds the clip set's folder (shared) for the length of
/// the build, so that an alphabet rebuild never changes the set under it.
class TextToWav {
 public:
  static BuildResult Build(const BuildRequest& request, const BuildEnvironment& environment,
                           DiagnosticOutput& report);

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
