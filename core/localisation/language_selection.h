#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/common/user_interface.h"
#include "core/localisation/language_library.h"
#include "core/localisation/user_language.h"

namespace quillon {

/// The running executable's file name without a trailing ".exe": "quillon"
/// for the program. Language libraries and the help page are named after it.
QString ExecutableBaseName();

/// The language code a file name carries when it is a language resource
/// library of the program `base_name`: the name starts with base_name + "_"
/// and ends in "DLL", both without regard to case, and the code is the
/// three characters before the last four ("quillon_DEU.dll" gives "DEU",
/// "QUILLON_enu.DLL" gives "enu"). Nothing for any other name.
std::optional<QString> LibraryLanguageCode(const QString& file_name, const QString& base_name);

/// folder/base_name_CODE.dll: where the library of `code` is looked for.
QString LanguageLibraryPath(const QString& folder, const QString& base_name, const QString& code);

/// The most languages a folder scan lists.
inline constexpr int kMaxLoadedLanguages = 32767;

/// Lists the codes of the language libraries in `folder`, in the order the
/// file system lists the folder. False with `err` filled when the folder
/// cannot be listed, or when it holds more libraries than `limit` (the codes
/// up to the limit are kept).
bool ScanLanguageLibraries(const QString& folder, const QString& base_name, QStringList* codes,
                           QString* err, int limit = kMaxLoadedLanguages);

/// The interface language of one program run: the current language, the
/// resource library held for it, and the languages whose libraries lie in the
/// program folder. Before the first InitializeLanguages nothing is chosen
/// (LCID 0, no library, no languages); afterwards loaded_languages is never
/// empty: a folder without libraries gives the single element "". No text is
/// ever read from a library; holding it is all there is to loading it.
class LanguageSelection {
 public:
  LanguageSelection(QString program_folder, QString base_name, UserInterface& ui,
                    EnvironmentLookup environment = ProcessEnvironment);

  /// Establishes the current language: the user's default when none is
  /// chosen yet, its library freed and loaded anew (found without regard to
  /// case; a missing one is not reported), the languages rescanned, and the fonts applied to every
  /// open window. An error of a step is shown as "Error in InitalizeLanguages: " and the
  /// description, and the next step runs.
  void InitializeLanguages();

  /// Whether `loaded_languages` names no language at all.
  bool NoLanguageLoaded() const;

  const QString& program_folder() const { return program_folder_; }
  const QString& base_name() const { return base_name_; }

  std::int32_t current_lcid = 0;  ///< 0 until a language is chosen
  LanguageLibrary library;        ///< the held library of the current language
  QStringList loaded_languages;   ///< the codes found, in folder order

  /// Applies the fonts of `lcid` to every open window; the windows set it.
  std::function<void(std::int32_t lcid)> apply_fonts_to_loaded_forms;

 private:
  void ReportError(const QString& description);

  QString program_folder_;
  QString base_name_;
  UserInterface& ui_;
  EnvironmentLookup environment_;
};

}  // namespace quillon
