#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "core/batch/batch_job.h"
#include "core/session/wav_builder.h"
#include "tests/support/test_support.h"

namespace quillon::test {

/// A registry export as an administrator copies it from the voicemail
/// server (REGEDIT4, backslashes in strings doubled) holding "TUI Languages
/// Loaded" and "Root Path"; a null string leaves that value out. Slashes in
/// `root_path` are written as backslashes.
QByteArray VoicemailRegistryExport(const QString& languages, const QString& root_path);

/// A watcher of a batch job that records what it is told, and stops the job
/// once `stop_after` rows or prompts are done (never when negative).
class RecordingMonitor : public JobMonitor {
 public:
  void Started(qint64 total) override { totals.push_back(total); }
  void Progressed(qint64 done, qint64 failed) override {
    counts.push_back(done);
    failures.push_back(failed);
  }
  void Finished() override { ++finished; }
  bool StopRequested() override {
    return stop_after >= 0 && (stop_after == 0 || (!counts.empty() && counts.back() >= stop_after));
  }
  int started() const { return static_cast<int>(totals.size()); }

  std::vector<qint64> totals;    ///< the total of every Started
  std::vector<qint64> counts;    ///< `done` of every Progressed
  std::vector<qint64> failures;  ///< `failed` of every Progressed
  int finished = 0;
  qint64 stop_after = -1;
};

/// A scratch folder holding a program folder with the real wavcat and the
/// real clip set, and a builder on it (no tables) with recorded messages.
/// Each test gets fresh ones.
class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override;

  /// `relative` below the scratch folder.
  QString Path(const QString& relative) const;
  /// Writes a text file (folders created), in UTF-8.
  void WriteText(const QString& relative, const QString& text) const;
  /// Writes a stand-in recording: a small file with recognisable bytes.
  void WriteRecording(const QString& relative, const QByteArray& bytes) const;
  /// The lines of a log (CR LF ends), the empty string after the last end
  /// left out.
  static QStringList LogLines(const QString& path);

  QTemporaryDir scratch_;
  QString program_folder_;
  RecordingUi ui_;
  std::unique_ptr<WavBuilder> builder_;
};

}  // namespace quillon::test
