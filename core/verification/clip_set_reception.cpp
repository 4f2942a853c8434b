#include "core/verification/clip_set_reception.h"

#include <QString>
#include <memory>

#include "core/synthesis/alphabet.h"
#include "core/synthesis/character_inventory.h"

namespace quillon {
namespace {

constexpr double kBlankClipBaud = 45.45;

/// A clip and the one code it must be received as.
struct ExpectedClip {
  std::string clip;
  BaudotCode code = 0;
  std::string name;  ///< what the code stands for, for the fault line
  bool at_blank_rate = false;
};

std::string Codes(const std::vector<BaudotCode>& codes) {
  if (codes.empty()) return "nothing";
  std::string text;
  for (BaudotCode code : codes) text += (text.empty() ? "" : " ") + FormatCode(code);
  return text;
}

bool Listed(const std::vector<ExpectedClip>& clips, const QString& clip) {
  for (const ExpectedClip& entry : clips)
    if (clip.compare(QString::fromStdString(entry.clip), Qt::CaseInsensitive) == 0) return true;
  return false;
}

// The clips to check, from the inventory's printable ASCII characters, then the shifts
// under the names the alphabet construction writes them, and the blank. A character whose clip has
// no code in the alphabet table is a fault of the tables themselves and is reported as such.
std::vector<ExpectedClip> ExpectedClips(std::vector<ClipFault>* faults) {
  std::vector<ExpectedClip> clips;
  for (char32_t c = U' '; c <= U'~'; ++c) {
    const CharOutcome outcome = LookupCharClip(c);
    if (outcome.kind != CharOutcome::Kind::Clip || Listed(clips, outcome.clip)) continue;
    if (outcome.clip.compare(QString::fromLatin1(kBlankClip), Qt::CaseInsensitive) == 0) continue;
    const std::optional<CharCode> code = CodeForChar(c);
    if (!code) {
      faults->push_back({outcome.clip.toStdString(), "has no code in the alphabet table"});
      continue;
    }
    const char32_t printed = CharForCode(code->code, code->shift);
    clips.push_back({outcome.clip.toStdString(), code->code,
                     "\"" + QString::fromUcs4(&printed, 1).toStdString() + "\"", false});
  }
  for (const AlphabetRow& row : kAlphabet) {
    const std::optional<BaudotCode> code = ParseCode(row.code);
    if (code == kLtrsCode) clips.push_back({std::string(row.clip), kLtrsCode, "LTRS", false});
    if (code == kFigsCode) clips.push_back({std::string(row.clip), kFigsCode, "FIGS", false});
  }
  clips.push_back({kBlankClip, kBlankCode, "the blank", true});
  return clips;
}

}  // namespace

bool ReceiveClipSet(const ClipReader& read, const TtySignal& signal, std::vector<ClipFault>* faults,
                    std::string* err) {
  TtySignal blank_signal = signal;
  blank_signal.baud = kBlankClipBaud;
  if (!CheckSignal(signal, err) || !CheckSignal(blank_signal, err)) return false;
  std::vector<std::int16_t> lead_in;
  std::string read_err;
  if (!read(kLeadingSilenceClip, &lead_in, &read_err)) {
    *err = std::string(kLeadingSilenceClip) + " cannot be read: " + read_err;
    return false;
  }

  faults->clear();
  std::vector<std::int16_t> samples;
  for (const ExpectedClip& expected : ExpectedClips(faults)) {
    samples.clear();
    if (!read(expected.clip, &samples, &read_err)) {
      faults->push_back({expected.clip, "cannot be read: " + read_err});
      continue;
    }
    std::string problem;
    if (!ReceiveClip(lead_in, samples, expected.at_blank_rate ? blank_signal : signal,
                     expected.code, expected.name, &problem))
      faults->push_back({expected.clip, problem});
  }
  return true;
}

bool ReceiveClip(std::span<const std::int16_t> lead_in, std::span<const std::int16_t> clip,
                 const TtySignal& signal, BaudotCode expected, const std::string& name,
                 std::string* problem) {
  std::string err;
  const std::unique_ptr<BaudotReceiver> receiver = BaudotReceiver::Create(signal, &err);
  if (!receiver) {
    *problem = err;
    return false;
  }
  receiver->Receive(lead_in);
  receiver->Receive(clip);
  if (receiver->codes() == std::vector<BaudotCode>{expected}) return true;
  *problem =
      "sends " + name + " as " + FormatCode(expected) + ", received " + Codes(receiver->codes());
  return false;
}

}  // namespace quillon
