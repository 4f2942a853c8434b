#include "core/batch/csv_import.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unordered_map>

#include "core/common/limits.h"
#include "core/translation/tokenizer.h"
#include "platform/file_system.h"
#include "platform/held_folder.h"
#include "platform/text_file.h"

namespace quillon {
namespace {

const QString kProcedure = QStringLiteral("ProcessCSVFile");
const QString kForm = QStringLiteral("frmImportFromCSV");
const QString kNoFileMessage =
    QStringLiteral("You must first select a text file to read the CSV information from");
const QString kRows = QStringLiteral("rows");

}  // namespace

const QString kWrongHeadingMessage = QStringLiteral(
    "The file selected does not have a first line consisting of 'FILE, TEXT' and is not "
    "considered valid.  Please review the help file for more details.");

bool IsCsvHeading(const QString& line) {
  return line.compare(kCsvHeading, Qt::CaseInsensitive) == 0;
}

CsvHeadingCheck CheckCsvHeading(const QString& path, QString* problem) {
  QString line;
  QString err;
  if (!ReadFirstLine(path, limits::kCsvFileBytes, &line, &err)) {
    if (problem) *problem = err;
    return CsvHeadingCheck::Unreadable;
  }
  return IsCsvHeading(line) ? CsvHeadingCheck::Valid : CsvHeadingCheck::WrongHeading;
}

QString UnreadableCsvMessage(const QString& path, const QString& problem) {
  if (!QFileInfo::exists(path)) return QStringLiteral("The file %1 does not exist.").arg(path);
  if (problem.startsWith(QStringLiteral("it is ")))
    return QStringLiteral("The file %1 cannot be read: %2.").arg(path, problem);
  return QStringLiteral("The file %1 cannot be read, or it is empty.").arg(path);
}

QString InvalidRowHint(const CsvRow& row, const QString& line) {
  if (line.size() > limits::kCsvRowCharacters)
    return QStringLiteral("Line %1 is %2 characters long; a row may hold at most %3.")
        .arg(row.line)
        .arg(line.size())
        .arg(limits::kCsvRowCharacters);
  if (line.trimmed().isEmpty())
    return QStringLiteral("Line %1 is empty; a row needs two fields, FILE and TEXT.").arg(row.line);
  return QStringLiteral(
             "Line %1 gives %2 fields where a row needs two, FILE and TEXT: a text "
             "that holds a comma goes in double quotes, as in: "
             "hello.wav,\"Hello, world\"")
      .arg(row.line)
      .arg(row.fields);
}

QString InvalidFileNameHint(const CsvRow& row) {
  const QString where = QStringLiteral("Line %1: ").arg(row.line);
  if (row.output.isEmpty()) return where + QStringLiteral("the row names no output file.");
  const QFileInfo output(row.output);
  const QString folder = output.absolutePath();
  if (output.isDir())
    return where + QStringLiteral("%1 is a folder; name a file in it.").arg(row.output);
  if (!QFileInfo(folder).isDir())
    return where + QStringLiteral("the folder %1 does not exist; create it first.").arg(folder);
  return where + QStringLiteral("the file %1 cannot be created in the folder %2.")
                     .arg(output.fileName(), folder);
}

// The try goes through the folder held open: the probe made is the probe
// removed, even when a folder on the way is swapped for a link meanwhile.
bool IsLegalFileName(const QString& file_name) {
  const QFileInfo info(file_name);
  if (file_name.isEmpty() || info.fileName().isEmpty()) return false;
  HeldFolder folder;
  QString err;
  if (!folder.Open(info.absolutePath(), &err)) return false;
  switch (folder.KindOf(info.fileName())) {
    case HeldFolder::Kind::Regular:
    case HeldFolder::Kind::Link:  // the build says why it does not write through it
    case HeldFolder::Kind::Other:
      return true;
    case HeldFolder::Kind::Folder:
      return false;
    case HeldFolder::Kind::Missing:
      break;
  }
  // A new file only: one that appears meanwhile is never touched by the test.
  if (!folder.CreateNew(info.fileName(), &err)) return false;
  folder.Remove(info.fileName());
  return true;
}

QString RowOutputPath(const QString& field, const QString& csv_folder) {
  if (field.isEmpty() || QDir::isAbsolutePath(field)) return field;
  return QDir::cleanPath(QDir(csv_folder).absoluteFilePath(field));
}

CsvPlan PlanCsvFile(const QString& csv_path) {
  CsvPlan plan;
  TextFile file = ReadTextFile(csv_path, limits::kCsvFileBytes);
  if (!file.ok) {
    const int number =
        FileExists(csv_path) ? error_number::kPathFileAccess : error_number::kFileNotFound;
    plan.error = {number, file.error + QStringLiteral(": ") + csv_path};
    return plan;
  }
  if (file.lines.isEmpty()) {
    plan.error = {error_number::kInputPastEndOfFile, QStringLiteral("Input past end of file")};
    return plan;
  }
  plan.ok = true;
  plan.lines = std::move(file.lines);
  const QString csv_folder = QFileInfo(csv_path).absolutePath();
  OutputKeys keys;
  // The rows by the hash of their output's key: the keys themselves would
  // hold as much memory again as the file; a hash that two keys share is told
  // apart by comparing the keys.
  std::unordered_multimap<size_t, size_t> rows_by_key;
  plan.rows.reserve(static_cast<size_t>(plan.lines.size() - 1));
  for (qsizetype i = 1; i < plan.lines.size(); ++i) {
    CsvRow row;
    row.line = i + 1;
    // A line past the bound is not split at all: it is an invalid row.
    QStringList fields = plan.lines.at(i).size() > limits::kCsvRowCharacters
                             ? QStringList()
                             : GetTokens(plan.lines.at(i), QStringLiteral(","), true);
    row.fields = fields.size();
    row.valid = fields.size() == 2;
    if (row.valid) {
      row.output = RowOutputPath(fields.at(0), csv_folder);
      row.text = std::move(fields[1]);
    }
    if (row.valid && !row.output.isEmpty()) {
      const QString key = keys.KeyOf(row.output);
      const size_t hash = qHash(key);
      const auto [first, last] = rows_by_key.equal_range(hash);
      for (auto it = first; it != last && row.same_output_as == 0; ++it) {
        const CsvRow& earlier = plan.rows[it->second];
        if (keys.KeyOf(earlier.output) == key) row.same_output_as = earlier.line;
      }
      if (row.same_output_as == 0) rows_by_key.emplace(hash, plan.rows.size());
    }
    plan.rows.push_back(std::move(row));
  }
  return plan;
}

CsvPromptImport::CsvPromptImport(const WavBuilder& builder, UserInterface& ui)
    : builder_(builder), ui_(ui) {}

QString CsvPromptImport::LogPath() const {
  return JoinPath(builder_.program_folder(), kCsvLogName);
}

CsvPromptImport::Outcome CsvPromptImport::Run(const QString& csv_path, JobMonitor& monitor) {
  if (csv_path.isEmpty()) {
    ui_.ShowMessage(kNoFileMessage);
    return Outcome::NoFile;
  }
  completed_ = false;
  tally_ = JobTally();
  QString err;
  session_ = builder_.Open(WavBuilder::Scope::Job, &err);
  if (!session_) {
    ui_.ShowMessage(err);
    return Outcome::ClipSetRefused;
  }
  if (!StartBatchLog(LogPath(), &log_, &err)) {
    session_.reset();
    ui_.ShowMessage(QStringLiteral("Error in cmdCreatePrompts:") + err);
    return Outcome::LogRefused;
  }
  session_->SetProtectedFiles({LogPath(), csv_path});
  session_->SetIdle([&monitor] { monitor.KeepAlive(); });
  completed_ = ProcessCSVFile(csv_path, monitor);
  log_.Close();
  session_.reset();
  monitor.Finished();
  if (completed_) Summarize();
  if (tally_.stopped) return Outcome::Cancelled;
  return completed_ ? Outcome::Completed : Outcome::Stopped;
}

// The rows, each logged as read and followed by its outcome. A CSV file that
// cannot be read, or a log that stops taking lines, ends the run at once
// with a report in place of the summary.
bool CsvPromptImport::ProcessCSVFile(const QString& csv_path, JobMonitor& monitor) {
  const CsvPlan plan = PlanCsvFile(csv_path);
  if (!plan.ok) {
    tally_.aborted = true;
    monitor.Started(0);
    ReportFailure(plan.error);
    return false;
  }
  tally_.total = static_cast<qint64>(plan.rows.size());
  monitor.Started(tally_.total);
  for (const CsvRow& row : plan.rows) {
    if (monitor.StopRequested()) {
      tally_.stopped = true;
      log_.WriteLine(StoppedLine(monitor.StopReason(), tally_, kRows));
      break;
    }
    if (!ProcessRow(plan, row)) {
      tally_.aborted = true;
      ReportFailure({error_number::kPathFileAccess,
                     QStringLiteral("Cannot write to the log file ") + LogPath()});
      return false;
    }
    ++tally_.done;
    monitor.Progressed(tally_.done, tally_.not_good());
  }
  // With verification on, a sentence says how many of the good rows the
  // receiver read back as sent, at the end of the log (a file with no rows
  // keeps its empty log).
  if (builder_.verify() && tally_.done > 0)
    log_.WriteLine(QString::number(tally_.done) + QStringLiteral(" rows processed, ") +
                   QString::number(tally_.verified) +
                   QStringLiteral(" of them were verified by the receiver."));
  return true;
}

// The summary: the rows processed and the good ones, and with verification
// on how many of them the receiver read back as sent.
void CsvPromptImport::Summarize() {
  QString text = tally_.stopped ? QStringLiteral("Cancelled. ") + QString::number(tally_.done) +
                                      QStringLiteral(" of ") + QString::number(tally_.total)
                                : QStringLiteral("Done. ") + QString::number(tally_.done);
  text += QStringLiteral(" rows processed, ") + QString::number(tally_.good) +
          QStringLiteral(" of them were good.");
  if (builder_.verify())
    text += QStringLiteral(" ") + QString::number(tally_.verified) +
            QStringLiteral(" of them were verified by the receiver.");
  ui_.ShowMessage(text);
}

// One data row: false only when the log refused the row itself.
bool CsvPromptImport::ProcessRow(const CsvPlan& plan, const CsvRow& row) {
  // The row's line reaches the file before its prompt is built.
  if (!log_.WriteLine(plan.lines.at(row.line - 1)) || !log_.Flush()) return false;
  if (!row.valid) {
    log_.WriteLine(QStringLiteral("(error) Invalid row"));
    log_.WriteLine(InvalidRowHint(row, plan.lines.at(row.line - 1)));
    log_.WriteLine(QString());
    return true;
  }
  if (row.same_output_as != 0) {
    log_.WriteLine(QStringLiteral("(error) Not built: line ") +
                   QString::number(row.same_output_as) +
                   QStringLiteral(" names the same file, whose prompt this row would replace: ") +
                   session_->Resolve(row.output));
    log_.WriteLine(QString());
    return true;
  }
  if (!IsLegalFileName(row.output)) {
    log_.WriteLine(QStringLiteral("(error) Invalid File name"));
    log_.WriteLine(InvalidFileNameHint(row));
    log_.WriteLine(QString());
    return true;
  }
  BatchLogReport report(log_);
  const BuildResult result = session_->Build({row.text, row.output, translate}, report);
  if (result.status == BuildResult::Status::EmptyText) ui_.ShowMessage(kEmptyTextMessage);
  const QString not_built = NotBuiltLine(result.status);
  if (not_built.isEmpty()) {
    ++tally_.good;
    if (result.built()) ++tally_.built;
    if (result.verified) ++tally_.verified;
  } else {
    log_.WriteLine(not_built);
    log_.WriteLine(QString());
  }
  return true;
}

void CsvPromptImport::ReportFailure(const RuntimeError& error) {
  const QString line = FormatErrorLine(error, kProcedure, kForm);
  log_.WriteLine(line);
  ui_.ShowMessage(line);
}

}  // namespace quillon
