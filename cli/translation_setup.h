#pragma once

#include "shell/main_state.h"

namespace quillon::cli {

/// Gives a command-line construction the same translation tables the main
/// window loads at start-up, when translation is wanted.
class TranslationSetup {
 public:
  TranslationSetup(MainState& state, bool wanted);
};

}  // namespace quillon::cli
