#pragma once

#include "core/registry/registry.h"

namespace quillon {

class MainWindow;

/// Attaches every further window of the program to its entry in the main
/// window's menus: Help (modeless), About (modal) and the two batch
/// windows (modeless, see BatchWindows). The main window
/// attaches its own entries; an entry whose window does not exist stays out
/// of the menu. `registry` must outlive `main`.
void AttachWindows(MainWindow& main, Registry& registry);

}  // namespace quillon
