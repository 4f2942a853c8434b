// End-to-end tests: the real wavcat program on real files in a scratch folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/test_support/test_support.h"
#include "tools/wav/wav_test_bytes.h"

namespace quillon::wavcat {
namespace {

using tools::testing::ReadFile;
using tools::testing::RunOptions;
using tools::testing::RunResult;
using tools::testing::TempDir;
using tools::testing::WriteFile;
using wav::testing::Bytes;
using wav::testing::Chunk;
using wav::testing::Concat;
using wav::testing::ExtensibleFmtBody;
using wav::testing::FmtBody;
using wav::testing::Pattern;
using wav::testing::Riff;
using wav::testing::SimpleWav;

constexpr int kOk = 0;
constexpr int kBadInput = 1;
constexpr int kUsage = 2;
constexpr int kOutputFailed = 3;

/// How long a test lets one wavcat run take before it kills it and reports status -1.
constexpr int kRunTimeoutSeconds = 60;

/// Runs the real wavcat (WAVCAT_PATH) with `args` in folder `cwd`. `file_size_limit` sets
/// RLIMIT_FSIZE in the child, to make writes fail.
RunResult RunWavcatProgram(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                           std::optional<rlim_t> file_size_limit = {},
                           int timeout_seconds = kRunTimeoutSeconds) {
  std::vector<std::string> argv = {WAVCAT_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return tools::testing::RunProgram(argv, RunOptions{cwd, file_size_limit, timeout_seconds});
}

/// Starts the real wavcat with `args` in folder `cwd`, output discarded; returns its pid.
pid_t StartWavcatProgram(const std::vector<std::string>& args, const std::filesystem::path& cwd) {
  std::vector<std::string> argv = {WAVCAT_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return tools::testing::StartProgram(argv, cwd);
}

/// Runs the built wavcat in a fresh scratch folder, which is its working directory.
class WavcatCliTest : public ::testing::Test {
 protected:
  RunResult Run(const std::vector<std::string>& args) {
    return RunWavcatProgram(args, dir_.path());
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
  EXPECT_EQ(Read("out.wav"), Pcm16(Concat({a, b, c, a})));
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
  EXPECT_EQ(out, SimpleWav(FmtBody(1, 1, 8000, 8), Concat({a, b})));
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
                                     Chunk("data", Concat({a, b}))}));
  }
}

TEST_F(WavcatCliTest, ExtensibleInputsKeepTheExtensibleForm) {
  const Bytes fmt = ExtensibleFmtBody(1, 2, 8000, 24, 24, 3);
  const Bytes a = Pattern(12, 9);
  const Bytes b = Pattern(6, 10);
  WriteFile(dir_ / "a.wav", SimpleWav(fmt, a));
  WriteFile(dir_ / "b.wav", SimpleWav(FmtBody(1, 2, 8000, 24), b));  // same format, plain form
  const RunResult r = Run({"a.wav", "b.wav", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), SimpleWav(fmt, Concat({a, b})));

  const Bytes float_fmt = ExtensibleFmtBody(3, 1, 8000, 32, 32, 4);
  WriteFile(dir_ / "f.wav", SimpleWav(float_fmt, a));
  const RunResult f = Run({"f.wav", "f.wav", "fout.wav"});
  ASSERT_EQ(f.status, kOk) << f.err;
  EXPECT_EQ(Read("fout.wav"), Riff({Chunk("fmt ", float_fmt), Chunk("fact", {6, 0, 0, 0}),
                                    Chunk("data", Concat({a, a}))}));
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
  EXPECT_EQ(Read("out.wav"), Pcm16(Concat({a, b, c})));
}

TEST_F(WavcatCliTest, OutputMayBeOneOfTheInputs) {
  const Bytes a = Clip("a.wav", 100, 15);
  const Bytes b = Clip("b.wav", 40, 16);
  ASSERT_EQ(Run({"a.wav", "b.wav", "chunk.wav"}).status, kOk);
  const RunResult r = Run({"chunk.wav", "a.wav", "chunk.wav", "chunk.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  const Bytes ab = Concat({a, b});
  EXPECT_EQ(Read("chunk.wav"), Pcm16(Concat({ab, a, ab})));
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"a.wav", "b.wav", "chunk.wav"}));
}

TEST_F(WavcatCliTest, InputsAreFoundWithoutRegardToCase) {
  const Bytes ltrs = Clip("LTRS.wav", 20, 17);
  const Bytes a = Clip("a.wav", 30, 18);
  const RunResult r = Run({"ltrs.WAV", "A.WAV", "LTRS.WAV", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(Concat({ltrs, a, ltrs})));
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

mode_t ModeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

/// Sets the process's umask for the life of the object (the wavcat runs inherit it).
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(umask(mask)) {}
  ~ScopedUmask() { umask(old_); }
  ScopedUmask(const ScopedUmask&) = delete;
  ScopedUmask& operator=(const ScopedUmask&) = delete;

 private:
  mode_t old_;
};

/// The mode of an existing output, and the mode its rebuilt file must have.
struct ModeCase {
  mode_t before;
  mode_t after;
};

void PrintTo(const ModeCase& c, std::ostream* os) {
  *os << std::oct << "0" << c.before << " -> 0" << c.after;
}

class WavcatModeTest : public WavcatCliTest, public ::testing::WithParamInterface<ModeCase> {};

// A rebuilt output keeps the permissions its owner gave it, whatever the umask says, and
// becomes writable by its owner (a read-only prompt is rebuilt, as the command runner expects).
TEST_P(WavcatModeTest, RebuiltOutputKeepsItsModeAndGetsTheOwnersWriteBit) {
  const ScopedUmask mask(077);
  const Bytes a = Clip("a.wav", 8, 23);
  Clip("out.wav", 4, 24);
  ASSERT_EQ(chmod((dir_ / "out.wav").c_str(), GetParam().before), 0);
  const RunResult r = Run({"a.wav", "out.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(a));
  EXPECT_EQ(ModeOf(dir_ / "out.wav"), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Modes, WavcatModeTest,
                         ::testing::Values(ModeCase{0444, 0644}, ModeCase{0400, 0600},
                                           ModeCase{0640, 0640}, ModeCase{0755, 0755},
                                           ModeCase{0604, 0604}, ModeCase{04755, 0755}));

TEST_F(WavcatCliTest, NewOutputGetsTheModeOfANewFile) {
  Clip("a.wav", 8, 60);
  for (const mode_t mask : {mode_t{027}, mode_t{0}, mode_t{077}}) {
    const ScopedUmask scoped(mask);
    const std::string name = "new" + std::to_string(mask) + ".wav";
    const RunResult r = Run({"a.wav", name});
    ASSERT_EQ(r.status, kOk) << r.err;
    EXPECT_EQ(ModeOf(dir_ / name), 0666 & ~mask) << name;
  }
}

// A failed run, whether an input is refused or the write fails half-way, leaves the previous
// output as it was: its bytes and its mode.
TEST_F(WavcatCliTest, FailedRunKeepsThePreviousOutputsBytesAndMode) {
  Clip("a.wav", 8, 61);
  Clip("b.wav", 8, 62, 16000);
  Clip("big.wav", 400000, 63);
  const Bytes before = Clip("out.wav", 4, 64);
  ASSERT_EQ(chmod((dir_ / "out.wav").c_str(), 0440), 0);
  EXPECT_EQ(Run({"a.wav", "b.wav", "out.wav"}).status, kBadInput);
  EXPECT_EQ(RunWavcatProgram({"big.wav", "big.wav", "out.wav"}, dir_.path(), rlim_t{300000}).status,
            kOutputFailed);
  EXPECT_EQ(Read("out.wav"), Pcm16(before));
  EXPECT_EQ(ModeOf(dir_ / "out.wav"), 0440u);
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"a.wav", "b.wav", "big.wav", "out.wav"}));
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
      RunWavcatProgram({"big.wav", "big.wav", "out.wav"}, dir_.path(), rlim_t{300000});
  EXPECT_EQ(r.status, kOutputFailed);
  EXPECT_NE(r.err.find("out.wav"), std::string::npos) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(before));
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"big.wav", "out.wav"}));
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
  EXPECT_EQ(Read("out $(touch pwned4) `x`;.wav"), Pcm16(Concat(data)));
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
  EXPECT_EQ(Read("--version"), Pcm16(Concat({a, b})));
}

TEST_F(WavcatCliTest, UsageErrors) {
  Clip("a.wav", 10, 52);
  const std::string put_dashes = "' (put -- before a file name that starts with -)";
  const struct {
    std::vector<std::string> args;
    std::string line;  // the first line on standard error
  } cases[] = {
      {{}, "wavcat: need at least one input and an output"},
      {{"a.wav"}, "wavcat: need at least one input and an output"},
      {{"--", "a.wav"}, "wavcat: need at least one input and an output"},
      {{"--bogus", "a.wav", "o.wav"}, "wavcat: unknown option '--bogus" + put_dashes},
      {{"-x", "a.wav", "o.wav"}, "wavcat: unknown option '-x" + put_dashes},
      {{"-hx", "a.wav", "o.wav"}, "wavcat: unknown option '-hx" + put_dashes},
      {{"--help", "-xh", "a.wav", "o.wav"}, "wavcat: unknown option '-xh" + put_dashes},
      {{"--help=x", "a.wav", "o.wav"}, "wavcat: unknown option '--help=x" + put_dashes},
      {{"a.wav", "", "o.wav"}, "wavcat: \"\": empty file name"},
      {{"a.wav", ""}, "wavcat: \"\": empty file name"},
  };
  for (const auto& c : cases) {
    const RunResult r = Run(c.args);
    EXPECT_EQ(r.status, kUsage) << ::testing::PrintToString(c.args);
    EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.line) << ::testing::PrintToString(c.args);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"a.wav"});
}

TEST_F(WavcatCliTest, HelpAndVersion) {
  for (const char* spelling : {"--help", "-h", "--he"}) {
    const RunResult help = Run({spelling});
    EXPECT_EQ(help.status, kOk) << spelling;
    EXPECT_EQ(help.out.rfind("Usage: wavcat [OPTION]... INPUT... OUTPUT\n", 0), 0u) << spelling;
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
    // Every option is documented.
    for (const char* option : {"-h, --help", "-V, --version", "  --  "})
      EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  for (const char* spelling : {"--version", "-V"}) {
    const RunResult version = Run({spelling});
    EXPECT_EQ(version.status, kOk);
    EXPECT_EQ(version.out.rfind("wavcat ", 0), 0u);
  }
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
  EXPECT_EQ(Read("out.wav"), Pcm16(Concat(expected)));
}

// Anything that is not a regular file is refused before it is opened: opening a named pipe
// would wait for a writer for ever, a device may never end.
TEST_F(WavcatCliTest, SpecialFilesAreRefusedWithoutOpeningThem) {
  Clip("a.wav", 8, 70);
  ASSERT_EQ(mkfifo((dir_ / "pipe.wav").c_str(), 0666), 0);
  ASSERT_EQ(symlink("pipe.wav", (dir_ / "link-to-pipe.wav").c_str()), 0);
  ASSERT_EQ(mkdir((dir_ / "folder.wav").c_str(), 0777), 0);
  struct Case {
    std::string name;
    std::string reason;
  };
  for (const Case& c : {Case{"pipe.wav", "is a named pipe, not a WAV file"},
                        Case{"PIPE.WAV", "is a named pipe, not a WAV file"},
                        Case{"link-to-pipe.wav", "is a named pipe, not a WAV file"},
                        Case{"folder.wav", "is a folder, not a WAV file"},
                        Case{"/dev/zero", "is a device, not a WAV file"}}) {
    const RunResult r = RunWavcatProgram({"a.wav", c.name, "out.wav"}, dir_.path(), {},
                                         /*timeout_seconds=*/10);
    EXPECT_EQ(r.status, kBadInput) << c.name << ": " << r.err;
    EXPECT_NE(r.err.find("wavcat: " + c.name), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
  }
  EXPECT_EQ(dir_.Names(),
            (std::vector<std::string>{"a.wav", "folder.wav", "link-to-pipe.wav", "pipe.wav"}));
}

/// A sparse 16-bit PCM input of about 2 GB: a join of it lasts long enough to be stopped while
/// it writes, and takes no disk space of its own.
void WriteLongInput(const std::string& path) {
  WriteFile(path, Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 16)), Chunk("data", {}, 2000000000u)}));
  ASSERT_EQ(truncate(path.c_str(), 44 + 2000000000LL), 0);
}

/// Makes the wavcat runs started while it lives name their temporary file from the start, as
/// they do on a file system without unnamed files.
class NamedTemporaries {
 public:
  NamedTemporaries() { setenv("WAVCAT_NAMED_TEMPORARY", "1", 1); }
  ~NamedTemporaries() { unsetenv("WAVCAT_NAMED_TEMPORARY"); }
  NamedTemporaries(const NamedTemporaries&) = delete;
  NamedTemporaries& operator=(const NamedTemporaries&) = delete;
};

/// Waits (up to 5 s) until process `pid` holds open a file of `dir` that has no name: the
/// kernel shows it as `<dir>/#<inode> (deleted)`.
bool AwaitUnnamedFile(pid_t pid, const TempDir& dir) {
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  const std::string prefix = dir.path().string() + "/#";
  for (int i = 0; i < 5000; ++i) {
    std::error_code ec;
    for (const auto& fd : std::filesystem::directory_iterator(fds, ec)) {
      std::error_code link_ec;
      const std::string target = std::filesystem::read_symlink(fd.path(), link_ec).string();
      if (!link_ec && target.rfind(prefix, 0) == 0) return true;
    }
    usleep(1000);
  }
  return false;
}

/// The temporary output files in `dir`.
std::vector<std::string> Temporaries(const TempDir& dir) {
  std::vector<std::string> temps;
  for (const std::string& name : dir.Names()) {
    if (name.rfind(".wavcat-", 0) == 0) temps.push_back(name);
  }
  return temps;
}

/// Waits (up to 5 s) until a temporary output file shows in `dir`.
bool AwaitTemporary(const TempDir& dir) {
  for (int i = 0; i < 5000; ++i) {
    if (!Temporaries(dir).empty()) return true;
    usleep(1000);
  }
  return false;
}

TEST_F(WavcatCliTest, TerminatedRunRemovesItsTemporaryFile) {
  const NamedTemporaries named;
  WriteLongInput(dir_ / "long.wav");
  const Bytes before = Clip("out.wav", 4, 35);
  const pid_t pid = StartWavcatProgram({"long.wav", "out.wav"}, dir_.path());
  ASSERT_GT(pid, 0);
  const bool seen = AwaitTemporary(dir_);
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(seen);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"long.wav", "out.wav"}));
  EXPECT_EQ(Read("out.wav"), Pcm16(before));
}

// SIGKILL leaves no chance to clean up: the temporary file stays, named after the killed
// process, until the next run that writes into the folder finds that process gone.
TEST_F(WavcatCliTest, KilledRunLeavesItsTemporaryForTheNextRunToRemove) {
  const NamedTemporaries named;
  WriteLongInput(dir_ / "long.wav");
  const Bytes before = Clip("out.wav", 4, 71);
  const pid_t pid = StartWavcatProgram({"long.wav", "out.wav"}, dir_.path());
  ASSERT_GT(pid, 0);
  const bool seen = AwaitTemporary(dir_);
  kill(pid, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(seen);
  const std::vector<std::string> left = Temporaries(dir_);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].rfind(".wavcat-" + std::to_string(pid) + "-", 0), 0u) << left[0];
  EXPECT_EQ(Read("out.wav"), Pcm16(before));

  const Bytes a = Clip("a.wav", 8, 72);
  const RunResult r = Run({"a.wav", "other.wav"});
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Temporaries(dir_), std::vector<std::string>{});
  EXPECT_EQ(Read("out.wav"), Pcm16(before));
  EXPECT_EQ(Read("other.wav"), Pcm16(a));
}

/// The pid of a process that has ended (a child, started and reaped).
pid_t DeadPid() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  int status = 0;
  waitpid(pid, &status, 0);
  return pid;
}

// Only wavcat's own temporaries of processes that are gone are removed: not those of a living
// process, not files of other names or of the older naming without a pid, not folders.
TEST_F(WavcatCliTest, StaleTemporariesAreTheOnlyFilesRemoved) {
  const NamedTemporaries named;
  const std::string dead = std::to_string(DeadPid());
  const std::string living = std::to_string(getpid());
  const std::vector<std::string> stale = {".wavcat-" + dead + "-a1B2c3.tmp"};
  const std::vector<std::string> kept = {".wavcat-" + living + "-a1B2c3.tmp",
                                         ".wavcat-x" + dead + "-a1B2c3.tmp",
                                         ".wavcat-" + dead + "-a1B2c.tmp",
                                         ".wavcat-" + dead + "-a1B2c3.tmp.bak",
                                         ".wavcat-Q7xy9Z.tmp",
                                         "wavcat-" + dead + "-a1B2c3.tmp"};
  for (const std::string& name : stale) WriteFile(dir_ / name, Bytes(10));
  for (const std::string& name : kept) WriteFile(dir_ / name, Bytes(10));
  const std::string folder = ".wavcat-" + dead + "-f0lder.tmp";
  ASSERT_EQ(mkdir((dir_ / folder).c_str(), 0777), 0);
  Clip("a.wav", 8, 73);
  ASSERT_EQ(Run({"a.wav", "out.wav"}).status, kOk);
  std::vector<std::string> expected = kept;
  expected.insert(expected.end(), {folder, "a.wav", "out.wav"});
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(dir_.Names(), expected);
}

// Where the file system makes files without a name, the output is written to one: a run
// killed by SIGTERM or even SIGKILL while it writes leaves no file behind at all, and the
// old output stays as it was.
TEST_F(WavcatCliTest, KilledRunWritingAnUnnamedFileLeavesNothingBehind) {
  WriteLongInput(dir_ / "long.wav");
  const Bytes before = Clip("out.wav", 4, 29);
  for (const int sig : {SIGTERM, SIGKILL}) {
    const pid_t pid = StartWavcatProgram({"long.wav", "out.wav"}, dir_.path());
    ASSERT_GT(pid, 0);
    const bool writing = AwaitUnnamedFile(pid, dir_);
    kill(pid, sig);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(writing) << "no unnamed output file seen (signal " << sig << ")";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig);
    EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"long.wav", "out.wav"}));
    EXPECT_EQ(Read("out.wav"), Pcm16(before));
  }
}

// The unnamed file gets its name only to be renamed over the target: a finished run leaves
// the output with the mode of the file it replaced (plus the owner's write bit), or that of
// a new file, and no temporary of any kind.
TEST_F(WavcatCliTest, UnnamedOutputIsLinkedInPlaceWithTheRightMode) {
  const Bytes a = Clip("a.wav", 16, 31);
  ASSERT_EQ(Run({"a.wav", "new.wav"}).status, kOk);
  Clip("old.wav", 8, 32);
  ASSERT_EQ(chmod((dir_ / "old.wav").c_str(), 0440), 0);
  ASSERT_EQ(Run({"a.wav", "old.wav"}).status, kOk);
  const mode_t mask = umask(0);
  umask(mask);
  struct stat st_new;
  struct stat st_old;
  ASSERT_EQ(stat((dir_ / "new.wav").c_str(), &st_new), 0);
  ASSERT_EQ(stat((dir_ / "old.wav").c_str(), &st_old), 0);
  EXPECT_EQ(st_new.st_mode & 0777, 0666 & ~mask);
  EXPECT_EQ(st_old.st_mode & 0777, 0640u);
  EXPECT_EQ(st_old.st_nlink, 1u);
  EXPECT_EQ(Read("new.wav"), Pcm16(a));
  EXPECT_EQ(Read("old.wav"), Pcm16(a));
  EXPECT_EQ(dir_.Names(), (std::vector<std::string>{"a.wav", "new.wav", "old.wav"}));
}

// Short inputs are kept in memory once read, up to a budget; the inputs past it are copied
// from their files. Either way the output holds every input's bytes in order, also the
// ones named again after the budget ran out.
TEST_F(WavcatCliTest, ManyShortInputsPastTheMemoryBudgetJoinByteForByte) {
  std::vector<std::string> args;
  std::vector<Bytes> parts;
  for (unsigned i = 0; i < 300; ++i) {
    const std::string name = "c" + std::to_string(i) + ".wav";
    parts.push_back(Clip(name, 64 << 10, 100 + i));
    args.push_back(name);
  }
  for (unsigned i : {0u, 299u, 150u}) {
    parts.push_back(parts[i]);
    args.push_back("c" + std::to_string(i) + ".wav");
  }
  args.push_back("out.wav");
  const RunResult r = Run(args);
  ASSERT_EQ(r.status, kOk) << r.err;
  EXPECT_EQ(Read("out.wav"), Pcm16(Concat(parts)));
}

}  // namespace
}  // namespace quillon::wavcat
