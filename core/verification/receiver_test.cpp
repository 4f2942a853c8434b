// The receiver against real signals: prompts built by the real quillon-cli and wavcat
// from the real clip set, minimodem as an independent transmitter, G.711 through sox,
// poisoned prompts, silence and noise.
#include "core/verification/receiver.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <random>

#include "core/verification/verification.h"
#include "core/verification/verification_test_util.h"

namespace quillon {
namespace {

using test::BuildAndGetSentText;
using test::MakeProgramFolder;
using test::ReadPcmWav;

// A prompt with every kind of character, shifts both ways, and a blank after figures.
const QString kMixedText = QStringLiteral("Call 555-1212 (ext. 42) now? Thanks!");

/// A program folder of its own, with the clip set built at one rate.
class ProgramFolderTest : public ::testing::Test {
 protected:
  void MakeFolder(BaudRate rate) {
    ASSERT_TRUE(dir_.isValid());
    MakeProgramFolder(dir_.path(), rate);
  }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
};

struct PromptCase {
  QString text;
  QString printed;  ///< what a TTY prints
};

void PrintTo(const PromptCase& c, std::ostream* os) {
  *os << '"' << c.text.toStdString() << '"';
}

class PromptTest : public ProgramFolderTest, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(PromptTest, BuiltPromptVerifies) {
  MakeFolder(BaudRate::Baud45);
  const QString sent = BuildAndGetSentText(dir_.path(), GetParam().text, Path("prompt.wav"));
  Verification result;
  std::string err;
  ASSERT_TRUE(
      Verify(ReadPcmWav(Path("prompt.wav")), NominalSignal(BaudRate::Baud45), sent, &result, &err))
      << err;
  EXPECT_TRUE(result.ok()) << DescribeDifference(result).toStdString();
  EXPECT_EQ(result.received, GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PromptTest,
    ::testing::Values(
        PromptCase{kMixedText, QStringLiteral("CALL 555-1212 (EXT. 42) NOW? THANKS!")},
        PromptCase{QStringLiteral("-?:$!&#'()\".,;/ 0123456789"),
                   QStringLiteral("-?:$!&#'()\".,;/ 0123456789")},
        PromptCase{QStringLiteral("A*B@C+D=E%F 1*2"), QStringLiteral("ABCDEF 12")},
        PromptCase{QStringLiteral("~A~1~B"), QStringLiteral("A1B")},
        PromptCase{QStringLiteral("na\u00efve\ttab <silence>"), QStringLiteral("NAVETAB ")}),
    [](const auto& info) { return "Text" + std::to_string(info.index); });

// Past 801 characters the construction joins chunk files; the signal runs on unbroken.
TEST_F(ProgramFolderTest, ChunkedPromptVerifies) {
  MakeFolder(BaudRate::Baud45);
  QString text;
  for (int i = 0; text.size() < 1700; ++i)
    text += QStringLiteral("LINE %1 OF THE LONG PROMPT. ").arg(i);
  const QString sent = BuildAndGetSentText(dir_.path(), text, Path("long.wav"));
  Verification result;
  std::string err;
  ASSERT_TRUE(
      Verify(ReadPcmWav(Path("long.wav")), NominalSignal(BaudRate::Baud45), sent, &result, &err));
  EXPECT_TRUE(result.ok()) << DescribeDifference(result).toStdString();
  EXPECT_EQ(result.received.size(), text.size());
}

class RateTest : public ProgramFolderTest, public ::testing::WithParamInterface<BaudRate> {};

TEST_P(RateTest, PromptVerifiesAtItsRateOnly) {
  MakeFolder(GetParam());
  const QString sent = BuildAndGetSentText(dir_.path(), kMixedText, Path("prompt.wav"));
  const std::vector<std::int16_t> samples = ReadPcmWav(Path("prompt.wav"));
  Verification result;
  std::string err;
  ASSERT_TRUE(Verify(samples, NominalSignal(GetParam()), sent, &result, &err)) << err;
  EXPECT_TRUE(result.ok()) << DescribeDifference(result).toStdString();

  // Heard at another rate the same prompt is garbage, and the verification says so.
  const BaudRate other = GetParam() == BaudRate::Baud45 ? BaudRate::Baud110 : BaudRate::Baud45;
  ASSERT_TRUE(Verify(samples, NominalSignal(other), sent, &result, &err)) << err;
  EXPECT_FALSE(result.ok()) << result.received.toStdString();
}

TEST_P(RateTest, MinimodemSignalIsReceived) {
  ASSERT_TRUE(dir_.isValid());
  // Minimodem's transmitter relies on unshift on space: no LTRS after a blank.
  const QString text =
      QStringLiteral("THE QUICK BROWN FOX 123 JUMPS -?:$!&#'()\".,;/ 0987654321 OK");
  test::MinimodemSend(text, GetParam(), Path("minimodem.wav"));
  QString received;
  std::string err;
  ASSERT_TRUE(ReceiveBaudot(test::SoxLinear(Path("minimodem.wav")), NominalSignal(GetParam()),
                            &received, &err))
      << err;
  EXPECT_EQ(received, text);
}

INSTANTIATE_TEST_SUITE_P(Rates, RateTest,
                         ::testing::Values(BaudRate::Baud45, BaudRate::Baud50, BaudRate::Baud75,
                                           BaudRate::Baud110),
                         [](const auto& info) { return "Baud" + test::RateTag(info.param); });

class G711Test : public ProgramFolderTest,
                 public ::testing::WithParamInterface<std::pair<wav::SampleFormat, const char*>> {};

TEST_P(G711Test, ConvertedPromptVerifies) {
  const auto [law, encoding] = GetParam();
  MakeFolder(BaudRate::Baud45);
  const QString sent = BuildAndGetSentText(dir_.path(), kMixedText, Path("prompt.wav"));
  test::RunOrFail(QStringLiteral("sox"), {Path("prompt.wav"), QStringLiteral("-e"),
                                          QString::fromLatin1(encoding), Path("g711.wav")});
  const QByteArray bytes = test::SoxRawBytes(Path("g711.wav"));
  const std::span<const std::uint8_t> g711(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           static_cast<size_t>(bytes.size()));

  // Each byte is expanded to the value sox expands it to.
  std::vector<std::int16_t> linear(g711.size());
  wav::DecodeSamples(g711, law, linear);
  EXPECT_EQ(linear, test::SoxLinear(Path("g711.wav")));

  Verification result;
  std::string err;
  ASSERT_TRUE(Verify(g711, law, NominalSignal(BaudRate::Baud45), sent, &result, &err)) << err;
  EXPECT_TRUE(result.ok()) << DescribeDifference(result).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Laws, G711Test,
                         ::testing::Values(std::pair{wav::SampleFormat::MuLaw, "u-law"},
                                           std::pair{wav::SampleFormat::ALaw, "a-law"}),
                         [](const auto& info) {
                           return info.param.first == wav::SampleFormat::MuLaw ? "MuLaw" : "ALaw";
                         });

/// A frame of a prompt overwritten with another clip's audio.
struct PoisonCase {
  int frame;         ///< which frame after the lead-in: 0 is the opening LTRS
  const char* clip;  ///< the clip whose audio goes there
  qsizetype text_index;
  const char* description;
};

void PrintTo(const PoisonCase& c, std::ostream* os) {
  *os << "frame " << c.frame << " := " << c.clip;
}

class PoisonTest : public ProgramFolderTest, public ::testing::WithParamInterface<PoisonCase> {};

// "CALL 555-1212 NOW" goes out as LTRS C A L L space FIGS 5 5 5 - 1 2 1 2 LTRS space N O W.
TEST_P(PoisonTest, SwappedCharacterIsFound) {
  MakeFolder(BaudRate::Baud45);
  const QString sent =
      BuildAndGetSentText(dir_.path(), QStringLiteral("CALL 555-1212 NOW"), Path("prompt.wav"));
  std::vector<std::int16_t> samples = ReadPcmWav(Path("prompt.wav"));
  const size_t lead_in = ReadPcmWav(Path("smallsilence.wav")).size();
  const std::vector<std::int16_t> swap = ReadPcmWav(Path(GetParam().clip));
  const size_t at = lead_in + static_cast<size_t>(GetParam().frame) * swap.size();
  ASSERT_LE(at + swap.size(), samples.size());
  std::copy(swap.begin(), swap.end(), samples.begin() + static_cast<std::ptrdiff_t>(at));

  Verification result;
  std::string err;
  ASSERT_TRUE(Verify(samples, NominalSignal(BaudRate::Baud45), sent, &result, &err));
  EXPECT_EQ(result.difference, Verification::Difference::Changed);
  EXPECT_EQ(result.text_index, GetParam().text_index);
  EXPECT_EQ(DescribeDifference(result), QString::fromLatin1(GetParam().description));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, PoisonTest,
    ::testing::Values(PoisonCase{2, "b.wav", 1, "character 2: sent \"A\", received \"B\""},
                      PoisonCase{12, "3.wav", 10, "character 11: sent \"2\", received \"3\""},
                      PoisonCase{18, "p.wav", 15, "character 16: sent \"O\", received \"P\""},
                      // A lost FIGS: the figures print from the letters table.
                      PoisonCase{6, "LTRS.wav", 5, "character 6: sent \"5\", received \"T\""}),
    [](const auto& info) { return "Frame" + std::to_string(info.param.frame); });

TEST_F(ProgramFolderTest, CutAndOverlongPromptsAreFound) {
  MakeFolder(BaudRate::Baud45);
  const QString sent =
      BuildAndGetSentText(dir_.path(), QStringLiteral("CALL 555-1212 NOW"), Path("prompt.wav"));
  std::vector<std::int16_t> samples = ReadPcmWav(Path("prompt.wav"));
  const TtySignal signal = NominalSignal(BaudRate::Baud45);
  Verification result;
  std::string err;

  ASSERT_TRUE(Verify(samples, signal, QStringLiteral("CALL 555-1212 N"), &result, &err));
  EXPECT_EQ(DescribeDifference(result),
            QStringLiteral("after the last character: received extra \"OW\""));

  samples.resize(samples.size() - ReadPcmWav(Path("w.wav")).size());
  ASSERT_TRUE(Verify(samples, signal, sent, &result, &err));
  EXPECT_EQ(result.difference, Verification::Difference::Missing);
  EXPECT_EQ(DescribeDifference(result),
            QStringLiteral("character 17: sent \"W\", received nothing"));
}

TEST(ReceiverTest, SilenceAndNoisePrintNothingSensible) {
  const TtySignal signal = NominalSignal(BaudRate::Baud45);
  std::string err;
  QString received = QStringLiteral("untouched");
  ASSERT_TRUE(ReceiveBaudot(std::span<const std::int16_t>(), signal, &received, &err));
  EXPECT_EQ(received, QString());

  Verification result;
  const std::vector<std::int16_t> silence(8000 * 3, 0);
  ASSERT_TRUE(Verify(silence, signal, QStringLiteral("HELLO"), &result, &err));
  EXPECT_EQ(result.received, QString());
  EXPECT_EQ(DescribeDifference(result),
            QStringLiteral("character 1: sent \"H\", received nothing"));

  std::mt19937 random(7);
  std::uniform_int_distribution<int> full_scale(-32768, 32767);
  std::vector<std::int16_t> noise(8000 * 10);
  for (std::int16_t& sample : noise) sample = static_cast<std::int16_t>(full_scale(random));
  ASSERT_TRUE(Verify(noise, signal, QStringLiteral("HELLO WORLD"), &result, &err));
  EXPECT_FALSE(result.ok());

  std::vector<std::uint8_t> bytes(8000 * 10);
  for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(full_scale(random));
  for (wav::SampleFormat law : {wav::SampleFormat::MuLaw, wav::SampleFormat::ALaw}) {
    ASSERT_TRUE(Verify(bytes, law, signal, QStringLiteral("HELLO WORLD"), &result, &err));
    EXPECT_FALSE(result.ok());
  }
}

// Audio delivered in many small blocks is heard as in one.
TEST_F(ProgramFolderTest, BlocksMakeNoDifference) {
  MakeFolder(BaudRate::Baud45);
  BuildAndGetSentText(dir_.path(), kMixedText, Path("prompt.wav"));
  const std::vector<std::int16_t> samples = ReadPcmWav(Path("prompt.wav"));
  std::string err;
  std::vector<BaudotCode> whole;
  ASSERT_TRUE(ReceiveCodes(samples, NominalSignal(BaudRate::Baud45), &whole, &err));
  const auto receiver = BaudotReceiver::Create(NominalSignal(BaudRate::Baud45), &err);
  ASSERT_NE(receiver, nullptr);
  for (size_t at = 0; at < samples.size(); at += 37)
    receiver->Receive(std::span(samples).subspan(at, std::min<size_t>(37, samples.size() - at)));
  EXPECT_EQ(receiver->codes(), whole);
  EXPECT_EQ(PrintBaudot(whole), QStringLiteral("CALL 555-1212 (EXT. 42) NOW? THANKS!"));
}

struct RefusalCase {
  TtySignal signal;
  const char* reason;  ///< words the message must hold
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.signal.baud << " baud, " << c.signal.mark_hz << "/" << c.signal.space_hz << " Hz, "
      << c.signal.sample_rate << " samples/s";
}

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTest, UnreceivableSignalIsRefused) {
  const std::vector<std::int16_t> samples(800, 1000);
  QString received = QStringLiteral("untouched");
  std::string err;
  EXPECT_FALSE(ReceiveBaudot(samples, GetParam().signal, &received, &err));
  EXPECT_NE(err.find(GetParam().reason), std::string::npos) << err;
  EXPECT_EQ(received, QStringLiteral("untouched"));
  EXPECT_EQ(BaudotReceiver::Create(GetParam().signal, &err), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, RefusalTest,
    ::testing::Values(RefusalCase{{45.45, 1400, 1800, 16000},
                                  "8000 samples a second only, not at 16000"},
                      RefusalCase{{0.0, 1400, 1800, 8000}, "0 baud cannot be received"},
                      RefusalCase{{NAN, 1400, 1800, 8000}, "cannot be received"},
                      RefusalCase{{45.45, 1400, 4000, 8000}, "between 1 and 3999 Hz"},
                      RefusalCase{{45.45, 1400.2, 1399.8, 8000}, "the same tone"}));

}  // namespace
}  // namespace quillon
