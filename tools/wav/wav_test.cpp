#include "tools/wav/wav.h"

#include <gtest/gtest.h>

#include <optional>

#include "tools/wav/wav_test_bytes.h"

namespace quillon::wav {
namespace {

using testing::Bytes;
using testing::Chunk;
using testing::ExtensibleFmtBody;
using testing::FmtBody;
using testing::Riff;
using testing::SimpleWav;

Layout ParseOk(const Bytes& bytes) {
  Layout info;
  std::string err;
  EXPECT_TRUE(Parse(MemorySource(bytes), &info, &err)) << err;
  return info;
}

Bytes Pcm16Fmt() {
  return FmtBody(1, 1, 8000, 16);
}

TEST(WavReaderTest, PlainPcmGivesFormatAndData) {
  const Layout info = ParseOk(SimpleWav(Pcm16Fmt(), Bytes(100)));
  EXPECT_EQ(info.format.format_tag, kFormatPcm);
  EXPECT_EQ(info.format.channels, 1);
  EXPECT_EQ(info.format.sample_rate, 8000u);
  EXPECT_EQ(info.format.bits_per_sample, 16);
  EXPECT_EQ(info.format.block_align, 2);
  EXPECT_FALSE(info.format.extensible);
  EXPECT_EQ(info.data_offset, 44u);
  EXPECT_EQ(info.data_size, 100u);
}

TEST(WavReaderTest, SkipsOddSizedListChunkAndItsPadByte) {
  const Layout info =
      ParseOk(Riff({Chunk("fmt ", Pcm16Fmt()), Chunk("LIST", Bytes(5)), Chunk("data", Bytes(8))}));
  EXPECT_EQ(info.data_offset, 12u + 24u + (8u + 5u + 1u) + 8u);
  EXPECT_EQ(info.data_size, 8u);
}

TEST(WavReaderTest, FindsFmtAfterDataAmongOtherChunks) {
  const Layout info =
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
    WavReaderTest, ParseAcceptTest,
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

TEST(WavReaderTest, ExtensibleResolvesItsSubformat) {
  const Layout info = ParseOk(SimpleWav(ExtensibleFmtBody(3, 2, 48000, 32, 32, 0x3), Bytes(16)));
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
  Layout info;
  std::string err;
  EXPECT_FALSE(Parse(MemorySource(GetParam().bytes), &info, &err));
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
    WavReaderTest, ParseRefusalTest,
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

// A file still being written, taken as far as it goes in whole blocks; what no reader can
// use is refused as before.
TEST(WavReaderTest, ShortDataCanBeTakenAsFarAsItGoes) {
  const struct {
    const char* name;
    Bytes bytes;
    std::optional<uint64_t> data_size;  // none: refused
  } cases[] = {
      {"CutInsideTheData", Cut(SimpleWav(Pcm16Fmt(), Bytes(100)), 10), 90},
      {"CutInsideASample", Cut(SimpleWav(Pcm16Fmt(), Bytes(100)), 9), 90},
      {"PartialLastBlock", SimpleWav(FmtBody(1, 2, 8000, 16), Bytes(10)), 8},
      {"Whole", SimpleWav(Pcm16Fmt(), Bytes(6)), 6},
      {"CutInsideAnotherChunk", Riff({Chunk("fmt ", Pcm16Fmt()), Chunk("LIST", Bytes(4), 40)}),
       std::nullopt},
      {"NoFmt", Riff({Chunk("data", Bytes(4))}), std::nullopt},
  };
  for (const auto& c : cases) {
    Layout info;
    std::string err;
    const bool parsed = Parse(MemorySource(c.bytes), &info, &err, ShortData::kTakeWhatIsThere);
    EXPECT_EQ(parsed, c.data_size.has_value()) << c.name << ": " << err;
    if (parsed && c.data_size) {
      EXPECT_EQ(info.data_size, *c.data_size) << c.name;
    }
  }
}

TEST(WavReaderTest, SameFormatNamesWhatDiffers) {
  Format a;
  std::string err;
  ASSERT_TRUE(ParseFmtChunk(Pcm16Fmt().data(), 16, &a, &err)) << err;
  Format b = a;
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

TEST(WavReaderTest, ExtensiblePcmMatchesPlainPcm) {
  Format plain;
  Format extensible;
  std::string err;
  ASSERT_TRUE(ParseFmtChunk(Pcm16Fmt().data(), 16, &plain, &err)) << err;
  ASSERT_TRUE(ParseFmtChunk(ExtensibleFmtBody(1, 1, 8000, 16, 16, 4).data(), 40, &extensible, &err))
      << err;
  EXPECT_TRUE(SameFormat(plain, extensible, nullptr));
  EXPECT_EQ(DescribeFormat(plain), "16-bit PCM, 1 channel, 8000 Hz");
}

// --- Writing ---

Format FormatOf(const Bytes& fmt_body) {
  Format format;
  std::string err;
  EXPECT_TRUE(ParseFmtChunk(fmt_body.data(), static_cast<uint32_t>(fmt_body.size()), &format, &err))
      << err;
  return format;
}

Bytes AsBytes(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

TEST(WavWriterTest, PlainPcmHeaderIsTheClassic44Bytes) {
  const Format pcm = FormatOf(testing::FmtBody(1, 1, 8000, 16, {}, true));  // 18-byte fmt in
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
  const Format pcm8 = FormatOf(testing::FmtBody(1, 1, 8000, 8));
  const Bytes header = AsBytes(BuildHeader(pcm8, 7));
  const Bytes expected = testing::SimpleWav(testing::FmtBody(1, 1, 8000, 8), Bytes(7));
  ASSERT_EQ(expected.size(), 44u + 8u);  // 7 data bytes and a pad byte
  EXPECT_EQ(header, Bytes(expected.begin(), expected.begin() + 44));
}

TEST(WavWriterTest, NonPcmFormatsGetAFactChunkWithTheFrameCount) {
  for (uint16_t tag : {kFormatAlaw, kFormatMulaw}) {
    const Format format = FormatOf(testing::FmtBody(tag, 2, 8000, 8));
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
  const Format pcm = FormatOf(pcm_body);
  EXPECT_FALSE(NeedsFactChunk(pcm));
  const Bytes pcm_file = testing::SimpleWav(pcm_body, Bytes(6));
  EXPECT_EQ(AsBytes(BuildHeader(pcm, 6)), Bytes(pcm_file.begin(), pcm_file.begin() + 68));

  const Bytes float_body = testing::ExtensibleFmtBody(3, 1, 8000, 32, 32, 4);
  const Format flt = FormatOf(float_body);
  EXPECT_TRUE(NeedsFactChunk(flt));
  const Bytes expected =
      testing::Riff({testing::Chunk("fmt ", float_body), testing::Chunk("fact", {3, 0, 0, 0}),
                     testing::Chunk("data", Bytes(12))});
  EXPECT_EQ(AsBytes(BuildHeader(flt, 12)), Bytes(expected.begin(), expected.begin() + 80));
}

TEST(WavWriterTest, RiffLimitIsExactlyFourGibibytesLessOne) {
  const Format pcm8 = FormatOf(testing::FmtBody(1, 1, 8000, 8));
  // RIFF size = 36 + data + pad must fit in 32 bits.
  const uint64_t largest_even = 0xFFFFFFFFull - 36 - 1;
  std::string err;
  EXPECT_TRUE(FitsRiffLimit(pcm8, largest_even, &err));
  EXPECT_FALSE(FitsRiffLimit(pcm8, largest_even + 1, &err));  // odd: its pad byte passes
  EXPECT_FALSE(FitsRiffLimit(pcm8, largest_even + 2, &err));
  EXPECT_NE(err.find("4 GiB"), std::string::npos);
  EXPECT_FALSE(FitsRiffLimit(pcm8, uint64_t{1} << 33, &err));
  const Format mulaw = FormatOf(testing::FmtBody(7, 1, 8000, 8));
  EXPECT_TRUE(FitsRiffLimit(mulaw, 0xFFFFFFFFull - 50 - 1, &err));  // 50: fmt 18 and fact
  EXPECT_FALSE(FitsRiffLimit(mulaw, 0xFFFFFFFFull - 50 + 1, &err));
}

TEST(WavWriterTest, PlainFormatComputesTheBlockAlign) {
  const Format stereo24 = PlainFormat(kFormatPcm, 2, 44100, 24);
  EXPECT_EQ(stereo24.block_align, 6);
  std::string diff;
  EXPECT_TRUE(SameFormat(stereo24, FormatOf(testing::FmtBody(1, 2, 44100, 24)), &diff)) << diff;
}

// What the writer writes, the reader reads back: same format, data where the header says.
TEST(WavWriterTest, HeadersReadBackAsWritten) {
  for (const Format& format :
       {PlainFormat(kFormatPcm, 1, 8000, 16), PlainFormat(kFormatMulaw, 1, 8000, 8),
        PlainFormat(kFormatIeeeFloat, 2, 48000, 64),
        FormatOf(testing::ExtensibleFmtBody(kFormatAlaw, 1, 8000, 8, 8, 4))}) {
    SCOPED_TRACE(DescribeFormat(format));
    const uint64_t data_size = 7u * format.block_align;
    Bytes file = AsBytes(BuildHeader(format, data_size));
    file.resize(file.size() + data_size + (data_size & 1u), 0x55);
    const Layout layout = ParseOk(file);
    std::string diff;
    EXPECT_TRUE(SameFormat(layout.format, format, &diff)) << diff;
    EXPECT_EQ(layout.format.extensible, format.extensible);
    EXPECT_EQ(layout.data_offset, HeaderSize(format));
    EXPECT_EQ(layout.data_size, data_size);
  }
}

}  // namespace
}  // namespace quillon::wav
