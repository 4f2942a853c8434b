#include "tools/wavcat/wav_writer.h"

#include <gtest/gtest.h>

#include "tools/wavcat/wavcat_test_util.h"

namespace quillon::wavcat {
namespace {

using testing::Bytes;

WavFormat Format(const Bytes& fmt_body) {
  WavFormat format;
  std::string err;
  EXPECT_TRUE(ParseFmtChunk(fmt_body.data(), static_cast<uint32_t>(fmt_body.size()), &format, &err))
      << err;
  return format;
}

Bytes AsBytes(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

TEST(WavWriterTest, PlainPcmHeaderIsTheClassic44Bytes) {
  const WavFormat pcm = Format(testing::FmtBody(1, 1, 8000, 16, {}, true));  // 18-byte fmt in
  const Bytes header = AsBytes(BuildHeader(pcm, 1000));
  Bytes expected = {'R', 'I', 'F', 'F'};
  testing::Append32(&expected, 36 + 1000);
  expected.insert(expected.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  testing::Append32(&expected, 16);
  const Bytes fmt = testing::FmtBody(1, 1, 8000, 16);
  expected.insert(expected.end(), fmt.begin(), fmt.end());
  expected.insert(expected.end(), {'d', 'a', 't', 'a'});
  testing::Append32(&expected, 1000);
  EXPECT_EQ(header, expected);
  EXPECT_EQ(HeaderSize(pcm), 44u);
  EXPECT_FALSE(NeedsFactChunk(pcm));
}

TEST(WavWriterTest, OddDataCountsItsPadByteInTheRiffSize) {
  const WavFormat pcm8 = Format(testing::FmtBody(1, 1, 8000, 8));
  const Bytes header = AsBytes(BuildHeader(pcm8, 7));
  const Bytes expected = testing::SimpleWav(testing::FmtBody(1, 1, 8000, 8), Bytes(7));
  ASSERT_EQ(expected.size(), 44u + 8u);  // 7 data bytes and a pad byte
  EXPECT_EQ(header, Bytes(expected.begin(), expected.begin() + 44));
}

TEST(WavWriterTest, NonPcmFormatsGetAFactChunkWithTheFrameCount) {
  for (uint16_t tag : {kFormatAlaw, kFormatMulaw}) {
    const WavFormat format = Format(testing::FmtBody(tag, 2, 8000, 8));
    EXPECT_TRUE(NeedsFactChunk(format));
    const Bytes header = AsBytes(BuildHeader(format, 600));
    const Bytes expected =
        testing::Riff({testing::Chunk("fmt ", testing::FmtBody(tag, 2, 8000, 8, {}, true)),
                       testing::Chunk("fact", {0x2C, 0x01, 0, 0}),  // 300 frames of 2 bytes
                       testing::Chunk("data", Bytes(600))});
    EXPECT_EQ(header, Bytes(expected.begin(), expected.begin() + 58));
    EXPECT_EQ(HeaderSize(format), 58u);
  }
}

TEST(WavWriterTest, ExtensibleKeepsItsFormAndFollowsTheSubformat) {
  const Bytes pcm_body = testing::ExtensibleFmtBody(1, 2, 44100, 24, 20, 3);
  const WavFormat pcm = Format(pcm_body);
  EXPECT_FALSE(NeedsFactChunk(pcm));
  const Bytes pcm_file = testing::SimpleWav(pcm_body, Bytes(6));
  EXPECT_EQ(AsBytes(BuildHeader(pcm, 6)), Bytes(pcm_file.begin(), pcm_file.begin() + 68));

  const Bytes float_body = testing::ExtensibleFmtBody(3, 1, 8000, 32, 32, 4);
  const WavFormat flt = Format(float_body);
  EXPECT_TRUE(NeedsFactChunk(flt));
  const Bytes expected =
      testing::Riff({testing::Chunk("fmt ", float_body), testing::Chunk("fact", {3, 0, 0, 0}),
                     testing::Chunk("data", Bytes(12))});
  EXPECT_EQ(AsBytes(BuildHeader(flt, 12)), Bytes(expected.begin(), expected.begin() + 80));
}

TEST(WavWriterTest, RiffLimitIsExactlyFourGibibytesLessOne) {
  const WavFormat pcm8 = Format(testing::FmtBody(1, 1, 8000, 8));
  // RIFF size = 36 + data + pad must fit in 32 bits.
  const uint64_t largest_even = 0xFFFFFFFFull - 36 - 1;
  std::string err;
  EXPECT_TRUE(FitsRiffLimit(pcm8, largest_even, &err));
  EXPECT_FALSE(FitsRiffLimit(pcm8, largest_even + 1, &err));  // odd: its pad byte passes
  EXPECT_FALSE(FitsRiffLimit(pcm8, largest_even + 2, &err));
  EXPECT_NE(err.find("4 GiB"), std::string::npos);
  EXPECT_FALSE(FitsRiffLimit(pcm8, uint64_t{1} << 33, &err));
  const WavFormat mulaw = Format(testing::FmtBody(7, 1, 8000, 8));
  EXPECT_TRUE(FitsRiffLimit(mulaw, 0xFFFFFFFFull - 50 - 1, &err));  // 50: fmt 18 and fact
  EXPECT_FALSE(FitsRiffLimit(mulaw, 0xFFFFFFFFull - 50 + 1, &err));
}

}  // namespace
}  // namespace quillon::wavcat
