#include "tools/wavcat/wav_file.h"

#include <gtest/gtest.h>

#include "tools/wavcat/wavcat_test_util.h"

namespace quillon::wavcat {
namespace {

using testing::Bytes;
using testing::Chunk;
using testing::ExtensibleFmtBody;
using testing::FmtBody;
using testing::Riff;
using testing::SimpleWav;

WavInfo ParseOk(const Bytes& bytes) {
  WavInfo info;
  std::string err;
  EXPECT_TRUE(ParseWav(MemorySource(bytes), &info, &err)) << err;
  return info;
}

Bytes Pcm16Fmt() {
  return FmtBody(1, 1, 8000, 16);
}

TEST(WavFileTest, PlainPcmGivesFormatAndData) {
  const WavInfo info = ParseOk(SimpleWav(Pcm16Fmt(), Bytes(100)));
  EXPECT_EQ(info.format.format_tag, kFormatPcm);
  EXPECT_EQ(info.format.channels, 1);
  EXPECT_EQ(info.format.sample_rate, 8000u);
  EXPECT_EQ(info.format.bits_per_sample, 16);
  EXPECT_EQ(info.format.block_align, 2);
  EXPECT_FALSE(info.format.extensible);
  EXPECT_EQ(info.data_offset, 44u);
  EXPECT_EQ(info.data_size, 100u);
}

TEST(WavFileTest, SkipsOddSizedListChunkAndItsPadByte) {
  const WavInfo info =
      ParseOk(Riff({Chunk("fmt ", Pcm16Fmt()), Chunk("LIST", Bytes(5)), Chunk("data", Bytes(8))}));
  EXPECT_EQ(info.data_offset, 12u + 24u + (8u + 5u + 1u) + 8u);
  EXPECT_EQ(info.data_size, 8u);
}

TEST(WavFileTest, FindsFmtAfterDataAmongOtherChunks) {
  const WavInfo info =
      ParseOk(Riff({Chunk("JUNK", Bytes(3)), Chunk("data", Bytes(4)), Chunk("fact", Bytes(4)),
                    Chunk("fmt ", FmtBody(1, 2, 8000, 8))}));
  EXPECT_EQ(info.format.channels, 2);
  EXPECT_EQ(info.data_offset, 12u + 12u + 8u);
  EXPECT_EQ(info.data_size, 4u);
}

/// Files that must parse, and the data size they give.
struct GoodCase {
  const char* name;
  Bytes bytes;
  uint64_t data_size;
};

class ParseAcceptTest : public ::testing::TestWithParam<GoodCase> {};

TEST_P(ParseAcceptTest, GivesTheDataSize) {
  EXPECT_EQ(ParseOk(GetParam().bytes).data_size, GetParam().data_size);
}

Bytes WithTail(Bytes bytes, const Bytes& tail) {
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    WavFileTest, ParseAcceptTest,
    ::testing::Values(
        GoodCase{"OddEightBitData", SimpleWav(FmtBody(1, 1, 8000, 8), Bytes(7)), 7},
        GoodCase{"FinalDataWithoutItsPadByte",
                 Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Bytes(7), {}, false)}),
                 7},
        GoodCase{"BytesAfterDataThatAreNoChunk",
                 WithTail(SimpleWav(Pcm16Fmt(), Bytes(4)), {'I', 'D', '3'}), 4},
        GoodCase{"WrongRiffSize", Riff({Chunk("fmt ", Pcm16Fmt()), Chunk("data", Bytes(6))}, 0), 6},
        GoodCase{
            "StreamingSizeRunsToEndOfFile",
            Riff({Chunk("fmt ", Pcm16Fmt()), Chunk("data", Bytes(12), 0xFFFFFFFF)}, 0xFFFFFFFF),
            12},
        GoodCase{"ZeroDataSizeIsAnEmptyClip",
                 WithTail(Riff({Chunk("fmt ", Pcm16Fmt()), Chunk("data", Bytes())}), Bytes(6, 1)),
                 0},
        GoodCase{"Pcm24WithCbSize", SimpleWav(FmtBody(1, 2, 8000, 24, {}, true), Bytes(12)), 12},
        GoodCase{"Pcm32", SimpleWav(FmtBody(1, 1, 8000, 32), Bytes(8)), 8},
        GoodCase{"Float32", SimpleWav(FmtBody(3, 1, 8000, 32, {}, true), Bytes(8)), 8},
        GoodCase{"Float64", SimpleWav(FmtBody(3, 1, 8000, 64, {}, true), Bytes(16)), 16},
        GoodCase{"Alaw", SimpleWav(FmtBody(6, 1, 8000, 8, {}, true), Bytes(3)), 3},
        GoodCase{"Mulaw", SimpleWav(FmtBody(7, 1, 8000, 8, {}, true), Bytes(3)), 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WavFileTest, ExtensibleResolvesItsSubformat) {
  const WavInfo info = ParseOk(SimpleWav(ExtensibleFmtBody(3, 2, 48000, 32, 32, 0x3), Bytes(16)));
  EXPECT_TRUE(info.format.extensible);
  EXPECT_EQ(info.format.format_tag, kFormatIeeeFloat);
  EXPECT_EQ(info.format.channels, 2);
  EXPECT_EQ(info.format.valid_bits, 32);
  EXPECT_EQ(info.format.channel_mask, 0x3u);
}

/// Files that must be refused, and a fragment of the reason given.
struct BadCase {
  const char* name;
  Bytes bytes;
  const char* reason;
};

class ParseRefusalTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(ParseRefusalTest, NamesTheReason) {
  WavInfo info;
  std::string err;
  EXPECT_FALSE(ParseWav(MemorySource(GetParam().bytes), &info, &err));
  EXPECT_NE(err.find(GetParam().reason), std::string::npos) << err;
}

Bytes Patched(Bytes bytes, size_t at, const std::string& text) {
  std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  return bytes;
}

Bytes Cut(Bytes bytes, size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

const Bytes kGood = SimpleWav(Pcm16Fmt(), Bytes(2));

INSTANTIATE_TEST_SUITE_P(
    WavFileTest, ParseRefusalTest,
    ::testing::Values(
        BadCase{"TooShort", Bytes{'R', 'I'}, "too short"},
        BadCase{"NotRiff", Bytes(64, 'x'), "no RIFF header"},
        BadCase{"NotWave", Patched(kGood, 8, "AVI "), "'AVI '"},
        BadCase{"Rifx", Patched(kGood, 0, "RIFX"), "RIFX"},
        BadCase{"Rf64", Patched(kGood, 0, "RF64"), "RF64"},
        BadCase{"NoFmt", Riff({Chunk("data", Bytes(4))}), "no fmt chunk"},
        BadCase{"NoChunks", Riff({}), "no fmt chunk"},
        BadCase{"NoData", Riff({Chunk("fmt ", Pcm16Fmt())}), "no data chunk"},
        BadCase{"FmtTooShort", SimpleWav(Bytes(14), Bytes(2)), "fmt chunk too short"},
        BadCase{"ExtensibleFmtTooShort",
                SimpleWav(Cut(ExtensibleFmtBody(1, 1, 8000, 16, 16, 4), 16), Bytes(2)),
                "extensible fmt chunk too short"},
        BadCase{"ExtensibleUnknownGuid",
                SimpleWav(Patched(ExtensibleFmtBody(1, 1, 8000, 16, 16, 4), 39, "x"), Bytes(2)),
                "subformat"},
        BadCase{"BlockAlignZero", SimpleWav(FmtBody(1, 1, 8000, 16, 0), Bytes(2)),
                "block align of 0"},
        BadCase{"NoChannels", SimpleWav(FmtBody(1, 0, 8000, 16, 2), Bytes(2)), "0 channels"},
        BadCase{"NoSampleRate", SimpleWav(FmtBody(1, 1, 0, 16), Bytes(2)), "sample rate of 0"},
        BadCase{"BlockAlignWrong", SimpleWav(FmtBody(1, 2, 8000, 16, 2), Bytes(4)), "need 4"},
        BadCase{"Adpcm", SimpleWav(FmtBody(2, 1, 8000, 4, 256), Bytes(256)), "tag 0x0002"},
        BadCase{"Pcm12", SimpleWav(FmtBody(1, 1, 8000, 12, 2), Bytes(2)), "12-bit PCM"},
        BadCase{"Float16", SimpleWav(FmtBody(3, 1, 8000, 16), Bytes(2)), "16-bit IEEE float"},
        BadCase{"Mulaw16", SimpleWav(FmtBody(7, 1, 8000, 16), Bytes(2)), "16-bit mu-law"},
        BadCase{"DataLongerThanFile",
                Riff({Chunk("fmt ", Pcm16Fmt()), Chunk("data", Bytes(10), 1000)}),
                "data chunk claims 1000 bytes"},
        BadCase{"ChunkLongerThanFile",
                Riff({Chunk("fmt ", Pcm16Fmt()), Chunk("LIST", Bytes(10), 500)}),
                "'LIST' chunk claims 500"},
        BadCase{"FmtCutOff", Cut(Riff({Chunk("fmt ", Pcm16Fmt())}), 6), "truncated"},
        BadCase{"EndsInChunkHeader", WithTail(Riff({Chunk("fmt ", Pcm16Fmt())}), {'d', 'a'}),
                "inside a chunk header"},
        BadCase{"PartialSample", SimpleWav(Pcm16Fmt(), Bytes(5)), "whole number"},
        BadCase{"PartialFrame", SimpleWav(FmtBody(1, 2, 8000, 24), Bytes(14)), "6-byte blocks"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WavFileTest, SameFormatNamesWhatDiffers) {
  WavFormat a;
  std::string err;
  ASSERT_TRUE(ParseFmtChunk(Pcm16Fmt().data(), 16, &a, &err)) << err;
  WavFormat b = a;
  std::string diff;
  EXPECT_TRUE(SameFormat(a, b, &diff));
  b.sample_rate = 16000;
  EXPECT_FALSE(SameFormat(a, b, &diff));
  EXPECT_EQ(diff, "sample rate");
  b = a;
  b.channels = 2;
  EXPECT_FALSE(SameFormat(a, b, &diff));
  EXPECT_EQ(diff, "channels");
  b = a;
  b.format_tag = kFormatMulaw;
  b.bits_per_sample = 8;
  b.block_align = 1;
  EXPECT_FALSE(SameFormat(a, b, &diff));
  EXPECT_EQ(diff, "format, bits per sample, block align");
}

TEST(WavFileTest, ExtensiblePcmMatchesPlainPcm) {
  WavFormat plain;
  WavFormat extensible;
  std::string err;
  ASSERT_TRUE(ParseFmtChunk(Pcm16Fmt().data(), 16, &plain, &err)) << err;
  ASSERT_TRUE(ParseFmtChunk(ExtensibleFmtBody(1, 1, 8000, 16, 16, 4).data(), 40, &extensible, &err))
      << err;
  EXPECT_TRUE(SameFormat(plain, extensible, nullptr));
  EXPECT_EQ(DescribeFormat(plain), "16-bit PCM, 1 channel, 8000 Hz");
}

}  // namespace
}  // namespace quillon::wavcat
