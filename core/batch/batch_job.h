#pragma once

#include <QHash>
#include <QString>

#include "core/session/batch_log.h"
#include "core/synthesis/text_to_wav.h"

namespace quillon {

/// Whoever watches a batch job: the progress window, the command line's
/// progress line, a test. The job plans its prompts first and tells the
/// total; it then reports after every row or prompt, asks between prompts
/// whether to stop, and lets the watcher run while wavcat runs (a window
/// repaints and hears its Cancel there). Every member has a default that
/// does nothing, as a job that nobody watches needs.
class JobMonitor {
 public:
  virtual ~JobMonitor() = default;
  /// The log is open and the plan made: `total` rows or prompts will follow.
  virtual void Started(qint64 total) { (void)total; }
  /// `done` rows or prompts are over, `failed` of them not built.
  virtual void Progressed(qint64 done, qint64 failed) {
    (void)done;
    (void)failed;
  }
  /// The run is over and its log closed, however it ended.
  virtual void Finished() {}
  /// True once the job is to stop after the prompt in progress; then
  /// StopReason says why, for the log ("Cancelled", "Stopped by SIGINT").
  virtual bool StopRequested() { return false; }
  virtual QString StopReason() const { return QStringLiteral("Cancelled"); }
  /// Runs every few milliseconds while a prompt is joined.
  virtual void KeepAlive() {}
};

/// What a job came to, for its end message and the command line's status.
struct JobTally {
  qint64 total = 0;             ///< rows or prompts planned
  qint64 done = 0;              ///< rows or prompts handled before the end (or the stop)
  qint64 good = 0;              ///< built, or skipped by the dictionary
  qint64 built = 0;             ///< WAV files written
  qint64 verified = 0;          ///< prompts the receiver read back as sent
  bool stopped = false;         ///< the job was stopped before its end by its monitor
  bool aborted = false;         ///< the job could not go on (its input or its log failed)
  qint64 unreadable_files = 0;  ///< input files that could not be read (their prompts unknown)

  qint64 not_good() const { return done - good; }
  /// Every row or prompt was handled and each was built or skipped.
  bool all_good() const {
    return !stopped && !aborted && unreadable_files == 0 && done == total && good == done;
  }
};

/// The key under which a build meets an output: its folder as the file
/// system resolves it (links followed) and its name without regard to case,
/// since the build replaces a file whose name differs only in case. Folders
/// are resolved once each.
class OutputKeys {
 public:
  QString KeyOf(const QString& path);

 private:
  QHash<QString, QString> folders_;  // folder as written -> as resolved
};

/// Replaces the previous run's log at `path` with a new, empty one. An old
/// log that is read-only is not deleted (an unforced delete refuses it, as
/// on the voicemail server) and is then not opened either, so that no run
/// ever goes on without a log: false with `err` saying why, the old log left
/// as it was.
bool StartBatchLog(const QString& path, BatchLog* log, QString* err);

/// The log line that says a prompt was not built, for the outcomes that
/// built nothing (a failed construction, an empty text); empty for the
/// outcomes that leave nothing to report (built, or skipped by the
/// dictionary).
QString NotBuiltLine(BuildResult::Status status);

/// The log's last line of a stopped job: "Cancelled after 533 of 4000 rows;
/// 530 prompts were built." `unit` names what was counted ("rows",
/// "prompts").
QString StoppedLine(const QString& reason, const JobTally& tally, const QString& unit);

/// The question that ends a job in a window: "Done.  View log file now?"
/// when every row or prompt was built or skipped, otherwise one that names
/// what was not built or where the job was stopped ("3 of 120 prompts were not
/// built.  View log file now?").
QString ViewLogQuestion(const JobTally& tally, const QString& unit);

}  // namespace quillon
