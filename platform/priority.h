#pragma once

#include <string>

namespace quillon {

/// The nice level Quillon runs at: below normal, as nice(1) starts programs,
/// so that a long build of WAV files never gets in the way of the desktop.
inline constexpr int kBelowNormalNice = 10;

/// Lowers the priority of the whole process (every thread it has now; later
/// threads and child processes such as `wavcat` inherit it) to `nice_level`.
/// A process that already runs at that level or a nicer one keeps its level:
/// this never raises a priority. Returns false with `err` filled when a
/// thread's priority could not be changed.
bool SetProcessPriority(int nice_level, std::string* err);

/// The nice level of the calling thread.
int CurrentNiceLevel();

}  // namespace quillon
