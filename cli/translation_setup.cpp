#include "cli/translation_setup.h"

namespace quillon::cli {

TranslationSetup::TranslationSetup(MainState& state, bool wanted)
    : registry_(RegistryStore::DefaultPath()) {
  if (!wanted) return;
  tables_.LoadDictionary(registry_, state.program_folder, state.ui);
  state.translation = &tables_;
}

}  // namespace quillon::cli
