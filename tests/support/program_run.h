#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillon::test {

/// How a program the tests ran came out, and what it printed.
struct ProgramRun {
  bool started = false;   ///< false: it could not be started at all
  bool finished = false;  ///< false: it was killed at the timeout
  int exit_code = -1;     ///< its exit status; -1 when a signal ended it
  QByteArray out;         ///< its standard output
  QByteArray err;         ///< its standard error

  bool succeeded() const { return finished && exit_code == 0; }
};

/// How RunProgram runs a program.
struct ProgramOptions {
  /// Set over this process's environment: each "NAME=value" sets NAME, a
  /// bare "NAME" removes it.
  QStringList environment;
  QByteArray input;            ///< its standard input
  QString working_dir;         ///< its working folder; empty for this process's own
  bool merge_outputs = false;  ///< standard error into `out` too, in the order written
  int timeout_ms = 120000;     ///< a run longer than this is killed
};

/// Runs `program` (looked up in PATH unless it holds a slash) to its end with
/// `args`, as `options` say; collects both outputs. This is the runner for
/// every test that runs a program to its end (a test that needs the live
/// process, to signal it or read its pid, keeps QProcess). It is started with
/// posix_spawn rather than QProcess, so that the tests of threaded code run
/// under ThreadSanitizer too (which cannot follow the clone QProcess makes).
ProgramRun RunProgram(const QString& program, const QStringList& args,
                      const ProgramOptions& options);

/// RunProgram with `environment` set over this process's, `input` on its
/// standard input, and `timeout_ms`.
ProgramRun RunProgram(const QString& program, const QStringList& args,
                      const QStringList& environment = {}, const QByteArray& input = {},
                      int timeout_ms = 120000);

}  // namespace quillon::test
