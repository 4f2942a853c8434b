#include "tools/clipgen/wav_file.h"

#include <gtest/gtest.h>

#include "tools/clipgen/test_util.h"

namespace quillon::clipgen {
namespace {

struct HeaderCase {
  SampleFormat format;
  uint16_t tag;
  uint16_t bits;
  std::vector<std::string> chunks;
  uint32_t header_size;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
  *os << FormatName(c.format);
}

class WavHeaderTest : public ::testing::TestWithParam<std::tuple<HeaderCase, int>> {};

TEST_P(WavHeaderTest, FieldsAndSizesAgreeWithTheData) {
  const auto& [expected, sample_count] = GetParam();
  testing::TempDir dir;
  const std::vector<int16_t> samples(sample_count, 1000);
  const std::vector<uint8_t> data = EncodeSamples(samples, expected.format);
  testing::WriteBytes(dir.path() / "t.wav", MakeWav(data, expected.format, 11025));
  const testing::WavInfo wav = testing::ReadWav(dir.path() / "t.wav");

  const uint32_t block = expected.bits / 8;
  const uint32_t data_size = sample_count * block;
  EXPECT_EQ(wav.chunks, expected.chunks);
  EXPECT_EQ(wav.file_size, expected.header_size + data_size + data_size % 2);
  EXPECT_EQ(wav.riff_size, wav.file_size - 8);
  EXPECT_EQ(wav.tag, expected.tag);
  EXPECT_EQ(wav.channels, 1);
  EXPECT_EQ(wav.sample_rate, 11025u);
  EXPECT_EQ(wav.byte_rate, 11025u * block);
  EXPECT_EQ(wav.block_align, block);
  EXPECT_EQ(wav.bits, expected.bits);
  EXPECT_EQ(wav.data, data);
  EXPECT_EQ(testing::Samples(wav, expected.format).size(), static_cast<size_t>(sample_count));
  if (expected.format != SampleFormat::kPcm16) {
    EXPECT_EQ(wav.fact_samples, static_cast<uint32_t>(sample_count));
  }
}

const HeaderCase kPcm{SampleFormat::kPcm16, 1, 16, {"fmt ", "data"}, 44};
const HeaderCase kMulaw{SampleFormat::kMulaw, 7, 8, {"fmt ", "fact", "data"}, 58};
const HeaderCase kAlaw{SampleFormat::kAlaw, 6, 8, {"fmt ", "fact", "data"}, 58};

// 73 samples make an odd G.711 data chunk, which needs its pad byte.
INSTANTIATE_TEST_SUITE_P(Formats, WavHeaderTest,
                         ::testing::Combine(::testing::Values(kPcm, kMulaw, kAlaw),
                                            ::testing::Values(0, 73, 176)));

TEST(WavFileTest, PcmSamplesAreLittleEndianTwosComplement) {
  const std::vector<int16_t> samples{1, -2, 0x1234};
  EXPECT_EQ(EncodeSamples(samples, SampleFormat::kPcm16),
            (std::vector<uint8_t>{0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}));
}

}  // namespace
}  // namespace quillon::clipgen
