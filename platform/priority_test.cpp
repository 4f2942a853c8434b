#include "platform/priority.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace quillon {
namespace {

// Each case runs in a child process of its own: a nice level can be raised
// but never lowered again without privileges, and the test runner must keep
// its own. The child exits with the level it saw, offset by 20 to stay
// positive (nice levels run from -20 to 19), or 100 when the call failed.
template <typename Body>
int NiceLevelInChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) - 20 : -100;
}

TEST(PriorityTest, LowersTheProcessToBelowNormal) {
  const int seen = NiceLevelInChild([] {
    if (setpriority(PRIO_PROCESS, 0, 0) != 0 && CurrentNiceLevel() > 0)
      return 120;  // already niced
    if (!SetProcessPriority(kBelowNormalNice, nullptr)) return 120;
    return CurrentNiceLevel() + 20;
  });
  if (seen == 100) GTEST_SKIP() << "this test runs niced already";
  EXPECT_EQ(seen, kBelowNormalNice);
}

TEST(PriorityTest, ReachesThreadsThatAlreadyRun) {
  const int seen = NiceLevelInChild([] {
    std::atomic<pid_t> tid{0};
    std::atomic<bool> stop{false};
    std::thread worker([&] {
      tid = static_cast<pid_t>(syscall(SYS_gettid));
      while (!stop) std::this_thread::yield();
    });
    while (tid == 0) std::this_thread::yield();
    const bool ok = SetProcessPriority(kBelowNormalNice, nullptr);
    const int level = getpriority(PRIO_PROCESS, static_cast<id_t>(tid.load()));
    stop = true;
    worker.join();
    return ok ? level + 20 : 120;
  });
  EXPECT_GE(seen, kBelowNormalNice);
  EXPECT_NE(seen, 100);
}

TEST(PriorityTest, NeverRaisesAPriority) {
  const int seen = NiceLevelInChild([] {
    if (setpriority(PRIO_PROCESS, 0, 15) != 0) return 120;
    if (!SetProcessPriority(kBelowNormalNice, nullptr)) return 120;
    return CurrentNiceLevel() + 20;
  });
  EXPECT_EQ(seen, 15);
}

}  // namespace
}  // namespace quillon
