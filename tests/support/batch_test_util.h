#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "core/session/main_state.h"
#include "tests/support/test_support.h"

namespace quillon::test {

/// A registry export as an administrator copies it from the voicemail
/// server (REGEDIT4, backslashes in strings doubled) holding "TUI Languages
/// Loaded" and "Root Path"; a null string leaves that value out. Slashes in
/// `root_path` are written as backslashes.
QByteArray VoicemailRegistryExport(const QString& languages, const QString& root_path);

/// A scratch folder holding a program folder with the real wavcat and the
/// real clip set, and the main window state on it with recorded messages.
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
  std::unique_ptr<MainState> state_;
};

}  // namespace quillon::test
