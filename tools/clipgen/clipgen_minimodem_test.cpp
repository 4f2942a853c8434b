// Joins the clips that quillon-clipgen writes into whole TTY messages, byte for byte as
// wavcat joins them, and decodes the result with minimodem, an independent software modem.

#include <array>
#include <cstdio>
#include <string_view>

#include <gtest/gtest.h>

#include "tools/clipgen/test_util.h"
#include "tools/clipgen/tic_plan.h"
#include "tools/clipgen/wav_file.h"

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

std::string Hz(double hz) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", hz);
  return text;
}

/// minimodem's receive line for one rate; with `own_tones` it listens on the tics' own
/// whole-cycle frequencies, otherwise on the nominal 1400/1800 Hz.
std::vector<std::string> Receiver(const BaudRate& rate, bool own_tones, const fs::path& file) {
  TicPlan plan;
  std::string err;
  EXPECT_TRUE(PlanTic(8000, rate.baud, &plan, &err)) << err;
  std::vector<std::string> argv{QUILLON_MINIMODEM, "-q", "-f", file.string(), "--rx"};
  if (rate.tag == "45" && !own_tones) {
    argv.push_back("tdd");
    return argv;
  }
  const std::string baud = rate.tag == "45" ? "45.45" : std::string(rate.tag);
  for (std::string arg :
       {baud, std::string("--baudot"), std::string("--stopbits"), std::string("2.0"),
        std::string("-M"), Hz(own_tones ? plan.MarkHz() : kMarkHz), std::string("-S"),
        Hz(own_tones ? plan.SpaceHz() : kSpaceHz)}) {
    argv.push_back(arg);
  }
  return argv;
}

std::string Decode(const std::vector<std::string>& argv) {
  const auto result = testing::RunProgram(argv);
  EXPECT_EQ(result.status, 0) << result.err << "\n(is Debian's minimodem installed?)";
  std::string text = result.out;
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

struct DecodeCase {
  SampleFormat format;
  BaudRate rate;
  bool own_tones;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << FormatName(c.format) << ' ' << c.rate.baud << " baud, receiver on "
      << (c.own_tones ? "the tics' tones" : "1400/1800 Hz");
}

class MinimodemTest : public ::testing::TestWithParam<DecodeCase> {
 protected:
  void SetUp() override {
    const auto result = testing::RunProgram({QUILLON_CLIPGEN_EXE, "--format",
                                             std::string(FormatName(GetParam().format)), "--out",
                                             dir_.path().string()});
    ASSERT_EQ(result.status, 0) << result.err;
  }
  std::string SendAndReceive(std::string_view text) {
    Joiner joiner(dir_.path(), GetParam().rate.tag);
    const fs::path file = dir_.path() / "message.wav";
    testing::WriteBytes(file, MakeWav(joiner.Message(text), GetParam().format, 8000));
    return Decode(Receiver(GetParam().rate, GetParam().own_tones, file));
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
  for (SampleFormat format : {SampleFormat::kPcm16, SampleFormat::kMulaw, SampleFormat::kAlaw}) {
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

INSTANTIATE_TEST_SUITE_P(TtyRate, BlankCharTest,
                         ::testing::Values(DecodeCase{SampleFormat::kPcm16, kBaudRates[0], false},
                                           DecodeCase{SampleFormat::kMulaw, kBaudRates[0], false},
                                           DecodeCase{SampleFormat::kAlaw, kBaudRates[0], false}));

}  // namespace
}  // namespace quillon::clipgen
