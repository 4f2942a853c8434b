#include "core/verification/wav_check.h"

#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <thread>

#include "core/synthesis/character_inventory.h"
#include "core/verification/clip_set_reception.h"
#include "core/verification/verification.h"
#include "platform/file_system.h"

namespace quillon {
namespace {

// Below this many samples (two seconds) a prompt is received in one piece: a second
// thread would save less than it costs to start.
constexpr qint64 kShortestCut = 16000;
constexpr double kBlankClipBaud = 45.45;

QString Latin1(const char* text) {
  return QString::fromLatin1(text);
}

// The lead-in, by the same name the construction joins it under, from the first
// folder that holds it.
bool ReadLeadIn(const QStringList& folders, std::vector<std::int16_t>* samples, QString* err) {
  for (const QString& folder : folders) {
    const QString path = ResolveCaseInsensitive(JoinPath(folder, Latin1(kLeadingSilenceClip)));
    WavLayout layout;
    if (FileExists(path)) return ReadWavSamples(path, samples, &layout, err);
  }
  *err = Latin1(kLeadingSilenceClip) + QStringLiteral(" is missing");
  return false;
}

std::vector<BaudotCode> ReceiveAll(const TtySignal& signal, std::span<const std::int16_t> lead_in,
                                   std::span<const std::int16_t> samples) {
  std::string err;
  const std::unique_ptr<BaudotReceiver> receiver = BaudotReceiver::Create(signal, &err);
  receiver->Receive(lead_in);
  receiver->Receive(samples);
  return receiver->codes();
}

// The receiver reads a prompt this many samples at a time.
constexpr qint64 kReceiveBlock = 16384;

// Receives samples [begin, end) of the file after `lead_in`, a block at a time.
bool Receive(const TtySignal& signal, std::span<const std::int16_t> lead_in,
             const WavSampleReader& file, qint64 begin, qint64 end, std::vector<BaudotCode>* codes,
             QString* err) {
  std::string receiver_err;
  const std::unique_ptr<BaudotReceiver> receiver = BaudotReceiver::Create(signal, &receiver_err);
  receiver->Receive(lead_in);
  std::vector<std::int16_t> block(static_cast<size_t>(std::min(kReceiveBlock, end - begin)));
  for (qint64 at = begin; at < end; at += kReceiveBlock) {
    const std::span<std::int16_t> part =
        std::span(block).first(static_cast<size_t>(std::min(kReceiveBlock, end - at)));
    if (!file.Read(at, part, err)) return false;
    receiver->Receive(part);
  }
  *codes = receiver->codes();
  return true;
}

}  // namespace

TtySignal SignalForClipSet(const ClipSet& set) {
  TtySignal signal = NominalSignal(set.rate);
  if (set.mark_hz > 0) signal.mark_hz = set.mark_hz;
  if (set.space_hz > 0) signal.space_hz = set.space_hz;
  signal.sample_rate = set.sample_rate;
  return signal;
}

ClipDecodeStep ReceiverDecodeStep(const QString& lead_in_folder) {
  return [lead_in_folder](const ClipSet& set, const ClipUnderCheck& clip, QString* problem) {
    if (clip.code.empty()) return true;
    const std::optional<BaudotCode> code = ParseCode(clip.code);
    TtySignal signal = SignalForClipSet(set);
    if (!clip.at_set_rate) signal.baud = kBlankClipBaud;
    std::string err;
    QString read_err;
    std::vector<std::int16_t> lead_in;
    std::vector<std::int16_t> samples;
    WavLayout layout;
    if (!code || !CheckSignal(signal, &err)) {
      *problem = clip.name + QStringLiteral(" cannot be received: ") +
                 (code ? QString::fromStdString(err) : QStringLiteral("it has no code"));
      return false;
    }
    if (!ReadLeadIn({QFileInfo(clip.path).absolutePath(), lead_in_folder}, &lead_in, &read_err) ||
        !ReadWavSamples(clip.path, &samples, &layout, &read_err)) {
      *problem = clip.name + QStringLiteral(" cannot be received: ") + read_err;
      return false;
    }
    std::string name = "\"" + clip.name.toStdString() + "\"";
    if (*code == kBlankCode) name = "the blank";
    if (*code == kLtrsCode) name = "LTRS";
    if (*code == kFigsCode) name = "FIGS";
    if (ReceiveClip(lead_in, samples, signal, *code, name, &err)) return true;
    *problem = clip.name + QStringLiteral(": the receiver heard it wrong: it ") +
               QString::fromStdString(err);
    return false;
  };
}

qint64 FindCut(const QString& sent, qint64 total_samples,
               const std::function<qint64(const QString& clip)>& clip_samples) {
  if (total_samples < kShortestCut) return 0;
  // The same walk as the construction's: a shift clip at each change of table, the
  // character's clip, nothing for the characters it drops.
  const QList<uint> text = sent.toUcs4();
  qint64 at = clip_samples(Latin1(kLeadingSilenceClip));
  qint64 cut = 0;
  Shift shift = Shift::Unknown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    // A cut next to a blank would leave a receiver a frame without stop bits to find
    // the next start bit after; the cut goes before the next character instead.
    if (cut == 0 && at >= total_samples / 2 && c != U'~' && i > 0 && text[i - 1] != U'~') cut = at;
    if (IsLettersSetChar(c)) {
      if (shift != Shift::Letters) at += clip_samples(Latin1(kLtrsClip));
      shift = Shift::Letters;
    } else if (c == U'~') {
      shift = Shift::Unknown;
    } else {
      if (shift != Shift::Figures) at += clip_samples(Latin1(kFigsClip));
      shift = Shift::Figures;
    }
    const CharOutcome outcome = LookupCharClip(c);
    if (outcome.kind == CharOutcome::Kind::Clip) at += clip_samples(outcome.clip);
  }
  if (!text.isEmpty() && !IsLettersSetChar(text.last()))
    at += clip_samples(Latin1(kClosingLtrsClip));
  // What follows is whole silences; anything else means the file is not what this walk
  // thinks it is, and it is received in one piece.
  const qint64 silence = clip_samples(Latin1(kTrailingSilenceClip));
  const qint64 rest = total_samples - at;
  if (rest < 0 || (rest > 0 && (silence <= 0 || rest % silence != 0))) return 0;
  return cut;
}

ReceiverWavCheck::ReceiverWavCheck(ClipSet set, QString program_folder)
    : set_(set), program_folder_(std::move(program_folder)) {}

ReceiverWavCheck::~ReceiverWavCheck() {
  FinishExpected();
}

const std::vector<std::int16_t>* ReceiverWavCheck::ClipData(const QString& clip) {
  const QString key = clip.toLower();
  const auto known = clip_data_.constFind(key);
  if (known != clip_data_.constEnd()) return &*known;
  WavSampleReader file;
  QString err;
  if (!file.Open(ResolveCaseInsensitive(JoinPath(program_folder_, clip)), &err) ||
      file.layout().Format() != set_.format || file.layout().sample_rate != set_.sample_rate)
    return nullptr;
  std::vector<std::int16_t> samples(static_cast<size_t>(file.samples()));
  if (!file.Read(0, samples, &err)) return nullptr;
  return &*clip_data_.emplace(key, std::move(samples));
}

void ReceiverWavCheck::FinishExpected() {
  if (!expected_) return;
  for (std::thread& receiver : expected_->receivers) receiver.join();
  expected_->receivers.clear();
}

void ReceiverWavCheck::Expect(const QStringList& clips, const QString& sent_text) {
  FinishExpected();
  expected_.reset();
  const TtySignal signal = SignalForClipSet(set_);
  std::string err;
  if (!CheckSignal(signal, &err)) return;
  // Every clip is read (once for the check's life) before any is copied: a
  // clip that cannot be read as one of the set's leaves the check to the file
  // alone, and the prompt's samples are gathered in one buffer of the right
  // size, the last prompt's when it is big enough.
  size_t length = 0;
  for (const QString& clip : clips) {
    const std::vector<std::int16_t>* data = ClipData(clip);
    if (!data) return;
    length += data->size();
  }
  auto expected = std::make_unique<Expected>();
  expected->sent = sent_text;
  expected->samples = std::move(spare_samples_);
  expected->samples.clear();
  expected->samples.reserve(length);
  for (const QString& clip : clips) {
    const std::vector<std::int16_t>* data = ClipData(clip);
    expected->samples.insert(expected->samples.end(), data->begin(), data->end());
  }
  const auto total = static_cast<qint64>(expected->samples.size());
  // The clips' lengths are those of the samples just read.
  qint64 cut = FindCut(sent_text, total, [this](const QString& clip) {
    const std::vector<std::int16_t>* data = ClipData(clip);
    return data ? static_cast<qint64>(data->size()) : qint64{-1};
  });
  const std::vector<std::int16_t>* lead_in = cut > 0 ? LeadIn() : nullptr;
  if (!lead_in) cut = 0;
  Expected* pending = expected.get();
  const std::span<const std::int16_t> all(pending->samples);
  if (cut > 0) {
    const qint64 first_end = std::min(total, cut + std::max(1, set_.bit_samples / 2));
    pending->cut = true;
    pending->receivers.emplace_back([pending, signal, all, first_end] {
      pending->codes = ReceiveAll(signal, {}, all.first(static_cast<size_t>(first_end)));
    });
    pending->receivers.emplace_back([pending, signal, all, cut, lead_in] {
      pending->second_codes = ReceiveAll(signal, *lead_in, all.subspan(static_cast<size_t>(cut)));
    });
  } else {
    pending->receivers.emplace_back(
        [pending, signal, all] { pending->codes = ReceiveAll(signal, {}, all); });
  }
  expected_ = std::move(expected);
}

// Holds the file to the samples the receivers heard: the set's format, the same
// number of samples, each the same.
bool ReceiverWavCheck::CheckExpected(const QString& wav_path, QString* problem) {
  WavSampleReader file;
  QString err;
  const QString failed = QStringLiteral("Verification failed: ");
  if (!file.Open(wav_path, &err)) {
    *problem = failed + QStringLiteral("the WAV file cannot be read back: ") + err;
    return false;
  }
  if (file.layout().Format() != set_.format || file.layout().sample_rate != set_.sample_rate) {
    *problem = failed + QStringLiteral("the WAV file is ") + file.layout().Describe() +
               QStringLiteral(", not ") + set_.DescribeFormat() +
               QStringLiteral(" like the clips it was joined from");
    return false;
  }
  const std::vector<std::int16_t>& samples = expected_->samples;
  const auto total = static_cast<qint64>(samples.size());
  if (file.samples() != total) {
    *problem = failed + QStringLiteral("the WAV file holds ") + QString::number(file.samples()) +
               QStringLiteral(" samples, not the ") + QString::number(total) +
               QStringLiteral(" of the clips it was joined from");
    return false;
  }
  std::vector<std::int16_t> block(static_cast<size_t>(std::min(kReceiveBlock, total)));
  for (qint64 at = 0; at < total; at += kReceiveBlock) {
    const auto n = static_cast<size_t>(std::min(kReceiveBlock, total - at));
    const std::span<std::int16_t> part = std::span(block).first(n);
    if (!file.Read(at, part, &err)) {
      *problem = failed + QStringLiteral("the WAV file cannot be read back: ") + err;
      return false;
    }
    const auto from = samples.begin() + at;
    const auto differs = std::mismatch(part.begin(), part.end(), from).first;
    if (differs != part.end()) {
      *problem = failed +
                 QStringLiteral(
                     "the WAV file differs from the clips it was joined "
                     "from at sample ") +
                 QString::number(at + (differs - part.begin()));
      return false;
    }
  }
  return true;
}

qint64 ReceiverWavCheck::ClipSamples(const QString& clip) {
  const QString key = clip.toLower();
  const auto known = clip_samples_.constFind(key);
  if (known != clip_samples_.constEnd()) return *known;
  WavLayout layout;
  QString err;
  const qint64 samples =
      ReadWavLayout(ResolveCaseInsensitive(JoinPath(program_folder_, clip)), &layout, &err)
          ? layout.Samples()
          : -1;
  clip_samples_.insert(key, samples);
  return samples;
}

const std::vector<std::int16_t>* ReceiverWavCheck::LeadIn() {
  if (!lead_in_) {
    QString err;
    lead_in_.emplace();
    if (!ReadLeadIn({program_folder_}, &*lead_in_, &err)) lead_in_->clear();
  }
  return lead_in_->empty() ? nullptr : &*lead_in_;
}

bool ReceiverWavCheck::Check(const QString& wav_path, const QString& sent_text, QString* line,
                             QString* problem) {
  last_reception_.clear();
  last_cut_ = false;
  const TtySignal signal = SignalForClipSet(set_);
  std::string err;
  if (!CheckSignal(signal, &err)) {
    // Not a fault of the prompt: the receiver cannot hear this set at all.
    *line = QStringLiteral("Not verified: the receiver cannot hear this clip set: ") +
            QString::fromStdString(err);
    return true;
  }
  if (expected_ && expected_->sent == sent_text) {
    FinishExpected();
    const bool same = CheckExpected(wav_path, problem);
    std::vector<BaudotCode> codes = std::move(expected_->codes);
    codes.insert(codes.end(), expected_->second_codes.begin(), expected_->second_codes.end());
    last_cut_ = expected_->cut;
    spare_samples_ = std::move(expected_->samples);
    expected_.reset();
    if (!same) return false;
    return Conclude(sent_text, codes, line, problem);
  }
  FinishExpected();
  expected_.reset();
  WavSampleReader file;
  QString read_err;
  if (!file.Open(wav_path, &read_err)) {
    *problem = QStringLiteral("Verification failed: the WAV file cannot be read back: ") + read_err;
    return false;
  }
  const qint64 total = file.samples();
  qint64 cut = FindCut(sent_text, total, [this](const QString& clip) { return ClipSamples(clip); });
  const std::vector<std::int16_t>* lead_in = cut > 0 ? LeadIn() : nullptr;
  if (!lead_in) cut = 0;

  std::vector<BaudotCode> codes;
  bool read = true;
  if (cut > 0) {
    // The first receiver hears half a bit past the cut, too little to complete a frame,
    // so that the frame before the cut ends with the line still in mark.
    const qint64 first_end = std::min(total, cut + std::max(1, set_.bit_samples / 2));
    std::vector<BaudotCode> second;
    QString second_err;
    bool second_read = true;
    std::thread later(
        [&] { second_read = Receive(signal, *lead_in, file, cut, total, &second, &second_err); });
    read = Receive(signal, {}, file, 0, first_end, &codes, &read_err);
    later.join();
    if (read && !second_read) read_err = second_err;
    read = read && second_read;
    codes.insert(codes.end(), second.begin(), second.end());
    last_cut_ = true;
  } else {
    read = Receive(signal, {}, file, 0, total, &codes, &read_err);
  }
  if (!read) {
    *problem = QStringLiteral("Verification failed: the WAV file cannot be read back: ") + read_err;
    return false;
  }
  return Conclude(sent_text, codes, line, problem);
}

bool ReceiverWavCheck::Conclude(const QString& sent_text, const std::vector<BaudotCode>& codes,
                                QString* line, QString* problem) {
  last_reception_ = PrintBaudot(codes);
  const Verification verification = CompareReception(sent_text, last_reception_);
  if (!verification.ok()) {
    *problem = QStringLiteral("Verification failed: ") + DescribeDifference(verification);
    return false;
  }
  *line = QStringLiteral("Verified: the receiver read back the ") +
          QString::number(verification.expected.size()) + QStringLiteral(" characters sent");
  return true;
}

}  // namespace quillon
