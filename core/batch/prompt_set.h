#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <optional>
#include <vector>

#include "core/batch/batch_session.h"
#include "core/common/user_interface.h"
#include "core/registry/registry.h"
#include "core/session/batch_log.h"
#include "core/session/main_state.h"

namespace quillon {

/// The log of a prompt-set run, in the program folder.
inline const QString kPromptSetLogName = QStringLiteral("OrvanePromptConstruction.log");
/// The name of a prompt file, found without regard to letter case.
inline const QString kPromptFileName = QStringLiteral("prompt.ini");

extern const QString kNoLanguagesMessage;
extern const QString kPromptFolderMissingMessage;
extern const QString kTranslationOffWarning;

/// One entry of the language list: the display name shown, the LCID kept.
struct LanguageEntry {
  QString name;
  qint32 lcid = 0;
};

/// The entries for the voicemail system's "TUI Languages Loaded" value: one
/// per piece between commas, in order, untrimmed (a piece that is not a
/// known code shows and acts as US English). An empty value gives none.
std::vector<LanguageEntry> LanguageEntries(const QString& tui_languages_loaded);

/// The two values read from the voicemail system's keys, as strings; a
/// missing key or value reads as empty.
QString ReadTuiLanguagesLoaded(Registry& registry, RuntimeError* error);
/// The "Root Path" value with any backslashes turned into slashes, so that a
/// value exported from the voicemail server names the same folders here.
QString ReadRootPath(Registry& registry, RuntimeError* error);

/// The language's prompt folder and its default-configuration folder: the
/// root, then the relative path, joined directly as the voicemail system
/// does (a root without its final separator yields a folder that does not
/// exist; a missing root yields a path relative to the working directory).
QString LanguagePromptFolder(const QString& root, const QString& code);
QString DefaultConfigurationFolder(const QString& root, const QString& code);

/// Builds a TTY prompt for every prompt section of every prompt file below
/// the language's prompt folder and its default-configuration folder, each
/// through the main window's construction, with one log of the run.
///
/// The walk is depth first: a folder's subfolders (sorted by name without
/// regard to case, as the voicemail server lists them) before its own
/// prompt file, the language tree before the default-configuration tree.
/// The count runs across all prompt files. A section that cannot be built
/// is logged and skipped; a construction that fails leaves the recording as
/// it was and is logged; the walk always goes on. With the ENX name, a
/// failed construction takes back the copy of the recording it made under
/// that name (an ENX prompt that was there before is put back).
class PromptSetConstruction {
 public:
  /// `ui` shows this batch's own messages and questions; the construction
  /// speaks through the main window's.
  PromptSetConstruction(MainState& state, UserInterface& ui, Registry& registry);

  /// How a press of "Create Prompts" ended.
  enum class Outcome {
    FolderMissing,   ///< the language's prompt folder does not exist: nothing changed
    ClipSetRefused,  ///< the clip set failed its check: nothing changed
    Declined,        ///< "No" to the dictionary warning: nothing changed
    LogRefused,      ///< the old log could not be replaced: nothing changed
    Done             ///< both trees were walked; the log is ready to look at
  };

  /// "Create Prompts" for the language whose prompt folder is
  /// `prompt_folder` and whose code is `code`.
  Outcome Run(const QString& prompt_folder, const QString& code, const BatchProgress& progress);

  /// Walks one folder tree (see the class comment).
  void ProcessPromptFolder(const QString& folder);
  /// Builds every prompt section of one prompt file.
  void ProcessPromptIni(const QString& prompt_file);

  QString LogPath() const;
  qint64 prompt_count = 0;  ///< prompt sections met in this run
  qint64 not_built = 0;     ///< sections that were neither built nor skipped by the dictionary
  qint64 verified = 0;      ///< prompts the receiver read back as sent
  bool force_enx = false;

 private:
  void BuildSection(const QString& folder, const QString& header, const QString& text_line);
  void TakeBackEnxCopy(const QString& enx_file, const std::optional<QByteArray>& earlier);
  void Report(const QString& line) { state_.WriteLine(line); }

  MainState& state_;
  UserInterface& ui_;
  Registry& registry_;
  BatchLog log_;
  const BatchProgress* progress_ = nullptr;
  QSet<QString> visited_;  // folders walked in this run, by canonical path
};

}  // namespace quillon
