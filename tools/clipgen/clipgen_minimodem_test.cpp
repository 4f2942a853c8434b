// Joins the clips that quillon-clipgen writes into whole TTY messages, byte for byte as
// wavcat joins them, and decodes the result with minimodem, an independent software modem,
// as it is and under white noise.

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <string_view>

#include <gtest/gtest.h>

#include "tools/clipgen/clip_set.h"
#include "tools/clipgen/test_util.h"
#include "tools/clipgen/tic_plan.h"
#include "tools/wav/samples.h"

namespace quillon::clipgen {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

/// Baudot (ITA2 / US TTY) codes, bits 1 to 5 as sent, mark = 1. Digits are sent as the
/// letter that shares their code, after a figures shift.
struct BaudotCode {
  char letter;
  std::string_view bits;
  char figure;
};

constexpr std::array<BaudotCode, 27> kBaudot{{
    {'A', "11000", 0},   {'B', "10011", 0},   {'C', "01110", 0},   {'D', "10010", 0},
    {'E', "10000", '3'}, {'F', "10110", 0},   {'G', "01011", 0},   {'H', "00101", 0},
    {'I', "01100", '8'}, {'J', "11010", 0},   {'K', "11110", 0},   {'L', "01001", 0},
    {'M', "00111", 0},   {'N', "00110", 0},   {'O', "00011", '9'}, {'P', "01101", '0'},
    {'Q', "11101", '1'}, {'R', "01010", '4'}, {'S', "10100", 0},   {'T', "00001", '5'},
    {'U', "11100", '7'}, {'V', "01111", 0},   {'W', "11001", '2'}, {'X', "10111", 0},
    {'Y', "10101", '6'}, {'Z', "10001", 0},   {' ', "00100", 0},
}};
constexpr std::string_view kLtrs = "11111";
constexpr std::string_view kFigs = "11011";

/// The sample data of the clips one message is joined from.
class Joiner {
 public:
  Joiner(const fs::path& dir, std::string_view tag) : dir_(dir) {
    mark_ = Data("marktic" + std::string(tag) + "baud.wav");
    space_ = Data("spacetic" + std::string(tag) + "baud.wav");
  }

  // Lead-in, then every character with the shift it needs, then a closing LTRS.
  // '~' stands for the installed blank clip.
  std::vector<uint8_t> Message(std::string_view text) {
    std::vector<uint8_t> out = Data("smallsilence.wav");
    char shift = 0;
    for (char c : text) {
      if (c == '~') {
        Append(&out, Data("BlankChar.wav"));
        shift = 0;  // a receiver may take the blank as a shift reset
        continue;
      }
      const bool figure = c >= '0' && c <= '9';
      if (shift != (figure ? 'F' : 'L')) Frame(&out, figure ? kFigs : kLtrs);
      shift = figure ? 'F' : 'L';
      Frame(&out, CodeOf(c));
    }
    Frame(&out, kLtrs);
    return out;
  }

 private:
  std::vector<uint8_t> Data(const std::string& name) { return testing::ReadWav(dir_ / name).data; }
  static void Append(std::vector<uint8_t>* out, const std::vector<uint8_t>& part) {
    out->insert(out->end(), part.begin(), part.end());
  }
  // Start bit (space), five code bits, two stop bits (mark).
  void Frame(std::vector<uint8_t>* out, std::string_view bits) {
    Append(out, space_);
    for (char bit : bits) Append(out, bit == '1' ? mark_ : space_);
    Append(out, mark_);
    Append(out, mark_);
  }
  static std::string_view CodeOf(char c) {
    for (const BaudotCode& code : kBaudot) {
      if (code.letter == c || (code.figure != 0 && code.figure == c)) return code.bits;
    }
    ADD_FAILURE() << "no Baudot code for '" << c << "'";
    return "00000";
  }

  fs::path dir_;
  std::vector<uint8_t> mark_;
  std::vector<uint8_t> space_;
};

/// minimodem's receive line for one rate, listening on the nominal 1400/1800 Hz.
std::vector<std::string> Receiver(const BaudRate& rate, const fs::path& file) {
  std::vector<std::string> argv{QUILLON_MINIMODEM, "-q", "-f", file.string(), "--rx"};
  if (rate.tag == "45") {
    argv.push_back("tdd");
    return argv;
  }
  for (std::string arg : {std::string(rate.tag), std::string("--baudot"), std::string("--stopbits"),
                          std::string("2.0"), std::string("-M"), std::string("1400"),
                          std::string("-S"), std::string("1800")}) {
    argv.push_back(arg);
  }
  return argv;
}

/// The signal-to-noise ratio of the noisy round trips: tone power to the power of white
/// noise over the whole band (0 to 4 kHz). The tics decode at about -7 (45.45 baud) to
/// -2.5 dB (110 baud); see bench/bench_noise.sh.
constexpr double kNoisySnrDb = 4.0;

/// Sample data in `format` with white noise added at kNoisySnrDb below the -10 dBm0 tones
/// (a fixed seed: the same noise on every run). The noise starts with the carrier, after the
/// digital silence that opens a message: noise alone makes minimodem print stray characters,
/// whatever the tics.
std::vector<uint8_t> WithNoise(const std::vector<uint8_t>& data, wav::SampleFormat format) {
  std::vector<int16_t> linear(data.size() / static_cast<size_t>(wav::BytesPerSample(format)));
  wav::DecodeSamples(data, format, linear);
  const double amplitude = AmplitudeForLevel(-10.0);
  const double sigma = std::sqrt(amplitude * amplitude / 2 / std::pow(10.0, kNoisySnrDb / 10));
  std::mt19937 random(4545);
  std::normal_distribution<double> noise(0.0, sigma);
  const auto carrier = static_cast<size_t>(std::lround(kLeadSilenceSeconds * 8000));
  for (size_t i = carrier; i < linear.size(); ++i) {
    linear[i] =
        static_cast<int16_t>(std::clamp(std::lround(linear[i] + noise(random)), -32768L, 32767L));
  }
  return wav::EncodeSamples(linear, format);
}

std::string Decode(const std::vector<std::string>& argv) {
  const auto result = testing::RunProgram(argv);
  EXPECT_EQ(result.status, 0) << result.err << "\n(is Debian's minimodem installed?)";
  std::string text = result.out;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

struct DecodeCase {
  wav::SampleFormat format;
  BaudRate rate;
  bool noisy;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << wav::SampleFormatName(c.format) << ' ' << c.rate.baud << " baud"
      << (c.noisy ? ", white noise" : "");
}

class MinimodemTest : public ::testing::TestWithParam<DecodeCase> {
 protected:
  void SetUp() override {
    const auto result = testing::RunProgram({QUILLON_CLIPGEN_EXE, "--format",
                                             std::string(wav::SampleFormatName(GetParam().format)),
                                             "--out", dir_.path().string()});
    ASSERT_EQ(result.status, 0) << result.err;
  }
  std::string SendAndReceive(std::string_view text) {
    Joiner joiner(dir_.path(), GetParam().rate.tag);
    const fs::path file = dir_.path() / "message.wav";
    std::vector<uint8_t> data = joiner.Message(text);
    if (GetParam().noisy) data = WithNoise(data, GetParam().format);
    testing::WriteFile(file, wav::BuildFile(wav::FileFormat(GetParam().format, 8000), data));
    return Decode(Receiver(GetParam().rate, file));
  }
  TempDir dir_;
};

TEST_P(MinimodemTest, DecodesTheTextThatWasSent) {
  EXPECT_EQ(SendAndReceive("HELLO WORLD 123"), "HELLO WORLD 123");
  EXPECT_EQ(SendAndReceive("THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 4567890"),
            "THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG 4567890");
}

std::vector<DecodeCase> AllCases() {
  std::vector<DecodeCase> cases;
  for (wav::SampleFormat format :
       {wav::SampleFormat::Pcm16, wav::SampleFormat::MuLaw, wav::SampleFormat::ALaw}) {
    for (const BaudRate& rate : kBaudRates) {
      cases.push_back({format, rate, false});
      cases.push_back({format, rate, true});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Clips, MinimodemTest, ::testing::ValuesIn(AllCases()));

class BlankCharTest : public MinimodemTest {};

// The blank is a frame of its own between two characters; minimodem shows it as '_'.
TEST_P(BlankCharTest, IsReceivedAsOneBlankFrame) {
  EXPECT_EQ(SendAndReceive("HELLO~WORLD"), "HELLO_WORLD");
}

INSTANTIATE_TEST_SUITE_P(
    TtyRate, BlankCharTest,
    ::testing::Values(DecodeCase{wav::SampleFormat::Pcm16, kBaudRates[0], false},
                      DecodeCase{wav::SampleFormat::MuLaw, kBaudRates[0], false},
                      DecodeCase{wav::SampleFormat::ALaw, kBaudRates[0], false}));

}  // namespace
}  // namespace quillon::clipgen
