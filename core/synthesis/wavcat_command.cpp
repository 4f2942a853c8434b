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

void WavcatCommandLine::Append(const QString& shown, const QString& argument) {
  if (first_name_) {
    first_name_ = false;
    arguments_.clear();
    text_ = QStringLiteral("wavcat ");
  }
  text_ += shown + QLatin1Char(' ');
  arguments_.append(argument);
}

void WavcatCommandLine::Add(const QString& clip) {
  Append(clip, clip);
}

void WavcatCommandLine::AddPath(const QString& path) {
  Append(QLatin1Char('"') + path + QLatin1Char('"'), path);
}

void WavcatCommandLine::Reset() {
  first_name_ = true;
  text_.clear();
  arguments_.clear();
}

bool RunWavcatCommand(const QStringList& arguments, const QString& program_folder,
                      const std::function<void()>& idle, RuntimeError* error) {
  return RunToolCommand(QStringLiteral("wavcat"), arguments, program_folder, program_folder, idle,
                        error);
}

bool RunToolCommand(const QString& program, const QStringList& arguments,
                    const QString& program_folder, const QString& working_dir,
                    const std::function<void()>& idle, RuntimeError* error) {
  std::vector<std::string> argv{QFile::encodeName(program).toStdString()};
  for (const QString& argument : arguments)
    argv.push_back(QFile::encodeName(argument).toStdString());
  const std::string folder = QFile::encodeName(program_folder).toStdString();
  const ProcessOutcome outcome =
      RunProcess(argv, folder, QFile::encodeName(working_dir).toStdString(), idle,
                 {"WAVCAT_OUTPUT_AS_NAMED=1"});
  if (outcome.succeeded()) return true;

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
