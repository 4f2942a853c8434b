#pragma once

#include <QElapsedTimer>
#include <QString>

#include "core/batch/batch_job.h"

namespace quillon::cli {

/// How a batch job is watched from a terminal. While it lives, SIGINT and
/// SIGTERM do not end the process: they stop the job after the prompt in
/// progress (a second one of them ends it at once, as usual), so that the log
/// is closed properly and nothing is left half-built. On a terminal it keeps
/// one progress line on standard error (done/total, failed so far, time
/// left), and nothing when standard error is not a terminal or when quiet.
class TerminalMonitor : public JobMonitor {
 public:
  /// `unit` names what is counted ("rows", "prompts").
  TerminalMonitor(QString unit, bool quiet);
  ~TerminalMonitor() override;
  TerminalMonitor(const TerminalMonitor&) = delete;
  TerminalMonitor& operator=(const TerminalMonitor&) = delete;

  void Started(qint64 total) override;
  void Progressed(qint64 done, qint64 failed) override;
  void Finished() override;
  bool StopRequested() override;
  QString StopReason() const override;

  /// The exit status of a job a signal stopped: 128 + the signal (130 for
  /// SIGINT, 143 for SIGTERM); 0 when no signal came.
  int SignalExitStatus() const;

  /// The progress line for `done` of `total` with `failed` not built, after
  /// `elapsed_ms`: "533/4000 rows, 3 not built, about 1 min 23 s left".
  static QString ProgressLine(const QString& unit, qint64 done, qint64 total, qint64 failed,
                              qint64 elapsed_ms);

 private:
  void Show(const QString& line);

  QString unit_;
  bool show_ = false;  // a progress line is kept on the terminal
  qint64 total_ = 0;
  QElapsedTimer clock_;
  qint64 last_shown_ms_ = -1;
  bool line_shown_ = false;
};

}  // namespace quillon::cli
