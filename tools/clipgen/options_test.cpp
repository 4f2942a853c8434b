#include "tools/clipgen/options.h"

#include <vector>

#include <gtest/gtest.h>

namespace quillon::clipgen {
namespace {

bool Parse(std::vector<std::string_view> args, Options* options, std::string* err) {
  std::vector<std::string> words = {"quillon-clipgen"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  return ParseOptions(static_cast<int>(words.size()), argv.data(), options, err);
}

TEST(OptionsTest, DefaultsAreEightKilohertzPcmAtMinusTen) {
  Options options;
  std::string err;
  ASSERT_TRUE(Parse({"--out", "dir"}, &options, &err)) << err;
  EXPECT_EQ(options.format, wav::SampleFormat::Pcm16);
  EXPECT_EQ(options.sample_rate, 8000);
  EXPECT_DOUBLE_EQ(options.level_dbm0, -10.0);
  EXPECT_EQ(options.out, "dir");
}

TEST(OptionsTest, TakesValuesInBothSpellings) {
  Options options;
  std::string err;
  ASSERT_TRUE(Parse({"--format=alaw", "--sample-rate", "16000", "--level=-13.5", "--out=d"},
                    &options, &err))
      << err;
  EXPECT_EQ(options.format, wav::SampleFormat::ALaw);
  EXPECT_EQ(options.sample_rate, 16000);
  EXPECT_DOUBLE_EQ(options.level_dbm0, -13.5);
  EXPECT_EQ(options.out, "d");
}

TEST(OptionsTest, ValuesMayStartWithADash) {
  Options options;
  std::string err;
  ASSERT_TRUE(Parse({"--level", "-3", "--out", "-d"}, &options, &err)) << err;
  EXPECT_DOUBLE_EQ(options.level_dbm0, -3.0);
  EXPECT_EQ(options.out, "-d");
}

TEST(OptionsTest, HelpAndVersionNeedNoFolder) {
  Options options;
  std::string err;
  ASSERT_TRUE(Parse({"--help"}, &options, &err)) << err;
  EXPECT_TRUE(options.help);
  options = {};
  ASSERT_TRUE(Parse({"-h"}, &options, &err)) << err;
  EXPECT_TRUE(options.help);
  ASSERT_TRUE(Parse({"--version"}, &options, &err)) << err;
  EXPECT_TRUE(options.version);
}

struct BadLine {
  std::vector<std::string_view> args;
  std::string_view complaint;  // part of the message
};

void PrintTo(const BadLine& line, std::ostream* os) {
  if (line.args.empty()) *os << "(no arguments)";
  for (std::string_view arg : line.args) *os << arg << ' ';
}

class BadOptionsTest : public ::testing::TestWithParam<BadLine> {};

TEST_P(BadOptionsTest, IsRefusedWithAMessageNamingTheProblem) {
  Options options;
  std::string err;
  EXPECT_FALSE(Parse(GetParam().args, &options, &err));
  EXPECT_NE(err.find(GetParam().complaint), std::string::npos) << err;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadOptionsTest,
    ::testing::Values(BadLine{{}, "missing --out"}, BadLine{{"--out"}, "--out wants a value"},
                      BadLine{{"--out="}, "--out wants a folder"},
                      BadLine{{"--format", "ulaw", "--out", "d"}, "not 'ulaw'"},
                      BadLine{{"--sample-rate", "8k", "--out", "d"}, "not '8k'"},
                      BadLine{{"--sample-rate", "1000", "--out", "d"}, "4000 to 192000"},
                      BadLine{{"--level", "6", "--out", "d"}, "-60 to 3"},
                      BadLine{{"--level", "nan", "--out", "d"}, "not 'nan'"},
                      BadLine{{"--level", "-10dB", "--out", "d"}, "not '-10dB'"},
                      BadLine{{"--rate=50", "--out", "d"}, "unknown option '--rate=50'"},
                      BadLine{{"d"}, "unknown option 'd'"},
                      BadLine{{"--out", "d", "extra"}, "unknown option 'extra'"},
                      BadLine{{"-x", "--out", "d"}, "unknown option '-x'"},
                      BadLine{{"--help=1"}, "unknown option '--help=1'"},
                      BadLine{{"--sample-rate"}, "--sample-rate wants a value"},
                      BadLine{{"--out", "d", "--level"}, "--level wants a value"}));

}  // namespace
}  // namespace quillon::clipgen
