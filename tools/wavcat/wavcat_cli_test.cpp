// End-to-end tests: the real wavcat program on real files in a scratch folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>

#include "tools/wavcat/wavcat_test_util.h"

namespace quillon::wavcat {
namespace {

using testing::Bytes;
using testing::Chunk;
using testing::FmtBody;
using testing::Pattern;
using testing::ReadFile;
using testing::Riff;
using testing::RunResult;
using testing::SimpleWav;
using testing::TempDir;
using testing::WriteFile;

constexpr int kOk = 0;
constexpr int kBadInput = 1;
constexpr int kUsage = 2;
constexpr int kOutputFailed = 3;

/// Runs the built wavcat in a fresh scratch folder, which is its working directory.
class WavcatCliTest : public ::testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args) {
    return testing::RunWavcatProgram(args, dir_.path());
  }
  /// Writes a 16-bit mono 8 kHz PCM clip `name` with `n` bytes of sample data; returns the data.
  Bytes Clip(const std::string& name, size_t n, unsigned seed, uint32_t rate = 8000) {
    const Bytes data = Pattern(n, seed);
    WriteFile(dir_ / name, SimpleWav(FmtBody(1, 1, rate, 16), data));
    return data;
  }
  Bytes Pcm16(const Bytes& data) { return SimpleWav(FmtBody(1, 1, 8000, 16), data); }
  Bytes Read(const std::string& name) { return ReadFile(dir_ / name); }

  TempDir dir_;
};

TEST_F(WavcatCliTest, JoinsInputsInOrderByteForByteUnderAPlainHeader) {
  const Bytes a = Clip("a.wav", 300, 1);
  const Bytes b = Clip("b.wav", 1000, 2);
  const Bytes c = Clip("c.wav", 2, 3);
  const RunResult r = Run({"a.wav", "b.wav", "c.wav", "a.wav", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(Read("out.wav"), Pcm16(testing::Concat({a, b, c, a})));
}

TEST_F(WavcatCliTest, PlainPcmOutputDropsExtraChunksAndAnOversizedFmt) {
  const Bytes data = Pattern(64, 4);
  WriteFile(dir_ / "tagged.wav",
            Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16, {}, true)), Chunk("LIST", Bytes(9)),
                  Chunk("data", data), Chunk("cue ", Bytes(4))}));
  const RunResult r = Run({"tagged.wav", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(data));
  EXPECT_EQ(Read("out.wav").size(), 44u + 64u);
}

TEST_F(WavcatCliTest, OddSizedChunksAndOddEightBitData) {
  const Bytes a = Pattern(7, 5);
  const Bytes b = Pattern(6, 6);
  WriteFile(dir_ / "a.wav", Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("LIST", Bytes(5)),
                                  Chunk("data", a)}));
  WriteFile(dir_ / "b.wav", SimpleWav(FmtBody(1, 1, 8000, 8), b));
  const RunResult r = Run({"a.wav", "b.wav", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  const Bytes out = Read("out.wav");
  EXPECT_EQ(out, SimpleWav(FmtBody(1, 1, 8000, 8), testing::Concat({a, b})));
  EXPECT_EQ(out.size(), 44u + 13u + 1u);  // 13 data bytes and their pad byte
  EXPECT_EQ(out.back(), 0);
}

TEST_F(WavcatCliTest, NonPcmFormatsGetACorrectFactChunk) {
  struct Case {
    uint16_t tag;
    uint16_t bits;
    uint16_t channels;
  };
  for (const Case c : {Case{3, 32, 1}, Case{3, 64, 2}, Case{6, 8, 1}, Case{7, 8, 1}}) {
    SCOPED_TRACE(c.tag);
    const Bytes fmt = FmtBody(c.tag, c.channels, 8000, c.bits, {}, true);
    const Bytes a = Pattern(c.channels * c.bits / 8 * 5u, 7);
    const Bytes b = Pattern(c.channels * c.bits / 8 * 8u, 8);
    WriteFile(dir_ / "a.wav",
              Riff({Chunk("fmt ", fmt), Chunk("fact", {5, 0, 0, 0}), Chunk("data", a)}));
    WriteFile(dir_ / "b.wav", Riff({Chunk("fmt ", fmt), Chunk("data", b)}));
    const RunResult r = Run({"a.wav", "b.wav", "out.wav"});
    ASSERT_EQ(r.status, kOk) << r.err;
    EXPECT_EQ(Read("out.wav"), Riff({Chunk("fmt ", fmt), Chunk("fact", {13, 0, 0, 0}),
                                     Chunk("data", testing::Concat({a, b}))}));
  }
}

TEST_F(WavcatCliTest, ExtensibleInputsKeepTheExtensibleForm) {
  const Bytes fmt = testing::ExtensibleFmtBody(1, 2, 8000, 24, 24, 3);
  const Bytes a = Pattern(12, 9);
  const Bytes b = Pattern(6, 10);
  WriteFile(dir_ / "a.wav", SimpleWav(fmt, a));
  WriteFile(dir_ / "b.wav", SimpleWav(FmtBody(1, 2, 8000, 24), b));  // same format, plain form
  const RunResult r = Run({"a.wav", "b.wav", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), SimpleWav(fmt, testing::Concat({a, b})));

  const Bytes float_fmt = testing::ExtensibleFmtBody(3, 1, 8000, 32, 32, 4);
  WriteFile(dir_ / "f.wav", SimpleWav(float_fmt, a));
  const RunResult f = Run({"f.wav", "f.wav", "fout.wav"});
  ASSERT_EQ(f.status, kOk) << f.err;
  EXPECT_EQ(Read("fout.wav"), Riff({Chunk("fmt ", float_fmt), Chunk("fact", {6, 0, 0, 0}),
                                    Chunk("data", testing::Concat({a, a}))}));
}

TEST_F(WavcatCliTest, StreamedInputRunsToItsEnd) {
  const Bytes a = Pattern(10, 11);
  WriteFile(
      dir_ / "stream.wav",
      Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16)), Chunk("data", a, 0xFFFFFFFF)}, 0xFFFFFFFF));
  const RunResult r = Run({"stream.wav", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(a));
}

TEST_F(WavcatCliTest, OutputOfOneRunIsTheFirstInputOfTheNext) {
  const Bytes a = Clip("a.wav", 100, 12);
  const Bytes b = Clip("b.wav", 200, 13);
  const Bytes c = Clip("c.wav", 50, 14);
  ASSERT_EQ(Run({"a.wav", "b.wav", "MultiWAVChunk1.wav"}).status, kOk);
  const RunResult r =
      Run({"\"" + (dir_ / "MultiWAVChunk1.wav") + "\"", "c.wav", "\"" + (dir_ / "out.wav") + "\""});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(testing::Concat({a, b, c})));
}

TEST_F(WavcatCliTest, OutputMayBeOneOfTheInputs) {
  const Bytes a = Clip("a.wav", 100, 15);
  const Bytes b = Clip("b.wav", 40, 16);
  ASSERT_EQ(Run({"a.wav", "b.wav", "chunk.wav"}).status, kOk);
  const RunResult r = Run({"chunk.wav", "a.wav", "chunk.wav", "chunk.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  const Bytes ab = testing::Concat({a, b});
  EXPECT_EQ(Read("chunk.wav"), Pcm16(testing::Concat({ab, a, ab})));
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"a.wav", "b.wav", "chunk.wav"}));
}

TEST_F(WavcatCliTest, InputsAreFoundWithoutRegardToCase) {
  const Bytes ltrs = Clip("LTRS.wav", 20, 17);
  const Bytes a = Clip("a.wav", 30, 18);
  const RunResult r = Run({"ltrs.WAV", "A.WAV", "LTRS.WAV", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(testing::Concat({ltrs, a, ltrs})));
}

TEST_F(WavcatCliTest, SeveralNamesInOtherCasesAreAmbiguous) {
  Clip("x.wav", 2, 19);
  Clip("X.wav", 2, 20);
  const RunResult r = Run({"x.WAV", "out.wav"});
  EXPECT_EQ(r.status, kBadInput);
  EXPECT_NE(r.err.find("x.WAV"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ambiguous"), std::string::npos) << r.err;
}

TEST_F(WavcatCliTest, OutputInAnotherCaseReplacesThatFile) {
  const Bytes a = Clip("a.wav", 8, 21);
  Clip("x.wav", 4, 22);
  const RunResult r = Run({"a.wav", "X.WAV"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"a.wav", "x.wav"}));
  EXPECT_EQ(Read("x.wav"), Pcm16(a));
}

TEST_F(WavcatCliTest, ReadOnlyPreviousOutputIsReplacedWithNormalPermissions) {
  const Bytes a = Clip("a.wav", 8, 23);
  Clip("out.wav", 4, 24);
  ASSERT_EQ(chmod((dir_ / "out.wav").c_str(), 0444), 0);
  const RunResult r = Run({"a.wav", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(a));
  const mode_t mask = umask(0);
  umask(mask);
  struct stat st;
  ASSERT_EQ(stat((dir_ / "out.wav").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST_F(WavcatCliTest, SymbolicLinkAsOutputIsKeptAndItsTargetReplaced) {
  const Bytes a = Clip("a.wav", 8, 25);
  Clip("target.wav", 4, 26);
  ASSERT_EQ(symlink("target.wav", (dir_ / "link.wav").c_str()), 0);
  const RunResult r = Run({"a.wav", "link.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  struct stat st;
  ASSERT_EQ(lstat((dir_ / "link.wav").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(Read("target.wav"), Pcm16(a));
}

TEST_F(WavcatCliTest, MissingInputIsNamedAndNothingIsWritten) {
  Clip("a.wav", 8, 27);
  const RunResult r = Run({"a.wav", "nosuch.wav", "out.wav"});
  EXPECT_EQ(r.status, kBadInput);
  EXPECT_NE(r.err.find("nosuch.wav"), std::string::npos) << r.err;
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"a.wav"});
}

TEST_F(WavcatCliTest, MismatchedFormatsAreRefusedAndThePreviousOutputKept) {
  Clip("a.wav", 8, 28);
  Clip("b.wav", 8, 29, 16000);
  const Bytes before = Clip("out.wav", 4, 30);
  const RunResult r = Run({"a.wav", "b.wav", "out.wav"});
  EXPECT_EQ(r.status, kBadInput);
  EXPECT_NE(r.err.find("b.wav"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("sample rate"), std::string::npos) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(before));
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"a.wav", "b.wav", "out.wav"}));
}

TEST_F(WavcatCliTest, MalformedAndTruncatedInputsAreRefused) {
  Clip("a.wav", 8, 31);
  WriteFile(dir_ / "text.wav", Bytes(100, 'x'));
  WriteFile(dir_ / "cut.wav",
            Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16)), Chunk("data", Bytes(8), 80)}));
  ASSERT_EQ(mkdir((dir_ / "folder.wav").c_str(), 0777), 0);
  for (const char* bad : {"text.wav", "cut.wav", "folder.wav"}) {
    const RunResult r = Run({"a.wav", bad, "out.wav"});
    EXPECT_EQ(r.status, kBadInput) << bad;
    EXPECT_EQ(r.err.rfind(std::string("wavcat: ") + bad + ": ", 0), 0u) << r.err;
  }
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"a.wav", "cut.wav", "folder.wav", "text.wav"}));
}

TEST_F(WavcatCliTest, FailedWriteLeavesThePreviousOutputAndNoTemporaryFile) {
  Clip("big.wav", 400000, 32);
  const Bytes before = Clip("out.wav", 4, 33);
  const RunResult r =
      testing::RunWavcatProgram({"big.wav", "big.wav", "out.wav"}, dir_.path(), rlim_t{300000});
  EXPECT_EQ(r.status, kOutputFailed);
  EXPECT_NE(r.err.find("out.wav"), std::string::npos) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(before));
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"big.wav", "out.wav"}));
}

TEST_F(WavcatCliTest, TerminatedRunRemovesItsTemporaryFile) {
  // A sparse input of 2 GB: the run lasts long enough to be stopped while it writes.
  const Bytes header =
      Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16)), Chunk("data", {}, 2000000000u)});
  WriteFile(dir_ / "long.wav", header);
  ASSERT_EQ(truncate((dir_ / "long.wav").c_str(), 44 + 2000000000LL), 0);
  const Bytes before = Clip("out.wav", 4, 35);
  const pid_t pid = testing::StartWavcatProgram({"long.wav", "out.wav"}, dir_.path());
  ASSERT_GT(pid, 0);
  bool seen = false;
  for (int i = 0; i < 5000 && !seen; ++i) {
    for (const std::string& name : dir_.Names()) seen = seen || name.rfind(".wavcat-", 0) == 0;
    if (!seen) usleep(1000);
  }
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"long.wav", "out.wav"}));
  EXPECT_EQ(Read("out.wav"), Pcm16(before));
}

TEST_F(WavcatCliTest, OutputThatCannotBeWrittenIsRefused) {
  Clip("a.wav", 8, 34);
  ASSERT_EQ(mkdir((dir_ / "sub").c_str(), 0777), 0);
  for (const char* out : {"sub", "sub/", "nowhere/out.wav"}) {
    const RunResult r = Run({"a.wav", out});
    EXPECT_EQ(r.status, kOutputFailed) << out;
    EXPECT_NE(r.err.find(out), std::string::npos) << r.err;
  }
}

TEST_F(WavcatCliTest, JoinedDataPastFourGibibytesIsRefusedBeforeWriting) {
  // Two sparse inputs of 2 GiB of sample data each: no disk space used.
  for (const char* name : {"a.wav", "b.wav"}) {
    const Bytes header =
        Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16)), Chunk("data", {}, 0x80000000u)});
    WriteFile(dir_ / name, header);
    ASSERT_EQ(truncate((dir_ / name).c_str(), 44 + 0x80000000LL), 0);
  }
  const RunResult r = Run({"a.wav", "b.wav", "out.wav"});
  EXPECT_EQ(r.status, kBadInput);
  EXPECT_NE(r.err.find("4 GiB"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("out.wav"), std::string::npos) << r.err;
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"a.wav", "b.wav"}));
}

TEST_F(WavcatCliTest, HostileFileNamesAreJustNames) {
  const std::vector<std::string> names = {"a b.wav", "x;touch pwned1.wav", "$(touch pwned2).wav",
                                          "`touch pwned3`.wav", "'q'&|>.wav"};
  std::vector<Bytes> data;
  for (size_t i = 0; i < names.size(); ++i) data.push_back(Clip(names[i], 10, 40 + i));
  std::vector<std::string> args = names;
  args.push_back("out $(touch pwned4) `x`;.wav");
  const RunResult r = Run(args);
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out $(touch pwned4) `x`;.wav"), Pcm16(testing::Concat(data)));
  for (const std::string& name : dir_.Names()) EXPECT_EQ(name.rfind("pwned", 0), std::string::npos);
}

TEST_F(WavcatCliTest, QuotesPassedThroughLiterallyAreStripped) {
  const Bytes a = Clip("my clip.wav", 10, 50);
  const RunResult r = Run({"\"my clip.wav\"", "\"" + (dir_ / "my out.wav") + "\""});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("my out.wav"), Pcm16(a));
}

TEST_F(WavcatCliTest, DoubleDashEndsOptions) {
  const Bytes a = Clip("-a.wav", 10, 51);
  const RunResult r = Run({"--", "-a.wav", "--help"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("--help"), Pcm16(a));
}

TEST_F(WavcatCliTest, ArgumentsAfterTheFirstFileAreFileNames) {
  const Bytes a = Clip("a.wav", 10, 53);
  const Bytes b = Clip("-b.wav", 6, 54);
  const RunResult r = Run({"a.wav", "-b.wav", "--version"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(Read("--version"), Pcm16(testing::Concat({a, b})));
}

TEST_F(WavcatCliTest, UsageErrors) {
  Clip("a.wav", 10, 52);
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {}, {"a.wav"}, {"--bogus", "a.wav", "o.wav"}, {"a.wav", "", "o.wav"}, {"a.wav", ""}}) {
    const RunResult r = Run(args);
    EXPECT_EQ(r.status, kUsage) << ::testing::PrintToString(args);
    EXPECT_EQ(r.err.rfind("wavcat: ", 0), 0u) << r.err;
  }
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"a.wav"});
}

TEST_F(WavcatCliTest, HelpAndVersion) {
  const RunResult help = Run({"--help"});
  EXPECT_EQ(help.status, kOk);
  EXPECT_NE(help.out.find("Usage: wavcat"), std::string::npos);
  EXPECT_NE(help.out.find("Exit status"), std::string::npos);
  const RunResult version = Run({"--version"});
  EXPECT_EQ(version.status, kOk);
  EXPECT_EQ(version.out.rfind("wavcat ", 0), 0u);
}

TEST_F(WavcatCliTest, ManyArgumentsAndManyDistinctFiles) {
  // A long TTY prompt names a few clips hundreds of times; a big job may name many files.
  std::vector<std::string> args;
  std::vector<Bytes> expected;
  for (int i = 0; i < 1100; ++i) {
    const std::string name = "c" + std::to_string(i) + ".wav";
    expected.push_back(Clip(name, 4, 100 + i));
    args.push_back(name);
  }
  for (int i = 0; i < 1000; ++i) {
    args.push_back("c7.wav");
    expected.push_back(expected[7]);
  }
  args.push_back("out.wav");
  const RunResult r = Run(args);
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(testing::Concat(expected)));
}

}  // namespace
}  // namespace quillon::wavcat
