#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/common/report.h"

namespace quillon {

/// A `wavcat` command line under construction: the arguments in order, as the
/// tool is given them, and the line as the user reads it: "wavcat ", then every
/// argument followed by exactly one blank, a path within double quotes.
class WavcatCommandLine {
 public:
  /// Adds a clip, named bare.
  void Add(const QString& clip);
  /// Adds a full path (a chunk file, the output).
  void AddPath(const QString& path);
  /// Starts afresh: the next argument added begins a new command line.
  void Reset();
  /// The command line as the user reads it.
  const QString& text() const { return text_; }
  /// The arguments added since the line began, as the tool gets them.
  const QStringList& arguments() const { return arguments_; }

 private:
  void Append(const QString& shown, const QString& argument);

  bool first_name_ = true;  // the next argument starts a new command line
  QString text_;
  QStringList arguments_;
};

/// Runs `wavcat` and waits for it. The tool is started by its full path,
/// found before it starts (FindProgram: the program folder first, then the
/// absolute folders of `PATH`, never the working directory), with
/// `arguments` as a list (each one argument, blanks, quotes and all: nothing
/// is split or handed to a shell). Its working directory is the program
/// folder, so that bare clip names are the clip set's; it takes every output
/// as named (Quillon resolves outputs itself). Returns false with
/// `error` filled when the tool could not start, was killed, or exited with a
/// failure status. `idle`, when given, runs every few milliseconds while the
/// tool runs (a window repaints in it).
bool RunWavcatCommand(const QStringList& arguments, const QString& program_folder,
                      const std::function<void()>& idle, RuntimeError* error);

/// The same for any of Quillon's tools, `program` with `arguments`, run in
/// `working_dir`: bare file names in the arguments are taken from there,
/// while the tool itself is found as `wavcat` is, never in `working_dir`.
bool RunToolCommand(const QString& program, const QStringList& arguments,
                    const QString& program_folder, const QString& working_dir,
                    const std::function<void()>& idle, RuntimeError* error);

}  // namespace quillon
