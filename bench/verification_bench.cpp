// What verifying a built prompt costs: 45.45 baud prompts of 200 and 5,000 characters,
// built by the real quillon-cli and wavcat from the real clip set, then received and
// compared again and again. Every verifying variant does the same work on the same
// samples: demodulate, frame, print and compare with the text sent. BM_BuildPrompt builds
// the same texts in the same folder, for scale.
//
//   verification_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only
//
// time_per_sample is the CPU cost of one 8 kHz sample; audio_s_per_s how many seconds of
// audio one CPU second verifies.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstring>
#include <map>
#include <memory>

#include "core/verification/verification.h"

// clang-format off
// spandsp's headers are C and rely on each other's declarations, in this order.
#include <spandsp/telephony.h>
#include <spandsp/async.h>
#include <spandsp/bit_operations.h>
#include <spandsp/fsk.h>
#include <spandsp/g711.h>
// clang-format on

namespace quillon {
namespace {

/// A prompt as built and the text it was built from.
struct Prompt {
  QString sent;
  std::vector<std::int16_t> samples;
};

std::vector<std::int16_t> ReadPlainPcm(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  if (bytes.size() < 44 || bytes.mid(36, 4) != "data") return {};
  std::vector<std::int16_t> samples(static_cast<size_t>((bytes.size() - 44) / 2));
  std::memcpy(samples.data(), bytes.constData() + 44, samples.size() * 2);
  return samples;
}

QString BenchText(int characters) {
  const QString phrase = QStringLiteral("CALL 555-1212 (EXT. 42) NOW? THANKS! ");
  QString text;
  while (text.size() < characters) text += phrase;
  return text.left(characters);
}

/// A scratch copy of the program folder (the clips, their description and wavcat), so that
/// the prompts built stay out of the build's folder. All benchmarks build in it.
class ScratchFolder {
 public:
  ScratchFolder() {
    QDirIterator clips(QStringLiteral(QUILLON_BENCH_PROGRAM_DIR),
                       {"*.wav", "wavcat", "clipset.ini"}, QDir::Files);
    while (clips.hasNext()) {
      const QFileInfo clip(clips.next());
      QFile::copy(clip.filePath(), dir_.filePath(clip.fileName()));
    }
  }

  /// Builds `text` into prompt.wav with the real quillon-cli; false when it fails.
  bool Build(const QString& text) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLON_HOME"), dir_.path());
    env.insert(QStringLiteral("QUILLON_REGISTRY"), dir_.filePath(QStringLiteral("registry.reg")));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(QUILLON_BENCH_PROGRAM_DIR "/quillon-cli"),
              {QStringLiteral("text"), QStringLiteral("--no-translate"), QStringLiteral("-o"),
               PromptPath(), QStringLiteral("--"), text});
    return cli.waitForFinished(600000) && cli.exitStatus() == QProcess::NormalExit &&
           cli.exitCode() == 0;
  }

  QString PromptPath() const { return dir_.filePath(QStringLiteral("prompt.wav")); }

 private:
  QTemporaryDir dir_;
};

ScratchFolder& Folder() {
  static ScratchFolder folder;
  return folder;
}

const Prompt& PromptOf(int characters) {
  static std::map<int, Prompt> prompts;
  auto it = prompts.find(characters);
  if (it == prompts.end()) {
    const QString text = BenchText(characters);
    Prompt prompt{text, {}};
    if (Folder().Build(text)) prompt.samples = ReadPlainPcm(Folder().PromptPath());
    it = prompts.emplace(characters, std::move(prompt)).first;
  }
  return it->second;
}

void Count(benchmark::State& state, size_t samples) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * samples));
  state.counters["time_per_sample"] = benchmark::Counter(
      static_cast<double>(samples),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["audio_s_per_s"] = benchmark::Counter(
      static_cast<double>(samples) / 8000.0, benchmark::Counter::kIsIterationInvariantRate);
}

bool CheckPrompt(benchmark::State& state, const Prompt& prompt) {
  if (!prompt.samples.empty()) return true;
  state.SkipWithError("the prompt could not be built");
  return false;
}

// The shipped configuration: spandsp's FSK receiver framing 5-bit characters itself,
// the whole prompt in one call.
void BM_VerifyFramed(benchmark::State& state) {
  const Prompt& prompt = PromptOf(static_cast<int>(state.range(0)));
  if (!CheckPrompt(state, prompt)) return;
  const TtySignal signal = NominalSignal(BaudRate::Baud45);
  for (auto _ : state) {
    Verification result;
    std::string err;
    Verify(prompt.samples, signal, prompt.sent, &result, &err);
    if (!result.ok()) state.SkipWithError("the prompt did not verify");
    benchmark::DoNotOptimize(result);
  }
  Count(state, prompt.samples.size());
}

// The same receiver fed 20 ms blocks, as a streaming caller would.
void BM_VerifyFramedSmallBlocks(benchmark::State& state) {
  const Prompt& prompt = PromptOf(static_cast<int>(state.range(0)));
  if (!CheckPrompt(state, prompt)) return;
  const TtySignal signal = NominalSignal(BaudRate::Baud45);
  const std::span<const std::int16_t> samples(prompt.samples);
  constexpr size_t kBlock = 160;
  for (auto _ : state) {
    std::string err;
    const std::unique_ptr<BaudotReceiver> receiver = BaudotReceiver::Create(signal, &err);
    for (size_t at = 0; at < samples.size(); at += kBlock)
      receiver->Receive(samples.subspan(at, std::min(kBlock, samples.size() - at)));
    const Verification result = CompareReception(prompt.sent, PrintBaudot(receiver->codes()));
    if (!result.ok()) state.SkipWithError("the prompt did not verify");
    benchmark::DoNotOptimize(result);
  }
  Count(state, prompt.samples.size());
}

// The alternative spandsp offers: the FSK receiver hands over every bit and spandsp's
// separate asynchronous receiver frames them.
void BM_VerifyBitsThroughAsyncRx(benchmark::State& state) {
  const Prompt& prompt = PromptOf(static_cast<int>(state.range(0)));
  if (!CheckPrompt(state, prompt)) return;
  fsk_spec_t modem{"TTY", 1800, 1400, 0, -30, 4545};
  for (auto _ : state) {
    std::vector<BaudotCode> codes;
    async_rx_state_t* framer = async_rx_init(
        nullptr, 5, ASYNC_PARITY_NONE, 1, 0,
        [](void* out, int byte) {
          if (byte >= 0) static_cast<std::vector<BaudotCode>*>(out)->push_back(byte & 0x1f);
        },
        &codes);
    fsk_rx_state_t* rx =
        fsk_rx_init(nullptr, &modem, FSK_FRAME_MODE_ASYNC, async_rx_put_bit, framer);
    fsk_rx(rx, prompt.samples.data(), static_cast<int>(prompt.samples.size()));
    fsk_rx_free(rx);
    async_rx_free(framer);
    const Verification result = CompareReception(prompt.sent, PrintBaudot(codes));
    if (!result.ok()) state.SkipWithError("the prompt did not verify through async_rx");
    benchmark::DoNotOptimize(result);
  }
  Count(state, prompt.samples.size());
}

// A mu-law clip set: the bytes expanded block by block inside the receiver.
void BM_VerifyMuLaw(benchmark::State& state) {
  const Prompt& prompt = PromptOf(static_cast<int>(state.range(0)));
  if (!CheckPrompt(state, prompt)) return;
  std::vector<std::uint8_t> mulaw(prompt.samples.size());
  for (size_t i = 0; i < mulaw.size(); ++i) mulaw[i] = linear_to_ulaw(prompt.samples[i]);
  const TtySignal signal = NominalSignal(BaudRate::Baud45);
  for (auto _ : state) {
    Verification result;
    std::string err;
    Verify(mulaw, wav::SampleFormat::MuLaw, signal, prompt.sent, &result, &err);
    if (!result.ok()) state.SkipWithError("the mu-law prompt did not verify");
    benchmark::DoNotOptimize(result);
  }
  Count(state, mulaw.size());
}

// For scale: building the same prompt with quillon-cli and wavcat, in the same folder.
// Most of this is in child processes, so only its wall time counts.
void BM_BuildPrompt(benchmark::State& state) {
  const QString text = BenchText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!Folder().Build(text)) state.SkipWithError("quillon-cli failed");
  }
}

// The part of verifying that is ours: printing the codes and comparing with the text.
void BM_PrintAndCompare(benchmark::State& state) {
  const Prompt& prompt = PromptOf(static_cast<int>(state.range(0)));
  if (!CheckPrompt(state, prompt)) return;
  std::vector<BaudotCode> codes;
  std::string err;
  ReceiveCodes(prompt.samples, NominalSignal(BaudRate::Baud45), &codes, &err);
  for (auto _ : state) {
    const Verification result = CompareReception(prompt.sent, PrintBaudot(codes));
    if (!result.ok()) state.SkipWithError("the prompt did not verify");
    benchmark::DoNotOptimize(result);
  }
  Count(state, prompt.samples.size());
}

BENCHMARK(BM_BuildPrompt)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VerifyFramed)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifyFramedSmallBlocks)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifyBitsThroughAsyncRx)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VerifyMuLaw)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrintAndCompare)->Arg(200)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillon

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
