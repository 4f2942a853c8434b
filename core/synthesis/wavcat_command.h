#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/common/report.h"

namespace quillon {

/// A `wavcat` command line under construction: "wavcat ", then every file
/// name added, each followed by exactly one blank. Clip names go in bare;
/// callers wrap full paths in double quotes themselves.
class WavcatCommandLine {
 public:
  /// Adds one file name (see the type's description).
  void Add(const QString& file_name);
  /// Starts afresh: the next name added begins a new command line.
  void Reset();
  /// The command line built so far.
  const QString& text() const { return text_; }
  /// The names added since the line began, as they were added.
  const QStringList& names() const { return names_; }

 private:
  bool first_name_ = true;  // the next name added starts a new command line
  QString text_;
  QStringList names_;
};

/// Why Quillon cannot work from `program_folder`, or an empty string when it
/// can: wavcat's command lines name files inside double quotes, so a folder
/// whose path holds a double quote cannot be named on them.
QString ProgramFolderProblem(const QString& program_folder);

/// Runs a finished `wavcat` command line with the program folder as its
/// working directory, and waits for it. The line is split into arguments
/// (blanks separate, double quotes group) and executed directly, never
/// through a shell. `wavcat` is looked for in the program folder, then the
/// working directory, then `PATH`. Returns false with `error` filled when the
/// tool could not start, was killed, or exited with a failure status.
/// `idle`, when given, runs every few milliseconds while the tool runs (a
/// window repaints in it).
bool RunWavcatCommand(const QString& command_line, const QString& program_folder,
                      const std::function<void()>& idle, RuntimeError* error);

/// The same for any of Quillon's tools, run in `working_dir`: bare file
/// names on the line are taken from there, the tool itself is still looked
/// for in the program folder first.
bool RunToolCommand(const QString& command_line, const QString& program_folder,
                    const QString& working_dir, const std::function<void()>& idle,
                    RuntimeError* error);

}  // namespace quillon
