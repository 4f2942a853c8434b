#pragma once

#include "core/registry/registry_store.h"
#include "core/translation/dictionary.h"

namespace quillon::cli {

/// Gives a command-line construction the same translation tables the main
/// window loads at start-up, when translation is wanted: the registry store
/// at its default place, the dictionary it names (or the one in the program
/// folder) and the character table beside it. It must outlive the
/// constructions, since the state points at its tables.
class TranslationSetup {
 public:
  TranslationSetup(const QString& program_folder, UserInterface& ui, bool wanted);
  /// The translation step for the main state; null when not wanted.
  TranslationStage* stage() { return wanted_ ? &tables_ : nullptr; }
  /// The files it read, which no build may write over: the registry file and,
  /// when the tables were loaded, the dictionary and the character table.
  QStringList ReadFiles() const;
  TranslationSetup(const TranslationSetup&) = delete;
  TranslationSetup& operator=(const TranslationSetup&) = delete;

 private:
  RegistryStore registry_;
  DictionaryTables tables_;
  bool wanted_;
};

}  // namespace quillon::cli
