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

/// Runs `program` (looked up in PATH unless it holds a slash) to its end with
/// `args`, `input` on its standard input, and this process's environment
/// with each "NAME=value" of `environment` set over it; collects both outputs.
/// It is started with posix_spawn rather than QProcess, so that the tests of
/// threaded code run under ThreadSanitizer too (which cannot follow the
/// clone QProcess makes). A run longer than `timeout_ms` is killed.
ProgramRun RunProgram(const QString& program, const QStringList& args,
                      const QStringList& environment = {}, const QByteArray& input = {},
                      int timeout_ms = 120000);

}  // namespace quillon::test
