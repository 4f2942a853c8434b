#include "core/synthesis/wavcat_command.h"

#include <QFile>
#include <cerrno>

#include "platform/process.h"

namespace quillon {
namespace {

// The first line the tool wrote to standard error: its own account of what
// went wrong.
QString FirstLine(const std::string& text) {
  const QString all = QString::fromUtf8(text).trimmed();
  const qsizetype end = all.indexOf(QLatin1Char('\n'));
  return end < 0 ? all : all.left(end).trimmed();
}

}  // namespace

void WavcatCommandLine::Add(const QString& file_name) {
  if (first_name_) {
    first_name_ = false;
    names_.clear();
    text_ = QStringLiteral("wavcat ") + file_name + QLatin1Char(' ');
  } else {
    text_ += file_name + QLatin1Char(' ');
  }
  names_.append(file_name);
}

QString ProgramFolderProblem(const QString& program_folder) {
  if (!program_folder.contains(QLatin1Char('"'))) return QString();
  return QStringLiteral(
             "The program folder's path holds a double quote (\"), which wavcat's "
             "command lines cannot name: ") +
         program_folder + QStringLiteral(". Move Quillon to a folder without one.");
}

void WavcatCommandLine::Reset() {
  first_name_ = true;
  text_.clear();
  names_.clear();
}

bool RunWavcatCommand(const QString& command_line, const QString& program_folder,
                      const std::function<void()>& idle, RuntimeError* error) {
  return RunToolCommand(command_line, program_folder, program_folder, idle, error);
}

bool RunToolCommand(const QString& command_line, const QString& program_folder,
                    const QString& working_dir, const std::function<void()>& idle,
                    RuntimeError* error) {
  const std::vector<std::string> argv =
      SplitCommandLine(QFile::encodeName(command_line).toStdString());
  const std::string folder = QFile::encodeName(program_folder).toStdString();
  const ProcessOutcome outcome =
      RunProcess(argv, folder, QFile::encodeName(working_dir).toStdString(), idle);
  if (outcome.succeeded()) return true;

  const QString program =
      argv.empty() ? QStringLiteral("wavcat") : QFile::decodeName(argv[0].c_str());
  if (!outcome.started) {
    const bool missing = outcome.spawn_errno == ENOENT;
    error->number = missing ? error_number::kFileNotFound : error_number::kPathFileAccess;
    error->description = missing ? QStringLiteral("File not found: ") + program
                                 : QString::fromStdString(outcome.error);
    return false;
  }
  error->number = error_number::kToolFailed;
  const QString said = FirstLine(outcome.stderr_text);
  if (outcome.exited) {
    error->description = program + QStringLiteral(" failed with exit status ") +
                         QString::number(outcome.exit_status);
  } else {
    error->description =
        program + QStringLiteral(" was ended by signal ") + QString::number(outcome.term_signal);
  }
  if (!said.isEmpty()) error->description += QStringLiteral(": ") + said;
  return false;
}

}  // namespace quillon
