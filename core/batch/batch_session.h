#pragma once

#include <QString>
#include <functional>

#include "core/session/batch_log.h"
#include "core/session/main_state.h"

namespace quillon {

/// What a batch window does around a run so that the user sees it work:
/// `started` once the log is open (hourglass, progress window shown),
/// `counted` after every row or prompt with the running count, `finished`
/// once the log is closed. An empty function does nothing, as on the command
/// line.
struct BatchProgress {
  std::function<void()> started;
  std::function<void(qint64)> counted;
  std::function<void()> finished;

  void Started() const {
    if (started) started();
  }
  void Counted(qint64 count) const {
    if (counted) counted(count);
  }
  void Finished() const {
    if (finished) finished();
  }
};

/// Replaces the previous run's log at `path` with a new, empty one. An old
/// log that is read-only is not deleted (an unforced delete refuses it, as
/// on the voicemail server) and is then not opened either, so that no run
/// ever goes on without a log: false with `err` saying why, the old log left
/// as it was.
bool StartBatchLog(const QString& path, BatchLog* log, QString* err);

/// The time a batch drives the main window: while it lives, the batch flag
/// is set and the construction reports into `log`, with no pane output, no
/// clipboard copy and no "Done." box; both are cleared again when it ends,
/// however the run ends.
class BatchModeScope {
 public:
  /// `inputs` are the files the batch reads, which no prompt may replace.
  BatchModeScope(MainState& state, BatchLog& log, const QStringList& inputs = {});
  ~BatchModeScope();
  BatchModeScope(const BatchModeScope&) = delete;
  BatchModeScope& operator=(const BatchModeScope&) = delete;

 private:
  MainState& state_;
};

/// Hands one prompt to the main window's construction, as a batch does: the
/// two text boxes are set (the window shows them) and "Create WAV File" runs.
ConstructionResult BuildPrompt(MainState& state, const QString& text, const QString& output_path);

/// The log line that says a prompt was not built, for the outcomes that
/// built nothing (a failed construction, an empty text); empty for the
/// outcomes that leave nothing to report (built, or skipped by the
/// dictionary).
QString NotBuiltLine(ConstructionResult::Status status);

}  // namespace quillon
