#include "cli/translation_setup.h"

namespace quillon::cli {

TranslationSetup::TranslationSetup(const QString& program_folder, UserInterface& ui, bool wanted)
    : registry_(RegistryStore::DefaultPath()), wanted_(wanted) {
  if (wanted_) tables_.LoadDictionary(registry_, program_folder, ui);
}

}  // namespace quillon::cli
