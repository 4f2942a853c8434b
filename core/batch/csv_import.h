#pragma once

#include <QString>

#include "core/batch/batch_session.h"
#include "core/common/user_interface.h"
#include "core/session/batch_log.h"
#include "core/session/main_state.h"

namespace quillon {

/// The heading a prompt CSV file must start with (letter case aside).
inline const QString kCsvHeading = QStringLiteral("FILE, TEXT");
/// The log of a CSV run, in the program folder.
inline const QString kCsvLogName = QStringLiteral("CSVPromptConstruction.log");

/// True when `line` is the heading "FILE, TEXT", compared without regard to
/// letter case: one blank after the comma, nothing else on the line.
bool IsCsvHeading(const QString& line);

/// What the heading check of a chosen file found.
enum class CsvHeadingCheck {
  Valid,         ///< the first line is the heading
  WrongHeading,  ///< the first line is something else
  Unreadable     ///< the file cannot be read or holds no line
};
CsvHeadingCheck CheckCsvHeading(const QString& path);

/// The message shown for a file whose first line is not the heading.
extern const QString kWrongHeadingMessage;

/// Decides whether a WAV file could be written under `file_name` by trying
/// it: an existing file is usable (and left alone); otherwise the name is
/// created and deleted again at once. Whatever the file system refuses (a
/// missing folder, no permission, a folder of that name) is not usable. No
/// file is left behind when the name was new.
bool IsLegalFileName(const QString& file_name);

/// The output file of a data row: field 1 as given when it is absolute,
/// otherwise taken relative to the folder of the CSV file, where users keep
/// the prompts it lists.
QString RowOutputPath(const QString& field, const QString& csv_folder);

/// The CSV prompt import: every data row of a "FILE, TEXT" file handed to
/// the main window's construction as if typed into it, with one log that
/// records every row and its outcome. Counts are 64-bit, so a file of any
/// length runs to its end. A row counts as good when the construction built
/// it or the dictionary skipped it; a row it could not build is logged as
/// not built and is not good.
class CsvPromptImport {
 public:
  /// `ui` shows this batch's own messages; the construction speaks through
  /// the main window's.
  CsvPromptImport(MainState& state, UserInterface& ui);

  /// How a press of "Create Prompts" ended.
  enum class Outcome {
    NoFile,          ///< no CSV file chosen: nothing happened
    ClipSetRefused,  ///< the clip set failed its check: nothing happened
    LogRefused,      ///< the log could not be replaced: nothing happened
    Stopped,         ///< the rows stopped early (the CSV file or the log failed)
    Completed        ///< every row was read; the summary was shown
  };

  /// "Create Prompts": prepares the log, runs every row with `progress`
  /// told, closes the log. The log is worth offering to the user exactly
  /// when the outcome is Stopped or Completed.
  Outcome Run(const QString& csv_path, const BatchProgress& progress);

  /// Runs every data row of the file into the open log; true when it
  /// reached the end of the file and showed the summary.
  bool ProcessCSVFile(const QString& csv_path, const BatchProgress& progress);

  QString LogPath() const;
  qint64 rows() const { return rows_; }
  qint64 good_rows() const { return good_; }
  /// Rows whose WAV the receiver read back as sent (none with verification off).
  qint64 verified_rows() const { return verified_; }
  /// True when the run read every row and each was built or skipped by the
  /// dictionary: what the command line reports as success.
  bool all_rows_good() const { return completed_ && good_ == rows_; }

 private:
  bool ProcessRow(const QString& line, const QString& csv_folder);
  void ReportFailure(const RuntimeError& error);

  MainState& state_;
  UserInterface& ui_;
  BatchLog log_;
  qint64 rows_ = 0;
  qint64 good_ = 0;
  qint64 verified_ = 0;
  bool completed_ = false;
};

}  // namespace quillon
