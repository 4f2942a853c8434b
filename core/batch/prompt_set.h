#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <optional>
#include <vector>

#include "core/batch/batch_job.h"
#include "core/batch/prompt_naming.h"
#include "core/common/user_interface.h"
#include "core/registry/registry.h"
#include "core/session/batch_log.h"
#include "core/session/wav_builder.h"
#include "platform/held_folder.h"

namespace quillon {

/// The log of a prompt-set run, in the program folder.
inline const QString kPromptSetLogName = QStringLiteral("OrvanePromptConstruction.log");
/// The name of a prompt file, found without regard to letter case.
inline const QString kPromptFileName = QStringLiteral("prompt.ini");

extern const QString kNoLanguagesMessage;
/// kNoLanguagesMessage, then a line that says which value of which registry
/// file to fill in.
QString NoLanguagesMessage(const Registry& registry);
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

/// One prompt section of a prompt file, as planned before the first prompt.
struct PlannedPrompt {
  QString header;          ///< the section's header line
  QString text_line;       ///< the line after it
  bool has_text = false;   ///< false: the file ends, or the next header follows at once
  QString name;            ///< the prompt name; empty when the header holds none
  QString problem;         ///< why the section cannot be built, when it cannot
  PromptTarget target;     ///< where its TTY prompt goes
  QString same_output_as;  ///< the header and file of an earlier prompt with the same output
};

/// One prompt file found by the walk, read whole; or a folder the walk could
/// not go into (`walk_problem`).
struct PlannedPromptFile {
  QString path;
  QString read_problem;  ///< why it cannot be read; empty when it was read
  QString walk_problem;  ///< why a folder below was not walked; empty for a prompt file
  std::vector<PlannedPrompt> prompts;
};

/// Builds a TTY prompt for every prompt section of every prompt file below
/// the language's prompt folder and its default-configuration folder, each
/// as the main window's construction would, with one log of the run.
///
/// The run is planned before its first prompt: both trees are walked and
/// every prompt file read, so the total is known and a section aimed at an
/// output that an earlier section of the run names (the same prompt twice,
/// or two languages' prompts under one ENX name) is not built. The walk is
/// depth first: a folder's subfolders (sorted by name without regard to
/// case, as the voicemail server lists them) before its own prompt file, the
/// language tree before the default-configuration tree. The count runs across
/// all prompt files. A section that cannot be built is logged and skipped; a
/// construction that fails leaves the recording as it was and is logged; the
/// walk always goes on. With the ENX name, a failed construction takes back
/// the copy of the recording it made under that name (an ENX prompt that was
/// there before is put back). The run stops after any prompt when its monitor
/// asks, and says so in its log.
class PromptSetConstruction {
 public:
  /// `ui` shows this job's own messages and questions.
  PromptSetConstruction(const WavBuilder& builder, UserInterface& ui, Registry& registry);

  /// How a press of "Create Prompts" ended.
  enum class Outcome {
    FolderMissing,   ///< the language's prompt folder does not exist: nothing changed
    ClipSetRefused,  ///< the clip set failed its check: nothing changed
    Declined,        ///< "No" to the dictionary warning: nothing changed
    LogRefused,      ///< the old log could not be replaced: nothing changed
    Done,            ///< both trees were walked; the log is ready to look at
    Cancelled        ///< the monitor stopped the run; the log says where
  };

  /// "Create Prompts" for the language whose prompt folder is
  /// `prompt_folder` and whose code is `code`.
  Outcome Run(const QString& prompt_folder, const QString& code, JobMonitor& monitor);

  /// The prompt files of one folder tree, in the order of the walk (see the
  /// class comment), appended to `files`, each read and planned.
  void PlanPromptFolder(const QString& folder, std::vector<PlannedPromptFile>* files,
                        int depth = 0);

  QString LogPath() const;
  const JobTally& tally() const { return tally_; }
  qint64 prompt_count() const { return tally_.done; }
  qint64 not_built() const { return tally_.not_good(); }
  qint64 verified() const { return tally_.verified; }
  bool force_enx = false;
  /// Translate every text with the dictionary first (on by default; off asks first).
  bool translate = true;

 private:
  PlannedPromptFile PlanPromptIni(const QString& prompt_file);
  void FindSameOutputs(std::vector<PlannedPromptFile>* files);
  void ProcessPromptIni(const PlannedPromptFile& file, JobMonitor& monitor);
  bool BuildSection(const PlannedPrompt& prompt);
  void TakeBackEnxCopy(const HeldFolder& folder, const QString& enx_name,
                       const std::optional<QByteArray>& earlier);
  void Report(const QString& line) { log_.WriteLine(QStringLiteral("    ") + line); }

  const WavBuilder& builder_;
  UserInterface& ui_;
  Registry& registry_;
  BatchLog log_;
  std::unique_ptr<BuildSession> session_;
  JobTally tally_;
  QSet<QString> visited_;  // folders walked in this run, by identity
};

}  // namespace quillon
