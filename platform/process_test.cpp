#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <cstdlib>
#include <optional>

#include "tests/support/test_base.h"

namespace quillon {
namespace {

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::string Path(const char* name) {
    return QFile::encodeName(dir_.filePath(QString::fromLatin1(name))).toStdString();
  }
  void Script(const char* name, const QByteArray& body) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    test::WriteAll(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QTemporaryDir dir_;
};

/// Sets an environment variable for the life of the object, then puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

/// Makes a folder the working directory for the life of the object.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const QString& folder) : old_(QDir::currentPath()) {
    ok_ = QDir::setCurrent(folder);
  }
  ~ScopedCurrentDir() { QDir::setCurrent(old_); }
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;
  bool ok() const { return ok_; }

 private:
  QString old_;
  bool ok_ = false;
};

// Every argument reaches the program as it stands, quotes, blanks, dollars
// and all (nothing is split again or seen by a shell), and the environment
// given is added to the program's own.
TEST_F(ProcessTest, ArgumentsArriveAsGivenWithTheEnvironmentAdded) {
  Script("args",
         "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > \"$OUT\"\n"
         "printf '%s\\n' \"$EXTRA\" >> \"$OUT\"\n");
  const std::vector<std::string> argv = {Path("args"),     "a b", "\"quoted\"", "$(touch pwned)",
                                         "say \"hi\".wav", "",    "`x`;y"};
  const ProcessOutcome outcome =
      RunProcess(argv, std::string(), Path(""), {}, {"OUT=" + Path("out.txt"), "EXTRA=present"});
  ASSERT_TRUE(outcome.succeeded()) << outcome.error;
  EXPECT_EQ(test::ReadAll(QString::fromStdString(Path("out.txt"))),
            QByteArray("[a b]\n[\"quoted\"]\n[$(touch pwned)]\n[say \"hi\".wav]\n[]\n[`x`;y]\n"
                       "present\n"));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("pwned"))));
}

TEST_F(ProcessTest, ProgramFolderComesBeforePath) {
  Script("ls", "exit 0\n");
  EXPECT_EQ(FindProgram("ls", dir_.path().toStdString()), Path("ls"));
  EXPECT_NE(FindProgram("ls", "/nonexistent"), "");
  EXPECT_EQ(FindProgram("no-such-program-here", dir_.path().toStdString()), "");
}

// A wavcat planted in the folder the caller happens to work in must never run: not
// through the search itself, nor through an empty, "." or relative entry of PATH.
TEST_F(ProcessTest, WorkingDirectoryIsNeverSearched) {
  Script("wavcat", "touch planted-ran\n");
  QTemporaryDir program_folder;
  QTemporaryDir path_folder;
  ASSERT_TRUE(program_folder.isValid() && path_folder.isValid());
  const std::string in_path = path_folder.path().toStdString();
  const ScopedEnv path("PATH", ":.:./:wavcat-dir:" + in_path + ":");
  const ScopedCurrentDir cwd(dir_.path());
  ASSERT_TRUE(cwd.ok());

  EXPECT_EQ(FindProgram("wavcat", program_folder.path().toStdString()), "");
  const ProcessOutcome outcome =
      RunProcess({"wavcat", "a.wav", "b.wav"}, program_folder.path().toStdString(), "");
  EXPECT_FALSE(outcome.started);
  EXPECT_EQ(outcome.spawn_errno, ENOENT);
  EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("planted-ran"))));

  // The absolute PATH entry is still searched.
  test::WriteAll(path_folder.filePath(QStringLiteral("wavcat")), "#!/bin/sh\nexit 0\n");
  QFile::setPermissions(path_folder.filePath(QStringLiteral("wavcat")),
                        QFile::ReadOwner | QFile::ExeOwner);
  EXPECT_EQ(FindProgram("wavcat", program_folder.path().toStdString()), in_path + "/wavcat");
}

TEST_F(ProcessTest, RunsInTheGivenFolderWithArgumentsUntouched) {
  Script("probe", "pwd > out.txt; for a in \"$@\"; do printf '[%s]' \"$a\" >> out.txt; done\n");
  const std::string folder = dir_.path().toStdString();
  const ProcessOutcome outcome =
      RunProcess({"probe", "a b", "$(touch pwned)", ";x"}, folder, folder);
  ASSERT_TRUE(outcome.succeeded()) << outcome.error;
  const QString out = QString::fromUtf8(test::ReadAll(dir_.filePath(QStringLiteral("out.txt"))));
  EXPECT_EQ(out, dir_.path() + QStringLiteral("\n[a b][$(touch pwned)][;x]"));
  EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("pwned"))));
}

TEST_F(ProcessTest, RelativeProgramFolderStillFindsTheProgramAfterTheChildChangesFolder) {
  Script("probe", "pwd > out.txt\n");
  const ScopedCurrentDir cwd(QDir::tempPath());
  ASSERT_TRUE(cwd.ok());
  const std::string relative = QDir::temp().relativeFilePath(dir_.path()).toStdString();
  const ProcessOutcome outcome = RunProcess({"probe"}, relative, dir_.path().toStdString());
  EXPECT_TRUE(outcome.succeeded()) << outcome.error;
}

TEST_F(ProcessTest, ReportsExitStatusAndStandardError) {
  Script("fails", "echo 'it went wrong' >&2; exit 4\n");
  const std::string folder = dir_.path().toStdString();
  const ProcessOutcome outcome = RunProcess({"fails"}, folder, folder);
  EXPECT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.exit_status, 4);
  EXPECT_EQ(outcome.stderr_text, "it went wrong\n");
  EXPECT_FALSE(outcome.succeeded());
}

TEST_F(ProcessTest, MissingProgramIsNotStarted) {
  const ProcessOutcome outcome = RunProcess({"no-such-program-here"}, "/nonexistent", "");
  EXPECT_FALSE(outcome.started);
  EXPECT_EQ(outcome.spawn_errno, ENOENT);
  EXPECT_NE(outcome.error.find("no-such-program-here"), std::string::npos);
}

TEST_F(ProcessTest, IdleRunsWhileAChildIsBusy) {
  Script("slow", "sleep 0.3\n");
  int idles = 0;
  const std::string folder = dir_.path().toStdString();
  const ProcessOutcome outcome = RunProcess({"slow"}, folder, folder, [&idles] { ++idles; });
  EXPECT_TRUE(outcome.succeeded());
  EXPECT_GT(idles, 3);
}

TEST_F(ProcessTest, ChildKilledByASignalReportsTheSignal) {
  Script("killed", "echo going >&2; kill -TERM $$\n");
  const std::string folder = dir_.path().toStdString();
  const ProcessOutcome outcome = RunProcess({"killed"}, folder, folder);
  EXPECT_TRUE(outcome.started);
  EXPECT_FALSE(outcome.exited);
  EXPECT_EQ(outcome.term_signal, SIGTERM);
  EXPECT_EQ(outcome.stderr_text, "going\n");
  EXPECT_FALSE(outcome.succeeded());
}

// A program may leave a process behind that still holds its standard error: the run
// is over when the program itself ends, with what it wrote.
TEST_F(ProcessTest, RunEndsWithTheChildEvenIfItsStandardErrorStaysOpen) {
  Script("leaves", "sleep 30 & echo $! > left.pid; echo done >&2; exit 3\n");
  const std::string folder = dir_.path().toStdString();
  const ProcessOutcome outcome = RunProcess({"leaves"}, folder, folder, [] {});
  const pid_t left = static_cast<pid_t>(
      test::ReadAll(dir_.filePath(QStringLiteral("left.pid"))).trimmed().toInt());
  ASSERT_GT(left, 0);
  const bool still_running = kill(left, 0) == 0;
  kill(left, SIGKILL);
  EXPECT_TRUE(still_running) << "the run waited for the process left behind";
  EXPECT_TRUE(outcome.exited);
  EXPECT_EQ(outcome.exit_status, 3);
  EXPECT_EQ(outcome.stderr_text, "done\n");
}

TEST_F(ProcessTest, LongStandardErrorNeitherBlocksTheChildNorGrowsWithoutBound) {
  Script("chatty", "head -c 300000 /dev/zero | tr '\\0' x >&2; exit 0\n");
  const std::string folder = dir_.path().toStdString();
  const ProcessOutcome outcome = RunProcess({"chatty"}, folder, folder);
  EXPECT_TRUE(outcome.succeeded()) << outcome.error;
  EXPECT_EQ(outcome.stderr_text, std::string(64 * 1024, 'x'));
}

TEST(WaitForProcessTest, ReturnsFalseAtOnceForAProcessThatIsNotOurChild) {
  EXPECT_FALSE(WaitForProcess(1, -1));  // init is nobody's child here
  EXPECT_FALSE(WaitForProcess(getpid(), -1));
  EXPECT_FALSE(WaitForProcess(-5, -1));
  EXPECT_EQ(AwaitChild(1, -1), WaitOutcome::kNotAChild);
  EXPECT_EQ(AwaitChild(0, 100), WaitOutcome::kNotAChild);
}

/// Starts `argv` as a child of the test; fails the test when it cannot.
pid_t SpawnOrFail(const std::vector<std::string>& argv) {
  std::string err;
  const pid_t pid = Spawn(argv, "", "", nullptr, &err);
  EXPECT_GT(pid, 0) << err;
  return pid;
}

struct ExitCase {
  const char* script;
  int exit_status;
};

void PrintTo(const ExitCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(c.script);
}

class WaitForExitTest : public ::testing::TestWithParam<ExitCase> {};

// With and without an idle callback and a timeout: the wait reaps the child and gives
// its status, and the pid is then no longer ours to wait for.
TEST_P(WaitForExitTest, ReapsTheChildAndGivesItsStatus) {
  int idles = 0;
  const std::function<void()> idle = [&idles] { ++idles; };
  for (const bool with_idle : {false, true}) {
    for (const int timeout_ms : {-1, 60000}) {
      const pid_t pid = SpawnOrFail({"sh", "-c", GetParam().script});
      ASSERT_GT(pid, 0);
      int status = -1;
      ASSERT_EQ(AwaitChild(pid, timeout_ms, &status, with_idle ? idle : nullptr),
                WaitOutcome::kEnded);
      EXPECT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), GetParam().exit_status);
      EXPECT_FALSE(WaitForProcess(pid, -1));  // already reaped
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Children, WaitForExitTest,
                         ::testing::Values(ExitCase{"exit 0", 0}, ExitCase{"exit 7", 7},
                                           ExitCase{"sleep 0.1; exit 2", 2}));

// With no descriptor left for a pidfd the wait falls back to short poll timeouts and
// still ends with the child.
TEST(WaitForProcessTest, WithoutAPidfdTheWaitStillEndsWithTheChild) {
  const pid_t pid = SpawnOrFail({"sh", "-c", "sleep 0.1; exit 5"});
  ASSERT_GT(pid, 0);
  struct rlimit old_limit;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old_limit), 0);
  const int lowest_free = dup(0);
  ASSERT_GE(lowest_free, 0);
  close(lowest_free);
  struct rlimit tight = old_limit;
  tight.rlim_cur = static_cast<rlim_t>(lowest_free);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  const bool no_descriptor_left = dup(0) < 0;
  int status = 0;
  int idles = 0;
  const WaitOutcome outcome = AwaitChild(pid, -1, &status, [&idles] { ++idles; });
  setrlimit(RLIMIT_NOFILE, &old_limit);
  EXPECT_TRUE(no_descriptor_left);
  ASSERT_EQ(outcome, WaitOutcome::kEnded);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 5);
}

TEST(WaitForProcessTest, KilledChildReportsItsSignal) {
  const pid_t pid = SpawnOrFail({"sleep", "30"});
  ASSERT_GT(pid, 0);
  ASSERT_EQ(kill(pid, SIGKILL), 0);
  int status = 0;
  ASSERT_EQ(AwaitChild(pid, -1, &status), WaitOutcome::kEnded);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);
}

TEST(WaitForProcessTest, TimeoutReturnsWhileTheChildRunsAndALaterWaitStillReapsIt) {
  const pid_t pid = SpawnOrFail({"sleep", "30"});
  ASSERT_GT(pid, 0);
  int status = 12345;
  int idles = 0;
  EXPECT_EQ(AwaitChild(pid, 150, &status, [&idles] { ++idles; }), WaitOutcome::kTimedOut);
  EXPECT_EQ(status, 12345);  // untouched: the child has not ended
  EXPECT_GT(idles, 0);
  EXPECT_EQ(kill(pid, 0), 0);
  EXPECT_TRUE(WaitForProcess(pid, 0));  // a timeout is no failure of the wait
  EXPECT_EQ(AwaitChild(pid, 0), WaitOutcome::kTimedOut);
  kill(pid, SIGKILL);
  ASSERT_TRUE(WaitForProcess(pid, -1, &status));
  EXPECT_TRUE(WIFSIGNALED(status));
}

}  // namespace
}  // namespace quillon
