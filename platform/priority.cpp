#include "platform/priority.h"

#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace quillon {
namespace {

// On Linux a nice level belongs to a thread, so "the process" is every
// thread listed under /proc/self/task.
std::vector<id_t> ThreadIds() {
  std::vector<id_t> ids;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", ec)) {
    const std::string name = entry.path().filename().string();
    if (!name.empty() && name.find_first_not_of("0123456789") == std::string::npos)
      ids.push_back(static_cast<id_t>(std::stoul(name)));
  }
  if (ids.empty()) ids.push_back(0);  // no /proc: the calling thread at least
  return ids;
}

bool LowerThread(id_t id, int nice_level, std::string* err) {
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, id);
  if (current == -1 && errno == ESRCH) return true;  // the thread has ended meanwhile
  if (current >= nice_level) return true;
  if (setpriority(PRIO_PROCESS, id, nice_level) == 0 || errno == ESRCH) return true;
  if (err)
    *err =
        "cannot lower the priority of thread " + std::to_string(id) + ": " + std::strerror(errno);
  return false;
}

}  // namespace

bool SetProcessPriority(int nice_level, std::string* err) {
  bool all = true;
  for (id_t id : ThreadIds()) all = LowerThread(id, nice_level, err) && all;
  return all;
}

int CurrentNiceLevel() {
  errno = 0;
  return getpriority(PRIO_PROCESS, 0);
}

}  // namespace quillon
