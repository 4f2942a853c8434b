#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "core/common/report.h"
#include "core/session/batch_log.h"
#include "core/synthesis/clip_set.h"
#include "core/synthesis/clip_set_check.h"
#include "core/synthesis/text_to_wav.h"
#include "core/verification/wav_check.h"
#include "platform/file_lock.h"
#include "platform/file_system.h"

namespace quillon {

class BuildSession;

/// Builds TTY WAV files from requests for one front end (the main window, a
/// command, a batch job). It knows the program folder, the translation tables
/// and whether every built WAV is read back by the receiver; it never speaks
/// to the person in front of the program.
///
/// Nothing is built from a clip set that fails its check: every build, or
/// every job, begins by opening a BuildSession, which checks the set and holds
/// it until the session ends.
class WavBuilder {
 public:
  /// `translation` must outlive the builder; null: no tables.
  explicit WavBuilder(QString program_folder, TranslationStage* translation = nullptr);

  /// What a session is for.
  enum class Scope {
    OneBuild,  ///< one WAV: the set's clips are checked, each build read back on its own
    Job        ///< many WAVs: with verification on the receiver hears every clip first,
               ///< and one receiver and one reading of each output folder serve them all
  };

  /// Checks the clip set and holds it for a session; null with `refusal`
  /// (the message for the user) when nothing can be built from it.
  std::unique_ptr<BuildSession> Open(Scope scope, QString* refusal) const;

  /// One build from start to end: a session of its own, then the build. A set
  /// that fails its check gives Status::Refused with the refusal in `errors`,
  /// and nothing is reported. `idle` runs while wavcat runs.
  BuildResult BuildOne(const BuildRequest& request, DiagnosticOutput& report,
                       std::function<void()> idle = {}) const;

  /// Checks the program folder's clip set, with the decode step when one is
  /// plugged in.
  ClipSetCheck CheckClipSet() const;
  /// A further check of every clip (a receiver); empty: none beyond what the
  /// session's scope asks.
  void SetClipDecodeStep(ClipDecodeStep step) { decode_ = std::move(step); }
  /// The files Quillon reads besides its program folder (the dictionary, the
  /// character table, the registry file): no build ever writes over them.
  void SetReadFiles(const QStringList& files) { read_files_ = files; }
  /// Turns the reading back of every built WAV on or off (on by default).
  void SetVerify(bool verify) { verify_ = verify; }
  bool verify() const { return verify_; }
  const QString& program_folder() const { return program_folder_; }

 private:
  QString program_folder_;
  TranslationStage* translation_;
  ClipDecodeStep decode_;
  bool verify_ = true;
  QStringList read_files_;
};

/// The clip set held for one build or one job: checked when the session
/// opened, locked (shared) until it ends, so that an alphabet rebuild never
/// changes the set between two prompts of a job or under a build.
class BuildSession {
 public:
  BuildSession(const BuildSession&) = delete;
  BuildSession& operator=(const BuildSession&) = delete;
  ~BuildSession();

  /// Builds one WAV from the held set (see TextToWav::Build).
  BuildResult Build(const BuildRequest& request, DiagnosticOutput& report);

  /// Runs while wavcat runs; empty: nothing.
  void SetIdle(std::function<void()> idle) { environment_.idle = std::move(idle); }
  /// Files the running job reads or writes (its log, its inputs), which no
  /// output may replace, besides those the builder reads.
  void SetProtectedFiles(const QStringList& files) {
    environment_.protected_files = read_files_ + files;
  }
  /// A file found without regard to case, as a build would find its output.
  QString Resolve(const QString& path);
  /// Notes a file that the job made other than by a build (a copy).
  void NoteFile(const QString& path);
  const ClipSet& clip_set() const { return set_; }
  bool verify() const { return verify_; }

 private:
  friend class WavBuilder;
  BuildSession() = default;

  FileLock batch_lock_;  // a job's hold that keeps alphabet builds away
  FileLock lock_;
  ClipSet set_;
  bool verify_ = true;
  bool job_ = false;
  QStringList read_files_;
  BuildEnvironment environment_;
  std::unique_ptr<ReceiverWavCheck> job_check_;  // one receiver for every build of a job
  std::unique_ptr<FolderNames> names_;           // a job's reading of its output folders
  QSet<QString> swept_;                          // a job's output folders cleared of leftovers
};

/// Report lines into an open batch log, each behind four blanks, as a job's
/// builds report.
class BatchLogReport : public DiagnosticOutput {
 public:
  explicit BatchLogReport(BatchLog& log) : log_(log) {}
  void WriteLine(const QString& line) override;

 private:
  BatchLog& log_;
};

}  // namespace quillon
