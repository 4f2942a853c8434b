#pragma once

#include <QString>
#include <QStringList>

#include "core/common/user_interface.h"
#include "core/registry/registry.h"
#include "core/translation/translation_stage.h"

namespace quillon {

/// The word dictionary and the character-replacement table the main window
/// owns, with the path of the dictionary file, and the translation step they
/// give every construction. The main window and quillon-cli each own one and
/// hand it to their WavBuilder.
///
/// What stays true: each pair of tables has the same length, entry i of
/// "From" pairs with entry i of "To", entries are in file order, upper case,
/// and no stored field is empty (an empty field is kept as one blank). A
/// load either replaces both pairs completely or, when no dictionary file is
/// found, leaves them as they were. `dictionary_path` is resolved by the
/// first load and kept for the rest of the run.
class DictionaryTables : public TranslationStage {
 public:
  /// Finds the dictionary (registry value "Dictionary Path", else
  /// dictionary.txt in `program_folder`), records its path in the registry,
  /// and reads it and CharReplacement.txt beside it into the tables.
  /// Problems are shown through `ui` as OK-only message boxes; the load
  /// always runs to its end.
  void LoadDictionary(Registry& registry, const QString& program_folder, UserInterface& ui);

  /// The dictionary file "Edit Dictionary" opens; empty before the first load.
  QString DictionaryPath() const { return dictionary_path; }

  /// The character-replacement file that belongs to `dictionary_path`: the
  /// path without its last 14 characters (the length of "dictionary.txt"),
  /// followed by "CharReplacement.txt"; empty for a shorter path.
  static QString CharReplacementPath(const QString& dictionary_path);

  QString FilterDictionary(const QString& input) const;
  QString FilterCharReplacement(const QString& input) const;

  /// The translation step: one blank appended, the word dictionary, then the
  /// character table. A dictionary skip rule, or a final text equal to
  /// ";;;SKIP;;;" (any case), marks the text as one not to build.
  Result Translate(const QString& text, qsizetype max_length) override;

  QStringList dict_from, dict_to;  ///< word dictionary
  QStringList char_from, char_to;  ///< character replacement
  QString dictionary_path;

 private:
  class Loader;
};

}  // namespace quillon
