#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "tests/support/test_support.h"

namespace quillon {
namespace {

struct SplitCase {
  std::string line;
  std::vector<std::string> args;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsWritten) {
  EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"wavcat a.wav b.wav ", {"wavcat", "a.wav", "b.wav"}},
        SplitCase{"wavcat spacetic.wav marktic.wav a.wav", {"wavcat", "spacetic.wav", "marktic.wav", "a.wav"}},
        SplitCase{"wavcat  a.wav   \"/tmp/my out.wav\" ", {"wavcat", "a.wav", "/tmp/my out.wav"}},
        SplitCase{"wavcat \"/tmp/a $(touch x) b.wav\"", {"wavcat", "/tmp/a $(touch x) b.wav"}},
        SplitCase{"wavcat \"\" x", {"wavcat", "", "x"}},
        SplitCase{"wavcat pre\"quoted part\"post", {"wavcat", "prequoted partpost"}},
        SplitCase{"wavcat \"unclosed quote", {"wavcat", "unclosed quote"}},
        SplitCase{"wavcat back\\slash `tick` ;semi", {"wavcat", "back\\slash", "`tick`", ";semi"}},
        SplitCase{"", {}}));

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::string Path(const char* name) { return QFile::encodeName(dir_.filePath(QString::fromLatin1(name))).toStdString(); }
  void Script(const char* name, const QByteArray& body) {
    const QString path = dir_.filePath(QString::fromLatin1(name));
    test::WriteAll(path, "#!/bin/sh\n" + body);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  QTemporaryDir dir_;
};

TEST_F(ProcessTest, ProgramFolderComesBeforePath) {
  Script("ls", "exit 0\n");
  EXPECT_EQ(FindProgram("ls", dir_.path().toStdString()), Path("ls"));
  EXPECT_NE(FindProgram("ls", "/nonexistent"), "");
  EXPECT_EQ(FindProgram("no-such-program-here", dir_.path().toStdString()), "");
}

TEST_F(ProcessTest, RunsInTheGivenFolderWithArgumentsUntouched) {
  Script("probe", "pwd > out.txt; for a in \"$@\"; do printf '[%s]' \"$a\" >> out.txt; done\n");
  const std::string folder = dir_.path().toStdString();
  const ProcessOutcome outcome = RunProcess({"probe", "a b", "$(touch pwned)", ";x"}, folder, folder);
  ASSERT_TRUE(outcome.succeeded()) << outcome.error;
  const QString out = QString::fromUtf8(test::ReadAll(dir_.filePath(QStringLiteral("out.txt"))));
  EXPECT_EQ(out, dir_.path() + QStringLiteral("\n[a b][$(touch pwned)][;x]"));
  EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("pwned"))));
}

TEST_F(ProcessTest, RelativeProgramFolderStillFindsTheProgramAfterTheChildChangesFolder) {
  Script("probe", "pwd > out.txt\n");
  const QString old = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QDir::tempPath()));
  const std::string relative = QDir::temp().relativeFilePath(dir_.path()).toStdString();
  const ProcessOutcome outcome = RunProcess({"probe"}, relative, dir_.path().toStdString());
  QDir::setCurrent(old);
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

TEST(WaitForProcessTest, ReturnsFalseAtOnceForAProcessThatIsNotOurChild) {
  EXPECT_FALSE(WaitForProcess(1, -1));       // init is nobody's child here
  EXPECT_FALSE(WaitForProcess(getpid(), -1));
  EXPECT_FALSE(WaitForProcess(-5, -1));
}

TEST(WaitForProcessTest, WaitsForItsChildAndGivesTheStatus) {
  std::string err;
  const pid_t pid = Shell({"sh", "-c", "exit 7"}, "", "", nullptr, &err);
  ASSERT_GT(pid, 0) << err;
  int status = 0;
  ASSERT_TRUE(WaitForProcess(pid, -1, &status));
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  EXPECT_FALSE(WaitForProcess(pid, -1));  // already reaped
}

}  // namespace
}  // namespace quillon
