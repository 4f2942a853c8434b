#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/batch/batch_job.h"
#include "core/common/user_interface.h"
#include "core/session/batch_log.h"
#include "core/session/wav_builder.h"

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
  Unreadable     ///< the file cannot be read, is not text, or holds no line
};
/// Checks the first line of the file at `path`; for an unreadable file,
/// `problem` (when given) says why ("Input past end of file" for an empty
/// one).
CsvHeadingCheck CheckCsvHeading(const QString& path, QString* problem = nullptr);

/// The message shown for a file whose first line is not the heading.
extern const QString kWrongHeadingMessage;

/// The message for a file that CheckCsvHeading found unreadable: it names
/// the file and what is wrong with it (missing, empty, not text, no access).
QString UnreadableCsvMessage(const QString& path, const QString& problem);

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

/// One data row of a CSV file, as planned before the first prompt.
struct CsvRow {
  qsizetype line = 0;    ///< its line number in the file (the heading is line 1)
  bool valid = false;    ///< the row gave exactly two fields
  qsizetype fields = 0;  ///< how many fields it gave
  QString output;        ///< field 1 as a path (RowOutputPath)
  QString text;          ///< field 2
  /// The line of an earlier row that names the same output; 0 when none.
  qsizetype same_output_as = 0;
};

/// The line the log gives after "(error) Invalid row": which line, how many
/// fields it gave (`line` is its text), and that a text holding a comma goes
/// in double quotes.
QString InvalidRowHint(const CsvRow& row, const QString& line);
/// The line the log gives after "(error) Invalid File name": which line, and
/// why its output cannot be written (a missing folder, a folder, no right to write).
QString InvalidFileNameHint(const CsvRow& row);

/// A CSV file read whole and planned: every data row, and which rows aim at
/// an output that an earlier row already names.
struct CsvPlan {
  bool ok = false;
  RuntimeError error;  ///< why the file could not be read, when not ok
  QStringList lines;   ///< the file's lines, the heading first
  std::vector<CsvRow> rows;
};
CsvPlan PlanCsvFile(const QString& csv_path);

/// The CSV prompt import: every data row of a "FILE, TEXT" file built as if
/// typed into the main window, with one log that records every row and its
/// outcome. The file is read and planned before the first prompt, so the
/// total is known and a row aimed at a file that an earlier row names is not
/// built (it would replace that row's prompt). Counts are 64-bit, so a file
/// of any length runs to its end. A row counts as good when it was built or
/// the dictionary skipped it. The run stops after any prompt when its
/// monitor asks, and says so in its log and its summary.
class CsvPromptImport {
 public:
  /// `ui` shows this job's own messages (the summary, the empty-text message).
  CsvPromptImport(const WavBuilder& builder, UserInterface& ui);

  /// How a press of "Create Prompts" ended.
  enum class Outcome {
    NoFile,          ///< no CSV file chosen: nothing happened
    ClipSetRefused,  ///< the clip set failed its check: nothing happened
    LogRefused,      ///< the log could not be replaced: nothing happened
    Stopped,         ///< the rows stopped early (the CSV file or the log failed)
    Completed,       ///< every row was read; the summary was shown
    Cancelled        ///< the monitor stopped the run; the summary says where
  };

  /// "Create Prompts": prepares the log, plans and runs every row with
  /// `monitor` told, closes the log. The log is worth offering to the user
  /// exactly when the outcome is Stopped, Completed or Cancelled.
  Outcome Run(const QString& csv_path, JobMonitor& monitor);

  /// Translate every text with the dictionary first (on by default).
  bool translate = true;

  QString LogPath() const;
  const JobTally& tally() const { return tally_; }
  qint64 rows() const { return tally_.done; }
  qint64 good_rows() const { return tally_.good; }
  /// Rows whose WAV the receiver read back as sent (none with verification off).
  qint64 verified_rows() const { return tally_.verified; }
  /// True when the run read every row and each was built or skipped by the
  /// dictionary: what the command line reports as success.
  bool all_rows_good() const { return completed_ && tally_.all_good(); }

 private:
  bool ProcessCSVFile(const QString& csv_path, JobMonitor& monitor);
  bool ProcessRow(const CsvPlan& plan, const CsvRow& row);
  void Summarize();
  void ReportFailure(const RuntimeError& error);

  const WavBuilder& builder_;
  UserInterface& ui_;
  BatchLog log_;
  std::unique_ptr<BuildSession> session_;
  JobTally tally_;
  bool completed_ = false;
};

}  // namespace quillon
