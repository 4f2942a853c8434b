// line_bench: how much line noise a TTY prompt built by Quillon survives on telephone line
// models, beside minimodem's transmitter and spandsp's own transmitter sending the same text
// at the same rate and sample rate, each heard by spandsp's receivers and by minimodem.
//
//   line_bench [--seeds N] [--threads N] [--receivers spandsp,minimodem] [--clocks 0,1,-1]
//              [--lines flat,Proakis,AD-5/EDD-2,AD-9/EDD-3] --text TEXT RATE=PROMPT.wav...
//
// RATE is 45.45, 50, 75 or 110; PROMPT.wav the prompt Quillon built for TEXT at that rate
// (8 kHz 16-bit PCM). See README.md beside this file for the model and the figures.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "bench/line_model.h"

// clang-format off
// spandsp's headers are C and rely on each other's declarations, in this order.
#include <spandsp/telephony.h>
#include <spandsp/async.h>
#include <spandsp/fsk.h>
#include <spandsp/logging.h>
#include <spandsp/v18.h>
// clang-format on

extern char** environ;

namespace quillon::bench {
namespace {

// The receivers' print tables, as spandsp's V.18 receiver prints (no unshift on space).
constexpr char kLetters[] = "\bE\nA SIU\rDRJNFCKTZLWHYPQOBG^MXV^";
constexpr char kFigures[] = "\b3\n- -87\r$4',!:(5\")2=6019?+^./;^";
constexpr int kLtrs = 31;
constexpr int kFigs = 27;
constexpr int kSpace = 4;
constexpr double kSendLevelDbm0 = -10.0;
constexpr double kLeadSilence = 0.2;  // seconds before the transmitters that have none
constexpr double kTailSilence = 0.3;  // seconds after every signal
constexpr double kTopSnr = 20.0;      // the sweep starts here; a signal failing here never passes
constexpr double kBottomSnr = -20.0;

enum class Transmitter { Quillon, Minimodem, Spandsp };
enum class Receiver { Spandsp, Minimodem };
const char* Name(Receiver r) {
  return r == Receiver::Spandsp ? "spandsp" : "minimodem";
}

std::string BaudText(double baud) {
  char text[16];
  std::snprintf(text, sizeof text, "%g", baud);
  return text;
}

int SpandspBaud(double baud) {
  return static_cast<int>(std::lround(baud * 100));
}

// --- Baudot --------------------------------------------------------------------------

/// The codes a V.18 transmitter sends for `text`: an opening LTRS, a shift wherever the
/// case changes, the space in either case.
std::vector<int> Encode(const std::string& text) {
  std::vector<int> codes{kLtrs};
  int shift = kLtrs;
  for (char c : text) {
    if (c == ' ') {
      codes.push_back(kSpace);
      continue;
    }
    int code = -1;
    int wanted = kLtrs;
    for (int i = 0; i < 32 && code < 0; ++i) {
      if (i == kLtrs || i == kFigs) continue;
      if (kLetters[i] == c) code = i;
      if (code < 0 && kFigures[i] == c) {
        code = i;
        wanted = kFigs;
      }
    }
    if (code < 0) continue;
    if (wanted != shift) codes.push_back(shift = wanted);
    codes.push_back(code);
  }
  return codes;
}

struct Printer {
  bool figures = false;
  std::string text;
  void Put(int code) {
    if (code == kLtrs)
      figures = false;
    else if (code == kFigs)
      figures = true;
    else if (code > 0 && code != 2 && code != 8)
      text += (figures ? kFigures : kLetters)[code];
  }
};

// --- Files and programs --------------------------------------------------------------

bool ReadWav(const std::string& path, std::vector<float>* samples, std::string* err) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) {
    *err = path + " is not a WAV file";
    return false;
  }
  const auto le = [&bytes](size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return v;
  };
  for (size_t at = 12; at + 8 <= bytes.size();) {
    const uint32_t size = le(at + 4, 4);
    if (bytes.compare(at, 4, "fmt ") == 0 && (le(at + 8, 2) != 1 || le(at + 12, 4) != 8000 ||
                                              le(at + 22, 2) != 16 || le(at + 10, 2) != 1)) {
      *err = path + " is not 8 kHz 16-bit mono PCM";
      return false;
    }
    if (bytes.compare(at, 4, "data") == 0) {
      for (size_t i = at + 8; i + 1 < at + 8 + size && i + 1 < bytes.size(); i += 2)
        samples->push_back(static_cast<int16_t>(le(i, 2)));
      return true;
    }
    at += 8 + size + (size & 1);
  }
  *err = path + " holds no sample data";
  return false;
}

void WriteWav(const std::string& path, const std::vector<int16_t>& samples) {
  std::string out = "RIFF0000WAVEfmt ";
  const auto put = [&out](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(16000, 4), put(2, 2), put(16, 2);
  out += "data";
  put(static_cast<uint32_t>(samples.size() * 2), 4);
  for (int16_t s : samples) put(static_cast<uint16_t>(s), 2);
  const uint32_t riff = static_cast<uint32_t>(out.size() - 8);
  for (int i = 0; i < 4; ++i) out[4 + i] = static_cast<char>((riff >> (8 * i)) & 0xFF);
  std::ofstream(path, std::ios::binary).write(out.data(), static_cast<std::streamsize>(out.size()));
}

/// Runs a program directly with `input` as its standard input; its standard output, or
/// nothing when it could not run.
std::string Run(const std::vector<std::string>& argv, const std::string& input_path,
                const std::string& output_path) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {};
  int status = 0;
  waitpid(pid, &status, 0);
  std::ifstream in(output_path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> MinimodemMode(double baud) {
  if (baud < 46) return {"tdd"};
  return {BaudText(baud), "--baudot", "--stopbits", "2.0", "-M", "1400", "-S", "1800"};
}

// --- Transmitters --------------------------------------------------------------------

struct AsyncSource {
  std::vector<int> codes;
  size_t next = 0;
  static int GetByte(void* user) {
    auto* s = static_cast<AsyncSource*>(user);
    return s->next < s->codes.size() ? s->codes[s->next++] : -1;
  }
};

void PutNothing(void*, const uint8_t*, int) {}

/// spandsp's own transmitter: V.18 TDD at 45.45 and 50 baud, its FSK modulator with 5-bit
/// asynchronous framing and two stop bits at 75 and 110.
std::vector<float> SpandspSignal(double baud, const std::string& text) {
  std::vector<float> out;
  int16_t block[160];
  if (baud < 51) {
    v18_state_t* v18 =
        v18_init(nullptr, 1, baud < 46 ? V18_MODE_5BIT_45 : V18_MODE_5BIT_50, PutNothing, nullptr);
    v18_put(v18, text.c_str(), static_cast<int>(text.size()));
    // At most two frames of 8 bits a character (a shift and the character).
    const auto most = static_cast<size_t>(16 * (text.size() + 4) * kLineSampleRate / baud);
    for (int len; out.size() < most && (len = v18_tx(v18, block, 160)) > 0;)
      out.insert(out.end(), block, block + len);
    v18_free(v18);
    return out;
  }
  fsk_spec_t spec{};
  spec.name = "TTY";
  spec.freq_zero = 1800;
  spec.freq_one = 1400;
  spec.tx_level = static_cast<int>(kSendLevelDbm0);
  spec.min_level = -30;
  spec.baud_rate = SpandspBaud(baud);
  AsyncSource source{Encode(text)};
  async_tx_state_t* async =
      async_tx_init(nullptr, 5, ASYNC_PARITY_NONE, 2, 0, &AsyncSource::GetByte, &source);
  fsk_tx_state_t* fsk = fsk_tx_init(nullptr, &spec, async_tx_get_bit, async);
  // This fsk_tx idles on mark once the data ends: stop two frames after the last character.
  const auto frame = static_cast<size_t>(8 * kLineSampleRate / baud);
  size_t after = 0;
  for (int len; after < 2 * frame && (len = fsk_tx(fsk, block, 160)) > 0;) {
    out.insert(out.end(), block, block + len);
    if (source.next == source.codes.size()) after += static_cast<size_t>(len);
  }
  fsk_tx_free(fsk);
  async_tx_free(async);
  return out;
}

std::vector<float> MinimodemSignal(double baud, const std::string& text, const std::string& dir) {
  const std::string text_path = dir + "/text.txt";
  const std::string wav_path = dir + "/minimodem-" + BaudText(baud) + ".wav";
  std::ofstream(text_path) << text;
  std::vector<std::string> argv{"minimodem", "--tx"};
  for (const std::string& a : MinimodemMode(baud)) argv.push_back(a);
  for (const char* a : {"-R", "8000", "-f"}) argv.emplace_back(a);
  argv.push_back(wav_path);
  Run(argv, text_path, "/dev/null");
  std::vector<float> samples;
  std::string err;
  if (!ReadWav(wav_path, &samples, &err)) std::fprintf(stderr, "line_bench: %s\n", err.c_str());
  return samples;
}

/// `signal` with the same silence around it for every transmitter, at the sending level.
std::vector<float> Frame(std::vector<float> signal, bool add_lead) {
  const double gain = RmsForLevel(kSendLevelDbm0) / RmsForLevel(SignalLevelDbm0(signal));
  for (float& s : signal) s = static_cast<float>(s * gain);
  std::vector<float> out;
  if (add_lead) out.assign(static_cast<size_t>(kLeadSilence * kLineSampleRate), 0.0f);
  out.insert(out.end(), signal.begin(), signal.end());
  out.resize(out.size() + static_cast<size_t>(kTailSilence * kLineSampleRate), 0.0f);
  return out;
}

// --- Receivers -----------------------------------------------------------------------

struct V18Text {
  std::string text;
  static void Put(void* user, const uint8_t* msg, int len) {
    static_cast<V18Text*>(user)->text.append(reinterpret_cast<const char*>(msg),
                                             static_cast<size_t>(len));
  }
};

struct FrameSink {
  Printer printer;
  static void Put(void* user, int frame) {
    if (frame >= 0) static_cast<FrameSink*>(user)->printer.Put(frame & 0x1F);
  }
};

std::string ReceiveSpandsp(double baud, const std::vector<int16_t>& audio) {
  // Digital silence after the line, so that the carrier drops and every message is handed on.
  const std::vector<int16_t> quiet(kLineSampleRate, 0);
  if (baud < 51) {
    V18Text got;
    v18_state_t* v18 =
        v18_init(nullptr, 0, baud < 46 ? V18_MODE_5BIT_45 : V18_MODE_5BIT_50, &V18Text::Put, &got);
    v18_rx(v18, audio.data(), static_cast<int>(audio.size()));
    v18_rx(v18, quiet.data(), static_cast<int>(quiet.size()));
    v18_free(v18);
    std::string printed;
    for (char c : got.text)
      if (c != '\r' && c != '\n' && c != '\b') printed += c;
    return printed;
  }
  fsk_spec_t spec{};
  spec.name = "TTY";
  spec.freq_zero = 1800;
  spec.freq_one = 1400;
  spec.min_level = -30;
  spec.baud_rate = SpandspBaud(baud);
  FrameSink sink;
  fsk_rx_state_t* rx =
      fsk_rx_init(nullptr, &spec, FSK_FRAME_MODE_5N1_FRAMES, &FrameSink::Put, &sink);
  fsk_rx(rx, audio.data(), static_cast<int>(audio.size()));
  fsk_rx(rx, quiet.data(), static_cast<int>(quiet.size()));
  fsk_rx_free(rx);
  return sink.printer.text;
}

std::string ReceiveMinimodem(double baud, const std::vector<int16_t>& audio, const std::string& dir,
                             int slot) {
  const std::string wav = dir + "/rx-" + std::to_string(slot) + ".wav";
  const std::string out = dir + "/rx-" + std::to_string(slot) + ".txt";
  WriteWav(wav, audio);
  std::vector<std::string> argv{"minimodem", "--rx"};
  for (const std::string& a : MinimodemMode(baud)) argv.push_back(a);
  for (const char* a : {"-q", "-f"}) argv.emplace_back(a);
  argv.push_back(wav);
  std::string text;
  for (char c : Run(argv, "/dev/null", out))
    if (c != '\r' && c != '\n') text += c;
  return text;
}

/// The character codes each printed character may stand for (a mask of codes), shifts left
/// out: what the line carried, whatever shift state the receiver was in. V.18 prints S in
/// figures as '-', as A, so some characters stand for two codes.
std::vector<uint32_t> Codes(const std::string& text) {
  std::vector<uint32_t> codes;
  for (char c : text) {
    uint32_t mask = 0;
    for (int i = 1; i < 32; ++i)
      if (i != kLtrs && i != kFigs && (kLetters[i] == c || kFigures[i] == c)) mask |= 1u << i;
    if (mask != 0) codes.push_back(mask);
  }
  return codes;
}

/// Characters to change, drop or add to read `got` as `sent`.
size_t Errors(const std::vector<uint32_t>& got, const std::vector<uint32_t>& sent) {
  std::vector<size_t> prev(sent.size() + 1), cur(sent.size() + 1);
  for (size_t j = 0; j <= sent.size(); ++j) prev[j] = j;
  for (size_t i = 1; i <= got.size(); ++i) {
    cur[0] = i;
    for (size_t j = 1; j <= sent.size(); ++j)
      cur[j] = std::min(
          {prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + ((got[i - 1] & sent[j - 1]) == 0 ? 1 : 0)});
    std::swap(prev, cur);
  }
  return prev[sent.size()];
}

// --- The sweep -----------------------------------------------------------------------

struct Options {
  int seeds = 8;
  int threads = 2;
  std::vector<Receiver> receivers{Receiver::Spandsp, Receiver::Minimodem};
  std::vector<double> clocks{0, 1, -1};  // percent
  std::vector<std::string> lines;
  std::string text;
  std::vector<std::pair<double, std::string>> prompts;
};

struct Setup {
  double baud;
  size_t line;  // index into LineShapes()
  double clock;
  Transmitter tx;
  Receiver rx;
  bool operator<(const Setup& o) const {
    return std::tie(baud, line, clock, tx, rx) < std::tie(o.baud, o.line, o.clock, o.tx, o.rx);
  }
};

class Bench {
 public:
  Bench(const Options& options, std::string dir) : options_(options), dir_(std::move(dir)) {}
  bool Prepare(std::string* err);
  void Run();
  void Print() const;

 private:
  bool Passes(const Setup& s, double snr, int seed, int slot) const;
  double Break(const Setup& s, int seed, int slot) const;
  double Median(const Setup& s) const;

  const Options& options_;
  const std::string dir_;
  std::vector<Line> lines_;
  std::vector<size_t> line_index_;
  // The near analogue section's output per rate, transmitter, clock and line.
  std::map<std::tuple<double, Transmitter, double, size_t>, std::vector<float>> near_;
  std::map<Setup, std::vector<double>> breaks_;
  mutable std::mutex mutex_;
};

Line MakeLine(size_t index) {
  const LineShape& shape = LineShapes()[index];
  // The G.711 law alternates over the lines, so that both are in the table.
  return {DesignLineFilter(shape, kLineTaps), index % 2 == 0 ? Law::MuLaw : Law::ALaw};
}

bool Bench::Prepare(std::string* err) {
  for (size_t i = 0; i < LineShapes().size(); ++i) {
    lines_.push_back(MakeLine(i));
    const std::string name(LineShapes()[i].name);
    if (options_.lines.empty() ||
        std::find(options_.lines.begin(), options_.lines.end(), name) != options_.lines.end())
      line_index_.push_back(i);
  }
  for (const auto& [baud, path] : options_.prompts) {
    std::vector<float> quillon;
    if (!ReadWav(path, &quillon, err)) return false;
    const std::map<Transmitter, std::vector<float>> sent{
        {Transmitter::Quillon, Frame(quillon, false)},
        {Transmitter::Minimodem, Frame(MinimodemSignal(baud, options_.text, dir_), true)},
        {Transmitter::Spandsp, Frame(SpandspSignal(baud, options_.text), true)}};
    for (const auto& [tx, signal] : sent) {
      for (double clock : options_.clocks) {
        const std::vector<float> played =
            clock == 0 ? signal : ChangeClock(signal, 1 + clock / 100);
        for (size_t line : line_index_)
          near_[{baud, tx, clock, line}] = Filter(lines_[line].filter, played);
      }
    }
  }
  return true;
}

bool Bench::Passes(const Setup& s, double snr, int seed, int slot) const {
  const std::vector<float>& near = near_.at({s.baud, s.tx, s.clock, s.line});
  const std::vector<int16_t> heard = Transmit(lines_[s.line], near, kSendLevelDbm0 - snr, seed);
  const std::string got = s.rx == Receiver::Spandsp ? ReceiveSpandsp(s.baud, heard)
                                                    : ReceiveMinimodem(s.baud, heard, dir_, slot);
  return Errors(Codes(got), Codes(options_.text)) * 100 <= options_.text.size();
}

// The lowest SNR (0.5 dB steps) down to which the text is received: 3 dB steps down from
// the top until one fails, then 0.5 dB steps down from the last that passed.
double Bench::Break(const Setup& s, int seed, int slot) const {
  if (!Passes(s, kTopSnr, seed, slot)) return kTopSnr + 0.5;
  double pass = kTopSnr;
  while (pass - 3 >= kBottomSnr && Passes(s, pass - 3, seed, slot)) pass -= 3;
  while (pass - 0.5 >= kBottomSnr && Passes(s, pass - 0.5, seed, slot)) pass -= 0.5;
  return pass;
}

void Bench::Run() {
  std::vector<std::pair<Setup, int>> jobs;
  for (const auto& [baud, path] : options_.prompts)
    for (size_t line : line_index_)
      for (double clock : options_.clocks)
        for (Transmitter tx : {Transmitter::Quillon, Transmitter::Minimodem, Transmitter::Spandsp})
          for (Receiver rx : options_.receivers)
            for (int seed = 1; seed <= options_.seeds; ++seed)
              jobs.push_back({{baud, line, clock, tx, rx}, seed});
  // minimodem's jobs are the slow ones: start them first.
  std::stable_sort(jobs.begin(), jobs.end(), [](const auto& a, const auto& b) {
    return a.first.rx == Receiver::Minimodem && b.first.rx != Receiver::Minimodem;
  });
  std::atomic<size_t> next{0};
  std::vector<std::thread> workers;
  for (int slot = 0; slot < options_.threads; ++slot) {
    workers.emplace_back([&, slot] {
      for (size_t i; (i = next++) < jobs.size();) {
        const double b = Break(jobs[i].first, jobs[i].second, slot);
        const std::lock_guard<std::mutex> lock(mutex_);
        breaks_[jobs[i].first].push_back(b);
      }
    });
  }
  for (std::thread& w : workers) w.join();
}

double Bench::Median(const Setup& s) const {
  std::vector<double> v = breaks_.at(s);
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string Cell(double db) {
  char text[16];
  if (db > kTopSnr) return "fail";
  std::snprintf(text, sizeof text, "%.1f", db);
  return text;
}

void Bench::Print() const {
  std::printf(
      "Noise break: the lowest SNR (dB, a -10 dBm0 signal to the white noise on each\n"
      "analogue section, 0-4 kHz) down to which the text is received with at most 1 %%\n"
      "character errors; median over %d noise seeds. Lower is more robust.\n\n",
      options_.seeds);
  for (Receiver rx : options_.receivers) {
    std::printf("Receiver: %s\n\n", rx == Receiver::Spandsp
                                        ? "spandsp (V.18 at 45.45/50 baud, FSK 5-bit at 75/110)"
                                        : "minimodem");
    std::printf("| baud | line | clock | Quillon | minimodem tx | spandsp tx | Quillon - best |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const auto& [baud, path] : options_.prompts) {
      for (size_t line : line_index_) {
        for (double clock : options_.clocks) {
          double q = Median({baud, line, clock, Transmitter::Quillon, rx});
          double m = Median({baud, line, clock, Transmitter::Minimodem, rx});
          double s = Median({baud, line, clock, Transmitter::Spandsp, rx});
          std::printf("| %s | %s %s | %+g %% | %s | %s | %s | %+.1f |\n", BaudText(baud).c_str(),
                      std::string(LineShapes()[line].name).c_str(),
                      lines_[line].law == Law::MuLaw ? "mu-law" : "A-law", clock, Cell(q).c_str(),
                      Cell(m).c_str(), Cell(s).c_str(), q - std::min(m, s));
        }
      }
    }
    std::printf("\n");
  }
  // The clock error's cost: break with the error minus break without, per transmitter.
  for (Receiver rx : options_.receivers) {
    std::printf("Cost of the clock error (dB), receiver %s\n\n", Name(rx));
    std::printf("| baud | line | clock | Quillon | minimodem tx | spandsp tx | Quillon - best |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    for (const auto& [baud, path] : options_.prompts) {
      for (size_t line : line_index_) {
        for (double clock : options_.clocks) {
          if (clock == 0) continue;
          double cost[3];
          int i = 0;
          for (Transmitter tx :
               {Transmitter::Quillon, Transmitter::Minimodem, Transmitter::Spandsp})
            cost[i++] = Median({baud, line, clock, tx, rx}) - Median({baud, line, 0, tx, rx});
          std::printf("| %s | %s | %+g %% | %+.1f | %+.1f | %+.1f | %+.1f |\n",
                      BaudText(baud).c_str(), std::string(LineShapes()[line].name).c_str(), clock,
                      cost[0], cost[1], cost[2], cost[0] - std::min(cost[1], cost[2]));
        }
      }
    }
    std::printf("\n");
  }
}

std::vector<std::string> Split(const std::string& list) {
  std::vector<std::string> parts;
  std::stringstream in(list);
  for (std::string part; std::getline(in, part, ',');) parts.push_back(part);
  return parts;
}

int Usage(const char* problem) {
  std::fprintf(stderr,
               "line_bench: %s\nusage: line_bench [--seeds N] [--threads N] [--receivers "
               "spandsp,minimodem] [--clocks 0,1,-1] [--lines NAME,...] --text TEXT "
               "RATE=PROMPT.wav...\n",
               problem);
  return 2;
}

}  // namespace
}  // namespace quillon::bench

int main(int argc, char** argv) {
  using namespace quillon::bench;
  Options options;
  options.receivers.clear();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--seeds" && has_value) {
      options.seeds = std::atoi(argv[++i]);
    } else if (arg == "--threads" && has_value) {
      options.threads = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--receivers" && has_value) {
      for (const std::string& r : Split(argv[++i])) {
        if (r == "spandsp")
          options.receivers.push_back(Receiver::Spandsp);
        else if (r == "minimodem")
          options.receivers.push_back(Receiver::Minimodem);
        else
          return Usage(("no receiver called " + r).c_str());
      }
    } else if (arg == "--clocks" && has_value) {
      options.clocks.clear();
      for (const std::string& c : Split(argv[++i])) options.clocks.push_back(std::atof(c.c_str()));
    } else if (arg == "--lines" && has_value) {
      options.lines = Split(argv[++i]);
    } else if (arg == "--text" && has_value) {
      options.text = argv[++i];
    } else if (const size_t eq = arg.find('='); eq != std::string::npos && arg[0] != '-') {
      const double baud = std::atof(arg.substr(0, eq).c_str());
      if (baud != 45.45 && baud != 50 && baud != 75 && baud != 110)
        return Usage(("no TTY rate " + arg.substr(0, eq)).c_str());
      options.prompts.push_back({baud, arg.substr(eq + 1)});
    } else {
      return Usage(("cannot use '" + arg + "'").c_str());
    }
  }
  if (options.receivers.empty()) options.receivers = {Receiver::Spandsp, Receiver::Minimodem};
  if (options.text.empty() || options.prompts.empty() || options.seeds < 1)
    return Usage("give the text, at least one prompt and at least one seed");
  if (std::find(options.clocks.begin(), options.clocks.end(), 0.0) == options.clocks.end())
    options.clocks.insert(options.clocks.begin(), 0.0);
  char dir[] = "/tmp/line-bench-XXXXXX";
  if (mkdtemp(dir) == nullptr) return Usage("cannot make a temporary folder");
  Bench bench(options, dir);
  std::string err;
  if (!bench.Prepare(&err)) {
    std::fprintf(stderr, "line_bench: %s\n", err.c_str());
    return 1;
  }
  bench.Run();
  bench.Print();
  std::filesystem::remove_all(dir);
  return 0;
}
