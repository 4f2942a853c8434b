#include "tools/wav/samples.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tools/wav/wav_test_bytes.h"

namespace quillon::wav {
namespace {

using testing::Bytes;

uint8_t Encode(int16_t sample, SampleFormat format) {
  return EncodeSamples(std::span(&sample, 1), format).at(0);
}

int16_t Decode(uint8_t code, SampleFormat format) {
  int16_t sample = 0;
  DecodeSamples(std::span(&code, 1), format, std::span(&sample, 1));
  return sample;
}

std::vector<int16_t> EverySample() {
  std::vector<int16_t> all;
  for (int x = -32768; x <= 32767; ++x) all.push_back(static_cast<int16_t>(x));
  return all;
}

struct KnownCode {
  int16_t linear;
  uint8_t mulaw;
  uint8_t alaw;
};

// Zero, the smallest negative step and both ends of the 16-bit range, with the codes the
// G.711 reference encoders give them.
constexpr KnownCode kKnownCodes[] = {
    {0, 0xFF, 0xD5},
    {-1, 0x7F, 0x55},
    {32767, 0x80, 0xAA},
    {-32768, 0x00, 0x2A},
};

TEST(G711Test, EncodesKnownValues) {
  for (const KnownCode& known : kKnownCodes) {
    EXPECT_EQ(Encode(known.linear, SampleFormat::MuLaw), known.mulaw) << known.linear;
    EXPECT_EQ(Encode(known.linear, SampleFormat::ALaw), known.alaw) << known.linear;
  }
}

TEST(G711Test, DecodesKnownCodes) {
  EXPECT_EQ(Decode(0xFF, SampleFormat::MuLaw), 0);
  EXPECT_EQ(Decode(0x80, SampleFormat::MuLaw), 32124);
  EXPECT_EQ(Decode(0x00, SampleFormat::MuLaw), -32124);
  EXPECT_EQ(Decode(0xD5, SampleFormat::ALaw), 8);
  EXPECT_EQ(Decode(0x55, SampleFormat::ALaw), -8);
  EXPECT_EQ(Decode(0xAA, SampleFormat::ALaw), 32256);
  EXPECT_EQ(Decode(0x2A, SampleFormat::ALaw), -32256);
}

TEST(G711Test, EveryCodeSurvivesDecodeAndEncode) {
  for (int code = 0; code < 256; ++code) {
    const auto c = static_cast<uint8_t>(code);
    // mu-law has two zeros; the encoder always gives the positive one.
    EXPECT_EQ(Encode(Decode(c, SampleFormat::MuLaw), SampleFormat::MuLaw), c == 0x7F ? 0xFF : c)
        << code;
    EXPECT_EQ(Encode(Decode(c, SampleFormat::ALaw), SampleFormat::ALaw), c) << code;
  }
}

// Companding keeps the order of the samples and loses at most about 1/16 of a value
// (one step of its segment), so a tone keeps its shape and level.
TEST(G711Test, QuantisingIsMonotonicAndClose) {
  const std::vector<int16_t> all = EverySample();
  for (SampleFormat format : {SampleFormat::MuLaw, SampleFormat::ALaw}) {
    std::vector<int16_t> back(all.size());
    DecodeSamples(EncodeSamples(all, format), format, back);
    for (size_t i = 1; i < all.size(); ++i) {
      ASSERT_GE(back[i], back[i - 1]) << SampleFormatName(format) << " " << all[i];
      const int allowed = std::max(16, std::abs(all[i]) / 16);
      ASSERT_LE(std::abs(back[i] - all[i]), allowed) << SampleFormatName(format) << " " << all[i];
    }
  }
}

// The clip files must not change from one build to the next: the codes of every 16-bit
// sample, hashed (FNV-1a), are those the clip generator has always written.
TEST(G711Test, EncodesEverySampleAsTheClipsAlwaysHad) {
  for (const auto& [format, hash] :
       {std::pair{SampleFormat::MuLaw, 0xCE4A6812u}, std::pair{SampleFormat::ALaw, 0x826FE2C5u}}) {
    uint32_t h = 2166136261u;
    for (uint8_t code : EncodeSamples(EverySample(), format)) h = (h ^ code) * 16777619u;
    EXPECT_EQ(h, hash) << SampleFormatName(format);
  }
}

TEST(SampleFormatTest, PcmSamplesAreLittleEndianTwosComplement) {
  const std::vector<int16_t> samples{1, -2, 0x1234};
  const std::vector<uint8_t> data = EncodeSamples(samples, SampleFormat::Pcm16);
  EXPECT_EQ(data, (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}));
  std::vector<int16_t> back(3);
  DecodeSamples(data, SampleFormat::Pcm16, back);
  EXPECT_EQ(back, samples);
}

TEST(SampleFormatTest, NamesAndFileFormatsGoBothWays) {
  for (SampleFormat format : {SampleFormat::Pcm16, SampleFormat::MuLaw, SampleFormat::ALaw}) {
    EXPECT_EQ(SampleFormatFromName(SampleFormatName(format)), format);
    EXPECT_EQ(SampleFormatOf(FileFormat(format, 11025)), format);
  }
  EXPECT_EQ(SampleFormatFromName("PCM16"), std::nullopt);
  EXPECT_EQ(SampleFormatOf(PlainFormat(kFormatPcm, 2, 8000, 16)), std::nullopt);  // stereo
  EXPECT_EQ(SampleFormatOf(PlainFormat(kFormatPcm, 1, 8000, 8)), std::nullopt);
  EXPECT_EQ(SampleFormatOf(PlainFormat(kFormatIeeeFloat, 1, 8000, 32)), std::nullopt);
}

/// A clip file: what BuildFile writes around samples of each format, byte for byte.
struct ClipFileCase {
  SampleFormat format;
  size_t samples;
};

class ClipFileTest : public ::testing::TestWithParam<ClipFileCase> {};

TEST_P(ClipFileTest, IsTheHeaderTheDataAndThePadByte) {
  const auto [format, count] = GetParam();
  const std::vector<uint8_t> data = EncodeSamples(std::vector<int16_t>(count, 1000), format);
  const uint16_t tag = FileFormat(format, 11025).format_tag;
  const uint16_t bits = format == SampleFormat::Pcm16 ? 16 : 8;
  std::vector<Bytes> chunks = {testing::Chunk(
      "fmt ", testing::FmtBody(tag, 1, 11025, bits, {}, format != SampleFormat::Pcm16))};
  if (format != SampleFormat::Pcm16) {
    Bytes frames;
    testing::Append32(&frames, static_cast<uint32_t>(count));
    chunks.push_back(testing::Chunk("fact", frames));
  }
  chunks.push_back(testing::Chunk("data", Bytes(data.begin(), data.end())));
  const Bytes expected = testing::Riff(chunks);
  EXPECT_EQ(BuildFile(FileFormat(format, 11025), data), std::vector<uint8_t>(expected));
  EXPECT_EQ(expected.size(),
            (format == SampleFormat::Pcm16 ? 44u : 58u) + data.size() + data.size() % 2);
}

// 73 samples make an odd G.711 data chunk, which needs its pad byte.
INSTANTIATE_TEST_SUITE_P(Formats, ClipFileTest,
                         ::testing::Values(ClipFileCase{SampleFormat::Pcm16, 0},
                                           ClipFileCase{SampleFormat::Pcm16, 73},
                                           ClipFileCase{SampleFormat::MuLaw, 0},
                                           ClipFileCase{SampleFormat::MuLaw, 73},
                                           ClipFileCase{SampleFormat::MuLaw, 176},
                                           ClipFileCase{SampleFormat::ALaw, 73}));

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

/// A fresh folder, removed with what it holds.
class SampleReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/wav-samples-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string dir_;
};

TEST_F(SampleReaderTest, ReadsAnyStretchOfEveryFormatAsLinearSamples) {
  const std::vector<int16_t> samples = {0, 1000, -1000, 32767, -32768, 77, -5};
  for (SampleFormat format : {SampleFormat::Pcm16, SampleFormat::MuLaw, SampleFormat::ALaw}) {
    SCOPED_TRACE(SampleFormatName(format));
    const std::vector<uint8_t> data = EncodeSamples(samples, format);
    std::vector<int16_t> expected(samples.size());
    DecodeSamples(data, format, expected);
    SampleReader file;
    std::string err;
    ASSERT_TRUE(file.Open(Write("clip.wav", BuildFile(FileFormat(format, 8000), data)), &err))
        << err;
    EXPECT_EQ(file.format(), format);
    ASSERT_EQ(file.samples(), samples.size());
    std::vector<int16_t> all(samples.size());
    ASSERT_TRUE(file.Read(0, all, &err)) << err;
    EXPECT_EQ(all, expected);
    std::vector<int16_t> middle(3);
    ASSERT_TRUE(file.Read(2, middle, &err)) << err;
    EXPECT_EQ(middle, std::vector<int16_t>(expected.begin() + 2, expected.begin() + 5));
    EXPECT_FALSE(file.Read(5, middle, &err));  // past the end
    EXPECT_EQ(err, "its sample data cannot be read");
  }
}

TEST_F(SampleReaderTest, RefusesWhatIsNoWavFileWithTheReason) {
  mkfifo((dir_ + "/pipe.wav").c_str(), 0600);
  const struct {
    std::string path;
    const char* reason;
  } cases[] = {
      {dir_ + "/missing.wav", "No such file or directory"},
      {dir_, "it is not a regular file"},
      {dir_ + "/pipe.wav", "it is not a regular file"},
      {Write("empty.wav", {}), "too short to be a WAV file (0 bytes)"},
      {Write("text.wav", std::vector<uint8_t>(50, 'x')), "not a WAV file (no RIFF header)"},
      {Write("cut.wav", Cut(BuildFile(FileFormat(SampleFormat::Pcm16, 8000), Bytes(100)), 10)),
       "truncated: the data chunk claims 100 bytes but the file holds only 90"},
  };
  for (const auto& c : cases) {
    SampleReader file;
    std::string err;
    EXPECT_FALSE(file.Open(c.path, &err)) << c.path;
    EXPECT_EQ(err, c.reason) << c.path;
  }
}

TEST_F(SampleReaderTest, TheSamplesOfAnotherFormatAreNotRead) {
  const Bytes stereo = testing::SimpleWav(testing::FmtBody(1, 2, 8000, 16), Bytes(8));
  SampleReader file;
  std::string err;
  ASSERT_TRUE(file.Open(Write("stereo.wav", stereo), &err)) << err;
  EXPECT_EQ(file.format(), std::nullopt);
  EXPECT_EQ(file.samples(), 2u);
  std::vector<int16_t> out(2);
  EXPECT_FALSE(file.Read(0, out, &err));
}

}  // namespace
}  // namespace quillon::wav
