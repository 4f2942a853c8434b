#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace quillon {

/// Finds an executable for `name` the way Quillon looks for its tools: a name
/// holding a slash is taken as it stands; otherwise the program folder is
/// tried first, then each absolute folder of `PATH`. The working directory is
/// never searched, not even through an empty or relative `PATH` entry: a
/// program planted in the folder Quillon was started from must not run.
/// Returns the empty string when nothing executable is found.
std::string FindProgram(const std::string& name, const std::string& program_folder);

/// Starts `argv[0]` (resolved by FindProgram) with the given arguments (each
/// one argument as it stands: nothing is split or quoted) and working
/// directory, directly with posix_spawn: no shell ever sees the arguments. The
/// child's environment is this process's with `extra_environment`
/// ("NAME=value") added. Standard input is /dev/null; standard error is captured into a
/// pipe whose read end is returned in `stderr_fd` when it is not null. With
/// `own_group` the child leads a process group of its own, so that signals
/// the terminal sends to Quillon's group (Ctrl+C) do not reach it.
/// Returns the child's pid, or -1 with `err` filled.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& program_folder,
            const std::string& working_dir, int* stderr_fd, std::string* err,
            bool own_group = false, const std::vector<std::string>& extra_environment = {});

/// How a wait for a child came out.
enum class WaitOutcome {
  kEnded,      ///< the child ended and was reaped; its wait status is known
  kTimedOut,   ///< the timeout passed while the child still runs
  kNotAChild,  ///< `pid` names no child of this process that is left to wait for
};

/// Waits for a child started by Spawn and reaps it. Wakes as soon as the child
/// ends (a pidfd, polled), never after a fixed sleep. `timeout_ms` below zero
/// waits without limit. `idle`, when given, runs every kIdleIntervalMs or so,
/// only while the child still runs, so that a window can repaint. The wait
/// status goes to `wait_status` (when not null) on kEnded only.
WaitOutcome AwaitChild(pid_t pid, int timeout_ms, int* wait_status = nullptr,
                       const std::function<void()>& idle = {});

/// The pace of the `idle` callback while a child runs.
inline constexpr int kIdleIntervalMs = 25;

/// The wait as the callers of the command runner know it: false at once when
/// `pid` is not a child of this process (nothing to wait for); otherwise true,
/// once the child ended or the timeout passed (AwaitChild tells the two apart).
bool WaitForProcess(pid_t pid, int timeout_ms, int* wait_status = nullptr,
                    const std::function<void()>& idle = {});

/// What one run of an external program came to.
struct ProcessOutcome {
  bool started = false;     ///< false: the program could not be started
  bool exited = false;      ///< true: it ended by itself (not by a signal)
  int exit_status = -1;     ///< its exit status when `exited`
  int term_signal = 0;      ///< the signal that ended it, when not `exited`
  int spawn_errno = 0;      ///< why it could not start, when not `started`
  std::string error;        ///< a sentence for the user when something failed
  std::string stderr_text;  ///< what it wrote to standard error (bounded)

  bool succeeded() const { return started && exited && exit_status == 0; }
};

/// Starts a program in a process group of its own and waits for it to end
/// (Spawn, then the wait), collecting
/// what it writes to standard error meanwhile. The run is over when the
/// program ends, even if a process it left behind still holds its standard
/// error open.
ProcessOutcome RunProcess(const std::vector<std::string>& argv, const std::string& program_folder,
                          const std::string& working_dir, const std::function<void()>& idle = {},
                          const std::vector<std::string>& extra_environment = {});

/// Starts a program without waiting for it (an editor on a file, say). The
/// child is reaped in the background so that it never lingers as a zombie.
bool StartDetached(const std::vector<std::string>& argv, std::string* err);

}  // namespace quillon
