#include "cli/translation_setup.h"

namespace quillon::cli {

TranslationSetup::TranslationSetup(const QString& program_folder, UserInterface& ui, bool wanted)
    : registry_(RegistryStore::DefaultPath()), wanted_(wanted) {
  if (wanted_) tables_.LoadDictionary(registry_, program_folder, ui);
}

QStringList TranslationSetup::ReadFiles() const {
  QStringList files{registry_.path()};
  const QString dictionary = tables_.DictionaryPath();
  if (!dictionary.isEmpty())
    files << dictionary << DictionaryTables::CharReplacementPath(dictionary);
  return files;
}

}  // namespace quillon::cli
