#include "core/batch/prompt_set.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>

#include "core/batch/prompt_naming.h"
#include "core/common/limits.h"
#include "core/localisation/language_table.h"
#include "platform/file_system.h"
#include "platform/held_folder.h"
#include "platform/text_file.h"

namespace quillon {
namespace {

const QString kPromptsFolder = QStringLiteral("localize/prompts/");
const QString kDefaultConfigurationFolder = QStringLiteral("localize/DefaultConfiguration/");

QString ReadString(Registry& registry, const QString& key, const QString& value,
                   RuntimeError* error) {
  return registry.ReadValue(kLocalMachine, key, value, kStringValue, QVariant(), error).toString();
}

// Names as the voicemail server's file system lists them: by name without
// regard to case (exact case only breaks ties, so the order is fixed).
QStringList SortedByName(QStringList names) {
  std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
  });
  return names;
}

}  // namespace

const QString kNoLanguagesMessage =
    QStringLiteral("Error! No languages found configured as active TUI languages!");
QString NoLanguagesMessage(const Registry& registry) {
  QString message = kNoLanguagesMessage +
                    QStringLiteral(
                        "\nAdd the active language codes "
                        "(for example ENU,DEU) to the value \"") +
                    kTuiLanguagesValue + QStringLiteral("\" of the key HKEY_LOCAL_MACHINE\\") +
                    kSystemParametersKey;
  const QString file = registry.FilePath();
  if (!file.isEmpty()) message += QStringLiteral(" in the registry file ") + file;
  return message + QLatin1Char('.');
}

const QString kPromptFolderMissingMessage =
    QStringLiteral("Prompts for language directory not found!");
const QString kTranslationOffWarning = QStringLiteral(
    "The 'apply dictionary translation to input text' option is not checked under the file "
    "menu.  It is HIGHLY reccomended that you set this option before constructing the Orvane "
    "prompt set.  Continue anyway?");

std::vector<LanguageEntry> LanguageEntries(const QString& tui_languages_loaded) {
  std::vector<LanguageEntry> entries;
  if (tui_languages_loaded.isEmpty()) return entries;
  for (const QString& piece : tui_languages_loaded.split(QLatin1Char(',')))
    entries.push_back({LangCodeToLanguageName(piece), LangCodeToLcid(piece)});
  return entries;
}

QString ReadTuiLanguagesLoaded(Registry& registry, RuntimeError* error) {
  return ReadString(registry, kSystemParametersKey, kTuiLanguagesValue, error);
}

QString ReadRootPath(Registry& registry, RuntimeError* error) {
  return ReadString(registry, kHubrixKey, kRootPathValue, error)
      .replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString LanguagePromptFolder(const QString& root, const QString& code) {
  return root + kPromptsFolder + code;
}

QString DefaultConfigurationFolder(const QString& root, const QString& code) {
  return root + kDefaultConfigurationFolder + code;
}

PromptSetConstruction::PromptSetConstruction(const WavBuilder& builder, UserInterface& ui,
                                             Registry& registry)
    : builder_(builder), ui_(ui), registry_(registry) {}

QString PromptSetConstruction::LogPath() const {
  return JoinPath(builder_.program_folder(), kPromptSetLogName);
}

// The log is replaced before anything else changes, so that a run that
// cannot have its log leaves everything as it was.
PromptSetConstruction::Outcome PromptSetConstruction::Run(const QString& prompt_folder,
                                                          const QString& code,
                                                          JobMonitor& monitor) {
  if (!FolderExists(prompt_folder)) {
    ui_.ShowMessage(kPromptFolderMissingMessage);
    return Outcome::FolderMissing;
  }
  QString refusal;
  session_ = builder_.Open(WavBuilder::Scope::Job, &refusal);
  if (!session_) {
    ui_.ShowMessage(refusal);
    return Outcome::ClipSetRefused;
  }
  if (!translate &&
      ui_.Ask(kTranslationOffWarning, QStringLiteral("WARNING!")) == UserInterface::Answer::No) {
    session_.reset();
    return Outcome::Declined;
  }
  QString err;
  if (!StartBatchLog(LogPath(), &log_, &err)) {
    session_.reset();
    ui_.ShowMessage(QStringLiteral("Error in cmdCreatePrompts:") + err);
    return Outcome::LogRefused;
  }
  session_->SetIdle([&monitor] { monitor.KeepAlive(); });
  tally_ = JobTally();

  // The plan: both trees walked and every prompt file read.
  visited_.clear();
  std::vector<PlannedPromptFile> files;
  PlanPromptFolder(prompt_folder, &files);
  RuntimeError error;
  const QString root = ReadRootPath(registry_, &error);
  if (error.number != 0)
    ui_.ShowMessage(QStringLiteral("Error in cmdCreatePrompts:") + error.description);
  PlanPromptFolder(DefaultConfigurationFolder(root, code), &files);
  FindSameOutputs(&files);
  for (const PlannedPromptFile& file : files)
    tally_.total += static_cast<qint64>(file.prompts.size());

  monitor.Started(tally_.total);
  for (const PlannedPromptFile& file : files) {
    if (tally_.stopped) break;
    ProcessPromptIni(file, monitor);
  }
  if (tally_.stopped)
    log_.WriteLine(StoppedLine(monitor.StopReason(), tally_, QStringLiteral("prompts")));
  if (builder_.verify())
    log_.WriteLine(QString::number(tally_.done) + QStringLiteral(" prompts processed, ") +
                   QString::number(tally_.verified) +
                   QStringLiteral(" of them were verified by the receiver."));
  log_.Close();
  session_.reset();
  monitor.Finished();
  return tally_.stopped ? Outcome::Cancelled : Outcome::Done;
}

// Each folder is known by its identity, found with one look at it, so the walk
// costs time in proportion to the tree however deep it is; it goes no deeper
// than the bound, and says so in the log.
void PromptSetConstruction::PlanPromptFolder(const QString& folder,
                                             std::vector<PlannedPromptFile>* files, int depth) {
  if (!FolderExists(folder)) return;
  const FileIdentity identity = IdentityOf(folder);
  const QString key =
      QString::number(identity.device) + QLatin1Char(':') + QString::number(identity.inode);
  if (visited_.contains(key)) return;  // a link back into a tree already walked
  visited_.insert(key);
  const QDir dir(folder);
  const QStringList subfolders = SortedByName(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot));
  if (depth >= limits::kPromptTreeDepth && !subfolders.isEmpty()) {
    PlannedPromptFile deep;
    deep.path = folder;
    deep.walk_problem = QStringLiteral("The folders below ") + folder +
                        QStringLiteral(" lie more than ") +
                        QString::number(limits::kPromptTreeDepth) +
                        QStringLiteral(" levels deep and were not walked");
    files->push_back(std::move(deep));
  } else {
    for (const QString& sub : subfolders) PlanPromptFolder(JoinPath(folder, sub), files, depth + 1);
  }
  // A prompt file of any kind is met (and a pipe or a device is then refused
  // when it is read), not passed over in silence.
  for (const QString& file : SortedByName(dir.entryList(QDir::Files | QDir::System))) {
    if (file.compare(kPromptFileName, Qt::CaseInsensitive) == 0)
      files->push_back(PlanPromptIni(JoinPath(folder, file)));
  }
}

// A line that starts with "[" opens a section; the line after it is the
// section's text line. A header with no text line after it (the file ends,
// or the next header follows at once) cannot be built.
PlannedPromptFile PromptSetConstruction::PlanPromptIni(const QString& prompt_file) {
  PlannedPromptFile planned;
  planned.path = prompt_file;
  const TextFile file = ReadTextFile(prompt_file, limits::kPromptFileBytes);
  if (!file.ok) {
    planned.read_problem = file.error;
    return planned;
  }
  const QString folder = QFileInfo(prompt_file).path();
  const QStringList& lines = file.lines;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (!lines.at(i).startsWith(QLatin1Char('['))) continue;
    PlannedPrompt prompt;
    prompt.header = lines.at(i);
    prompt.has_text = i + 1 < lines.size() && !lines.at(i + 1).startsWith(QLatin1Char('['));
    if (prompt.has_text) {
      prompt.text_line = lines.at(++i);
      if (PromptNameFromHeader(prompt.header, &prompt.name, &prompt.problem)) {
        prompt.target = TargetForPrompt(folder, prompt.name, force_enx);
        if (!prompt.target.ok) prompt.problem = prompt.target.problem;
      }
    }
    planned.prompts.push_back(std::move(prompt));
  }
  return planned;
}

// A prompt whose output an earlier prompt of the run already names would
// replace that prompt's TTY prompt: it is marked, and not built.
void PromptSetConstruction::FindSameOutputs(std::vector<PlannedPromptFile>* files) {
  OutputKeys keys;
  QHash<QString, QString> first;  // output key -> the prompt that names it first
  for (PlannedPromptFile& file : *files) {
    for (PlannedPrompt& prompt : file.prompts) {
      if (!prompt.has_text || !prompt.problem.isEmpty()) continue;
      const QString key = keys.KeyOf(prompt.target.output);
      const auto earlier = first.constFind(key);
      if (earlier != first.cend())
        prompt.same_output_as = earlier.value();
      else
        first.insert(key, prompt.header + QStringLiteral(" in ") + file.path);
    }
  }
}

void PromptSetConstruction::ProcessPromptIni(const PlannedPromptFile& file, JobMonitor& monitor) {
  if (!file.walk_problem.isEmpty()) {
    ++tally_.unreadable_files;
    log_.WriteLine(QStringLiteral("(error) ") + file.walk_problem);
    return;
  }
  log_.WriteLine(QStringLiteral("Crunching: ") + file.path);
  session_->SetProtectedFiles({LogPath(), file.path});
  if (!file.read_problem.isEmpty()) {
    ++tally_.unreadable_files;
    Report(QStringLiteral("(error) Prompt file cannot be read (") + file.read_problem +
           QStringLiteral("): ") + file.path);
    return;
  }
  for (const PlannedPrompt& prompt : file.prompts) {
    if (monitor.StopRequested()) {
      tally_.stopped = true;
      return;
    }
    log_.Flush();  // the lines of the prompts before this one
    bool good = false;
    if (!prompt.has_text) {
      Report(QStringLiteral("(error) No text line after section header: ") + prompt.header);
    } else if (!prompt.problem.isEmpty()) {
      Report(QStringLiteral("(error) ") + prompt.problem);
    } else if (!prompt.same_output_as.isEmpty()) {
      Report(QStringLiteral("(error) Not built: ") + prompt.same_output_as +
             QStringLiteral(" names the same file, whose prompt this one would replace: ") +
             session_->Resolve(prompt.target.output));
    } else {
      good = BuildSection(prompt);
    }
    ++tally_.done;
    if (good) ++tally_.good;
    monitor.Progressed(tally_.done, tally_.not_good());
  }
}

// True when the prompt was built or skipped by the dictionary.
bool PromptSetConstruction::BuildSection(const PlannedPrompt& prompt) {
  const PromptTarget& target = prompt.target;
  HeldFolder folder;
  QString enx_name;
  std::optional<QByteArray> earlier;
  if (!target.copy_from.isEmpty()) {
    // The copy goes through the folder held open, never through a link at the
    // ENX name, and only from a regular file: a pipe would never end.
    QString err;
    const QString enx_file = session_->Resolve(target.copy_to);
    if (folder.Open(QFileInfo(enx_file).absolutePath(), &err)) {
      enx_name = QFileInfo(enx_file).fileName();
      QByteArray bytes;
      if (folder.KindOf(enx_name) == HeldFolder::Kind::Regular &&
          ReadRegularFile(enx_file, limits::kEarlierPromptBytes, &bytes, &err))
        earlier = std::move(bytes);
      // A failed copy leaves the ENX name in force; the construction goes on.
      if (folder.CopyIn(session_->Resolve(target.copy_from), enx_name, &err))
        session_->NoteFile(enx_file);
      else
        enx_name.clear();
    }
  }
  BatchLogReport report(log_);
  const BuildResult result =
      session_->Build({PromptTextFromLine(prompt.text_line), target.output, translate}, report);
  if (result.status == BuildResult::Status::EmptyText) ui_.ShowMessage(kEmptyTextMessage);
  if (result.verified) ++tally_.verified;
  if (result.built()) ++tally_.built;
  const QString not_built_line = NotBuiltLine(result.status);
  if (not_built_line.isEmpty()) return true;
  Report(not_built_line + QStringLiteral(": ") + session_->Resolve(target.output));
  if (!enx_name.isEmpty()) TakeBackEnxCopy(folder, enx_name, earlier);
  return false;
}
// The copy of the language's recording under the ENX name was only there to
// be replaced by the TTY prompt; with no TTY prompt it would pass the
// recording off as one. The ENX prompt of an earlier run is put back.
void PromptSetConstruction::TakeBackEnxCopy(const HeldFolder& folder, const QString& enx_name,
                                            const std::optional<QByteArray>& earlier) {
  const QString enx_file = JoinPath(folder.path(), enx_name);
  QString err;
  if (earlier) {
    if (folder.WriteIn(*earlier, enx_name, &err)) {
      Report(QStringLiteral("(error) The earlier ENX prompt was put back: ") + enx_file);
    } else {
      Report(QStringLiteral("(error) The earlier ENX prompt could not be put back (") + err +
             QStringLiteral("): ") + enx_file);
    }
    return;
  }
  if (folder.KindOf(enx_name) == HeldFolder::Kind::Regular && folder.Remove(enx_name)) {
    Report(QStringLiteral("(error) The copy of the recording under the ENX name was removed: ") +
           enx_file);
  } else {
    err = ErrnoText(errno);
    Report(QStringLiteral("(error) The copy of the recording under the ENX name could not be "
                          "removed (") +
           err + QStringLiteral("): ") + enx_file);
  }
}

}  // namespace quillon
