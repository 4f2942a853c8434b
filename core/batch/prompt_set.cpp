#include "core/batch/prompt_set.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "core/batch/prompt_naming.h"
#include "core/localisation/language_table.h"
#include "platform/file_system.h"
#include "platform/text_file.h"

namespace quillon {
namespace {

const QString kPromptsFolder = QStringLiteral("localize/prompts/");
const QString kDefaultConfigurationFolder = QStringLiteral("localize/DefaultConfiguration/");

QString ReadString(Registry& registry, const QString& key, const QString& value,
                   RuntimeError* error) {
  return registry.ReadValue(HKEY_LOCAL_MACHINE, key, value, REG_SZ, QVariant(), error).toString();
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

std::optional<QByteArray> ReadFileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  return file.readAll();
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes, QString* err) {
  QSaveFile file(path);
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
    *err = file.errorString();
    return false;
  }
  return true;
}

}  // namespace

const QString kNoLanguagesMessage =
    QStringLiteral("Error! No languages found configured as active TUI languages!");
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

PromptSetConstruction::PromptSetConstruction(MainState& state, UserInterface& ui,
                                             Registry& registry)
    : state_(state), ui_(ui), registry_(registry) {}

QString PromptSetConstruction::LogPath() const {
  return JoinPath(state_.program_folder(), kPromptSetLogName);
}

// The log is replaced before anything else changes, so that a run that
// cannot have its log leaves everything as it was.
PromptSetConstruction::Outcome PromptSetConstruction::Run(const QString& prompt_folder,
                                                          const QString& code,
                                                          const BatchProgress& progress) {
  if (!FolderExists(prompt_folder)) {
    ui_.MsgBox(kPromptFolderMissingMessage);
    return Outcome::FolderMissing;
  }
  QString refusal;
  if (!state_.CheckClipSetForBatch(&refusal)) {
    ui_.MsgBox(refusal);
    return Outcome::ClipSetRefused;
  }
  if (!state_.translate() &&
      ui_.Ask(kTranslationOffWarning, QStringLiteral("WARNING!")) == UserInterface::Answer::No)
    return Outcome::Declined;
  QString err;
  if (!StartBatchLog(LogPath(), &log_, &err)) {
    ui_.MsgBox(QStringLiteral("Error in cmdCreatePrompts:") + err);
    return Outcome::LogRefused;
  }
  BatchModeScope batch(state_, log_);
  prompt_count = 0;
  not_built = 0;
  verified = 0;
  visited_.clear();
  progress_ = &progress;
  progress.Started();
  ProcessPromptFolder(prompt_folder);
  RuntimeError error;
  const QString root = ReadRootPath(registry_, &error);
  if (error.number != 0)
    ui_.MsgBox(QStringLiteral("Error in cmdCreatePrompts:") + error.description);
  ProcessPromptFolder(DefaultConfigurationFolder(root, code));
  if (state_.verify())
    log_.WriteLine(QString::number(prompt_count) + QStringLiteral(" prompts processed, ") +
                   QString::number(verified) +
                   QStringLiteral(" of them were verified by the receiver."));
  log_.Close();
  progress_ = nullptr;
  progress.Finished();
  return Outcome::Done;
}

void PromptSetConstruction::ProcessPromptFolder(const QString& folder) {
  const QFileInfo info(folder);
  if (!info.isDir()) return;
  const QString canonical = info.canonicalFilePath();
  if (visited_.contains(canonical)) return;  // a link back into a tree already walked
  visited_.insert(canonical);
  const QDir dir(folder);
  for (const QString& sub : SortedByName(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot)))
    ProcessPromptFolder(JoinPath(folder, sub));
  for (const QString& file : SortedByName(dir.entryList(QDir::Files))) {
    if (file.compare(kPromptFileName, Qt::CaseInsensitive) == 0)
      ProcessPromptIni(JoinPath(folder, file));
  }
}

// A line that starts with "[" opens a section; the line after it is the
// section's text line. A header with no text line after it (the file ends,
// or the next header follows at once) is logged and skipped.
void PromptSetConstruction::ProcessPromptIni(const QString& prompt_file) {
  log_.WriteLine(QStringLiteral("Crunching: ") + prompt_file);
  state_.SetBatchInputs({prompt_file});
  const TextFile file = ReadTextFile(prompt_file);
  if (!file.ok) {
    Report(QStringLiteral("(error) Prompt file cannot be read (") + file.error +
           QStringLiteral("): ") + prompt_file);
    return;
  }
  const QString folder = QFileInfo(prompt_file).path();
  const QStringList& lines = file.lines;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (!lines.at(i).startsWith(QLatin1Char('['))) continue;
    ++prompt_count;
    if (progress_) progress_->Counted(prompt_count);
    const bool has_text = i + 1 < lines.size() && !lines.at(i + 1).startsWith(QLatin1Char('['));
    if (!has_text) {
      Report(QStringLiteral("(error) No text line after section header: ") + lines.at(i));
      ++not_built;
      continue;
    }
    BuildSection(folder, lines.at(i), lines.at(i + 1));
    ++i;
  }
}

void PromptSetConstruction::BuildSection(const QString& folder, const QString& header,
                                         const QString& text_line) {
  QString name;
  QString problem;
  if (!PromptNameFromHeader(header, &name, &problem)) {
    Report(QStringLiteral("(error) ") + problem);
    ++not_built;
    return;
  }
  const PromptTarget target = TargetForPrompt(folder, name, force_enx);
  if (!target.ok) {
    Report(QStringLiteral("(error) ") + target.problem);
    ++not_built;
    return;
  }
  QString enx_file;
  std::optional<QByteArray> earlier;
  if (!target.copy_from.isEmpty()) {
    enx_file = state_.ResolveBatchFile(target.copy_to);
    if (FileExists(enx_file)) earlier = ReadFileBytes(enx_file);
    // A failed copy leaves the ENX name in force; the construction goes on.
    QString ignored;
    if (CopyFileReplacing(state_.ResolveBatchFile(target.copy_from), enx_file, &ignored))
      state_.NoteBatchFile(enx_file);
    else
      enx_file.clear();
  }
  const ConstructionResult result =
      BuildPrompt(state_, PromptTextFromLine(text_line), target.output);
  const QString not_built_line = NotBuiltLine(result.status);
  if (result.verified) ++verified;
  if (not_built_line.isEmpty()) return;
  ++not_built;
  Report(not_built_line + QStringLiteral(": ") + target.output);
  if (!enx_file.isEmpty()) TakeBackEnxCopy(enx_file, earlier);
}

// The copy of the language's recording under the ENX name was only there to
// be replaced by the TTY prompt; with no TTY prompt it would pass the
// recording off as one. The ENX prompt of an earlier run is put back.
void PromptSetConstruction::TakeBackEnxCopy(const QString& enx_file,
                                            const std::optional<QByteArray>& earlier) {
  QString err;
  if (earlier) {
    if (WriteFileBytes(enx_file, *earlier, &err)) {
      Report(QStringLiteral("(error) The earlier ENX prompt was put back: ") + enx_file);
    } else {
      Report(QStringLiteral("(error) The earlier ENX prompt could not be put back (") + err +
             QStringLiteral("): ") + enx_file);
    }
    return;
  }
  if (DeleteFile(enx_file, true, &err)) {
    Report(QStringLiteral("(error) The copy of the recording under the ENX name was removed: ") +
           enx_file);
  } else {
    Report(QStringLiteral("(error) The copy of the recording under the ENX name could not be "
                          "removed (") +
           err + QStringLiteral("): ") + enx_file);
  }
}

}  // namespace quillon
