#include "core/batch/csv_import.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/translation/tokenizer.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

namespace quillon {
namespace {

const QString kProcedure = QStringLiteral("ProcessCSVFile");
const QString kForm = QStringLiteral("frmImportFromCSV");
const QString kNoFileMessage =
    QStringLiteral("You must first select a text file to read the CSV information from");

}  // namespace

const QString kWrongHeadingMessage = QStringLiteral(
    "The file selected does not have a first line consisting of 'FILE, TEXT' and is not "
    "considered valid.  Please review the help file for more details.");

bool IsCsvHeading(const QString& line) {
  return line.compare(kCsvHeading, Qt::CaseInsensitive) == 0;
}

CsvHeadingCheck CheckCsvHeading(const QString& path) {
  QString line;
  QString err;
  if (!ReadFirstLine(path, &line, &err)) return CsvHeadingCheck::Unreadable;
  return IsCsvHeading(line) ? CsvHeadingCheck::Valid : CsvHeadingCheck::WrongHeading;
}

bool IsLegalFileName(const QString& file_name) {
  if (file_name.isEmpty()) return false;
  if (FileExists(file_name)) return true;
  QFile probe(file_name);
  // NewOnly: a file that appears meanwhile is never truncated by the test.
  if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly)) return false;
  probe.close();
  QString err;
  DeleteFile(file_name, true, &err);
  return true;
}

QString RowOutputPath(const QString& field, const QString& csv_folder) {
  if (field.isEmpty() || QDir::isAbsolutePath(field)) return field;
  return QDir::cleanPath(QDir(csv_folder).absoluteFilePath(field));
}

CsvPromptImport::CsvPromptImport(MainState& state, UserInterface& ui) : state_(state), ui_(ui) {}

QString CsvPromptImport::LogPath() const {
  return JoinPath(state_.program_folder(), kCsvLogName);
}

CsvPromptImport::Outcome CsvPromptImport::Run(const QString& csv_path,
                                              const BatchProgress& progress) {
  if (csv_path.isEmpty()) {
    ui_.MsgBox(kNoFileMessage);
    return Outcome::NoFile;
  }
  completed_ = false;
  QString err;
  if (!state_.CheckClipSetForBatch(&err)) {
    ui_.MsgBox(err);
    return Outcome::ClipSetRefused;
  }
  if (!StartBatchLog(LogPath(), &log_, &err)) {
    ui_.MsgBox(QStringLiteral("Error in cmdCreatePrompts:") + err);
    return Outcome::LogRefused;
  }
  progress.Started();
  completed_ = ProcessCSVFile(csv_path, progress);
  log_.Close();
  progress.Finished();
  return completed_ ? Outcome::Completed : Outcome::Stopped;
}

// The rows, each logged as read and followed by its outcome. A CSV file that
// cannot be read, or a log that stops taking lines, ends the run at once
// with a report in place of the summary.
bool CsvPromptImport::ProcessCSVFile(const QString& csv_path, const BatchProgress& progress) {
  BatchModeScope batch(state_, log_, {csv_path});
  rows_ = 0;
  good_ = 0;
  verified_ = 0;
  const TextFile file = ReadTextFile(csv_path);
  if (!file.ok) {
    const int number =
        FileExists(csv_path) ? error_number::kPathFileAccess : error_number::kFileNotFound;
    ReportFailure({number, file.error + QStringLiteral(": ") + csv_path});
    return false;
  }
  if (file.lines.isEmpty()) {
    ReportFailure({error_number::kInputPastEndOfFile, QStringLiteral("Input past end of file")});
    return false;
  }
  const QString csv_folder = QFileInfo(csv_path).absolutePath();
  for (qsizetype i = 1; i < file.lines.size(); ++i) {
    if (!ProcessRow(file.lines.at(i), csv_folder)) {
      ReportFailure({error_number::kPathFileAccess,
                     QStringLiteral("Cannot write to the log file ") + LogPath()});
      return false;
    }
    progress.Counted(++rows_);
  }
  // With verification on, a sentence says how many of the good rows the
  // receiver read back as sent, in the summary and at the end of the log.
  QString verified;
  if (state_.verify()) {
    verified = QStringLiteral(" ") + QString::number(verified_) +
               QStringLiteral(" of them were verified by the receiver.");
    // A file with no rows keeps its empty log.
    if (rows_ > 0)
      log_.WriteLine(QString::number(rows_) + QStringLiteral(" rows processed,") + verified);
  }
  ui_.MsgBox(QStringLiteral("Done. ") + QString::number(rows_) +
             QStringLiteral(" rows processed, ") + QString::number(good_) +
             QStringLiteral(" of them were good.") + verified);
  return true;
}

// One data row: false only when the log refused the row itself.
bool CsvPromptImport::ProcessRow(const QString& line, const QString& csv_folder) {
  // The row's line reaches the file before its prompt is built.
  if (!log_.WriteLine(line) || !log_.Flush()) return false;
  const QStringList fields = GetTokens(line, QStringLiteral(","), true);
  if (fields.size() != 2) {
    log_.WriteLine(QStringLiteral("(error) Invalid row"));
    log_.WriteLine(QString());
    return true;
  }
  const QString output = RowOutputPath(fields.at(0), csv_folder);
  if (!IsLegalFileName(output)) {
    log_.WriteLine(QStringLiteral("(error) Invalid File name"));
    log_.WriteLine(QString());
    return true;
  }
  const ConstructionResult result = BuildPrompt(state_, fields.at(1), output);
  const QString not_built = NotBuiltLine(result.status);
  if (not_built.isEmpty()) {
    ++good_;
    if (result.verified) ++verified_;
  } else {
    log_.WriteLine(not_built);
    log_.WriteLine(QString());
  }
  return true;
}

void CsvPromptImport::ReportFailure(const RuntimeError& error) {
  const QString line = FormatErrorLine(error, kProcedure, kForm);
  log_.WriteLine(line);
  ui_.MsgBox(line);
}

}  // namespace quillon
