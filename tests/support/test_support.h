#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <vector>

#include "core/common/report.h"
#include "core/common/user_interface.h"
#include "tests/support/test_base.h"

namespace quillon::test {

/// Message boxes for tests: every message is recorded, every question gets
/// the next scripted answer (No when the script has run out).
class RecordingUi : public UserInterface {
 public:
  void ShowMessage(const QString& text, const QString& title = kProgramTitle) override;
  Answer Ask(const QString& text, const QString& title = kProgramTitle) override;
  void SetBusy(bool busy) override;

  QStringList messages;            ///< texts of message boxes and questions, in order
  QStringList titles;              ///< their titles
  std::vector<Answer> answers;     ///< answers to give, front first
  std::vector<bool> busy_changes;  ///< every SetBusy call
};

/// The diagnostic pane for tests: the lines it holds now.
class RecordingPane : public DiagnosticPane {
 public:
  void Clear() override {
    lines.clear();
    ++clears;
  }
  void AppendLine(const QString& line) override { lines.append(line); }
  QStringList lines;
  int clears = 0;
};

/// The folder where the build put the real programs and the clip set.
QString BuiltProgramFolder();

/// Writes `wavcat` into `folder` as a stand-in that records each run's
/// arguments in folder/wavcat.log and writes a small file at its last
/// argument. With `exit_status` not 0 it writes nothing, says `message` on
/// standard error and exits with that status.
void InstallRecordingWavcat(const QString& folder, int exit_status = 0,
                            const QString& message = QString());

/// Writes `wavcat` into `folder` as a script that records each run as
/// InstallRecordingWavcat does and then hands it to the real wavcat.
void InstallRecordingRealWavcat(const QString& folder);

/// Copies the built clip set (every *.wav and its description, clipset.ini)
/// into `folder`, so that a construction there passes the clip set check.
void InstallBuiltClipSet(const QString& folder);

/// The runs the recording stand-in saw, each as its list of arguments.
std::vector<QStringList> RecordedRuns(const QString& folder);

/// Copies the built program folder's wavcat, clip generator, clips (*.wav),
/// the clip set's description and tables (*.txt) into `folder`.
void CopyBuiltProgramFolder(const QString& folder);

/// Decodes a TTY WAV with minimodem at the given rate ("45.45", "50", "75",
/// "110"); returns the text it heard, with surrounding whitespace removed.
QString DecodeWithMinimodem(const QString& wav_path, const QString& rate = QStringLiteral("45.45"));

}  // namespace quillon::test
