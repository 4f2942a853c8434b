#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/synthesis/clip_set.h"
#include "core/synthesis/clip_set_check.h"
#include "core/synthesis/text_to_wav.h"
#include "core/verification/receiver.h"

namespace quillon {

/// The signal a clip set sends: its rate, its tones as measured when it was built (the
/// nominal tones when the description has none) and its sample rate.
TtySignal SignalForClipSet(const ClipSet& set);

/// The receiver as a step of the clip set check (CheckClipSet in core/synthesis/clip_set_check.h):
/// every clip with a code is received after the lead-in "smallsilence.wav" and must give exactly
/// its code, so that a clip copied over another's is caught. The lead-in is taken from the clip's
/// own folder, or else from `lead_in_folder` (the set in place, under a new set being staged).
/// Silences have no code and pass.
ClipDecodeStep ReceiverDecodeStep(const QString& lead_in_folder);

/// Where a built prompt may be cut for two receivers: the sample at which the character
/// the cut falls before starts, or 0 when the prompt is too short to be worth cutting or
/// its length does not match what the construction joins for `sent` (and so cannot be
/// cut knowingly). `clip_samples` gives each clip's length by its name.
qint64 FindCut(const QString& sent, qint64 total_samples,
               const std::function<qint64(const QString& clip)>& clip_samples);

/// Reads a built prompt back with the receiver at the clip set's signal and compares it
/// with the text sent (ExpectedReception). A long prompt is received as two halves on
/// two threads, cut where a character starts (FindCut); the second half is preceded by
/// the lead-in so that its receiver finds the carrier first, and the codes of both are
/// printed as one reception, so the result is that of one receiver.
///
/// A prompt announced by Expect is received from its clips on other threads while wavcat
/// joins them; Check then holds the file to those very samples (any sample that differs,
/// or a length or format that does not match, fails it), so that what the receiver heard
/// is what the file holds.
class ReceiverWavCheck : public BuiltWavCheck {
 public:
  ReceiverWavCheck(ClipSet set, QString program_folder);
  ~ReceiverWavCheck() override;
  ReceiverWavCheck(const ReceiverWavCheck&) = delete;
  ReceiverWavCheck& operator=(const ReceiverWavCheck&) = delete;

  bool Check(const QString& wav_path, const QString& sent_text, QString* line,
             QString* problem) override;
  void Expect(const QStringList& clips, const QString& sent_text) override;

  /// What the receiver printed for the last file checked.
  const QString& last_reception() const { return last_reception_; }
  /// Whether the last file was received in two halves.
  bool last_cut() const { return last_cut_; }

 private:
  /// A prompt received from its clips ahead of Check.
  struct Expected {
    QString sent;
    std::vector<std::int16_t> samples;
    std::vector<BaudotCode> codes;         // the first (or only) receiver's
    std::vector<BaudotCode> second_codes;  // the second half's, when cut
    bool cut = false;
    std::vector<std::thread> receivers;
  };

  qint64 ClipSamples(const QString& clip);
  const std::vector<std::int16_t>* LeadIn();
  const std::vector<std::int16_t>* ClipData(const QString& clip);
  void FinishExpected();
  bool CheckExpected(const QString& wav_path, QString* problem);
  bool Conclude(const QString& sent_text, const std::vector<BaudotCode>& codes, QString* line,
                QString* problem);

  ClipSet set_;
  QString program_folder_;
  QHash<QString, qint64> clip_samples_;                  // by clip name, read once
  std::optional<std::vector<std::int16_t>> lead_in_;     // read once; empty when unreadable
  QHash<QString, std::vector<std::int16_t>> clip_data_;  // by clip name, read once
  std::unique_ptr<Expected> expected_;
  std::vector<std::int16_t> spare_samples_;  // the last prompt's buffer, for the next
  QString last_reception_;
  bool last_cut_ = false;
};

}  // namespace quillon
